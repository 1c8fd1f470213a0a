// The resources embedded in Vela.dll: the two scroll bar images and the font.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>
#include <objidl.h>
#include <shlwapi.h>

namespace {

struct Resource {
    const void* data = nullptr;
    DWORD size = 0;
};

Resource Find(UINT id, const wchar_t* type) {
    HMODULE vela = ::GetModuleHandleW(L"Vela.dll");
    HRSRC info = ::FindResourceW(vela, MAKEINTRESOURCEW(id), type);
    if (info == nullptr) return {};
    return {::LockResource(::LoadResource(vela, info)), ::SizeofResource(vela, info)};
}

class GdiplusSession {
public:
    GdiplusSession() { Gdiplus::GdiplusStartup(&m_token, &m_input, nullptr); }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(m_token); }

private:
    Gdiplus::GdiplusStartupInput m_input;
    ULONG_PTR m_token = 0;
};

}  // namespace

// Referencing an exported symbol keeps Vela.dll loaded in this program.
#include "vela/Manager.h"

TEST(LibraryResources, ScrollImagesDecodeWithTheirFrameLayout) {
    ASSERT_EQ(L"theme1\\", Vela::Manager::GetTheme());
    GdiplusSession gdiplus;
    struct Case {
        UINT id;
        UINT width;
        UINT height;
    } cases[] = {{101, 360, 40},   // horizontal: 3 columns of 4 rows
                 {102, 30, 120}};  // vertical: 3 frames side by side
    for (const Case& c : cases) {
        const Resource png = Find(c.id, L"PNG");
        ASSERT_NE(nullptr, png.data) << c.id;
        IStream* stream = ::SHCreateMemStream(static_cast<const BYTE*>(png.data), png.size);
        ASSERT_NE(nullptr, stream);
        {
            Gdiplus::Bitmap image(stream);
            ASSERT_EQ(Gdiplus::Ok, image.GetLastStatus()) << c.id;
            EXPECT_EQ(c.width, image.GetWidth()) << c.id;
            EXPECT_EQ(c.height, image.GetHeight()) << c.id;
            EXPECT_EQ(PixelFormat32bppARGB, image.GetPixelFormat()) << c.id;
        }
        stream->Release();
    }
}

TEST(LibraryResources, FontIsFoundAsLowerCaseTypeAndLoads) {
    const Resource font = Find(106, L"ttf");
    ASSERT_NE(nullptr, font.data);
    DWORD fonts = 0;
    HANDLE handle = ::AddFontMemResourceEx(const_cast<void*>(font.data), font.size, nullptr, &fonts);
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(1u, fonts);
    ::RemoveFontMemResourceEx(handle);
}
