#include "vela/dialog/SkinKit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "vela/Manager.h"
#include "vela/fixtures/Fixtures.h"

namespace VelaDialogTest {
namespace {

// GDI+ runs for the whole test program.
::testing::Environment* const gdiplus =
    ::testing::AddGlobalTestEnvironment(new VelaTest::GdiplusSession);

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(codecs[i].MimeType) == L"image/png") {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

// "...\skins\" of "...\skins\theme1\".
std::wstring SkinsOf(const std::wstring& folder) {
    return folder.substr(0, folder.size() - Vela::Manager::GetTheme().size());
}

}  // namespace

std::wstring SkinFiles::Folder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.erase(folder.rfind(L'\\') + 1);
    return folder + L"skins\\" + Vela::Manager::GetTheme();
}

SkinFiles::SkinFiles() {
    ::CreateDirectoryW(SkinsOf(Folder()).c_str(), nullptr);
    ::CreateDirectoryW(Folder().c_str(), nullptr);
}

SkinFiles::~SkinFiles() {
    for (const std::wstring& file : m_files) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(Folder().c_str());  // only when nothing else is in them
    ::RemoveDirectoryW(SkinsOf(Folder()).c_str());
}

bool SkinFiles::Write(const std::wstring& name, int width, int height,
                      const std::function<Gdiplus::ARGB(int, int)>& pixel) {
    CLSID png;
    if (!PngEncoder(&png)) return false;
    Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(pixel(x, y)));
    }
    const std::wstring path = Folder() + name;
    m_files.push_back(path);
    return bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

bool SkinFiles::WriteResource(UINT id, const std::wstring& name) {
    const std::wstring path = Folder() + name;
    m_files.push_back(path);
    return VelaFixtures::WriteResource(id, path);
}

Gdiplus::ARGB CoordinateColor(int x, int y) {
    return 0xFF000000u | (DWORD(x * 8) << 16) | (DWORD(y * 8) << 8) | 200u;
}

RECT Ink(const VelaTest::Canvas& canvas, RECT rect, DWORD background) {
    RECT ink = {rect.right, rect.bottom, rect.left - 1, rect.top - 1};
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (canvas.Rgb(x, y) == (background & 0xFFFFFF)) continue;
            ink.left = std::min<LONG>(ink.left, x);
            ink.top = std::min<LONG>(ink.top, y);
            ink.right = std::max<LONG>(ink.right, x + 1);
            ink.bottom = std::max<LONG>(ink.bottom, y + 1);
        }
    }
    if (ink.right <= ink.left) ink = RECT{0, 0, 0, 0};
    return ink;
}

int Brightest(const VelaTest::Canvas& canvas, RECT rect) {
    int brightest = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            brightest = std::max({brightest, canvas.Red(x, y), canvas.Green(x, y),
                                  canvas.Blue(x, y)});
        }
    }
    return brightest;
}

::testing::AssertionResult NearRgb(DWORD expected, DWORD actual, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int e = (expected >> shift) & 0xFF, a = (actual >> shift) & 0xFF;
        if (std::abs(e - a) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof(text), "expected 0x%06lX, got 0x%06lX",
                          static_cast<unsigned long>(expected & 0xFFFFFF),
                          static_cast<unsigned long>(actual & 0xFFFFFF));
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace VelaDialogTest
