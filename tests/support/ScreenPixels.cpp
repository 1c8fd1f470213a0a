#include "support/ScreenPixels.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <objidl.h>
#include <gdiplus.h>

namespace TestSupport {

namespace {

// GDI+ for the life of the test program.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (m_started) Gdiplus::GdiplusShutdown(m_token);
    }
    bool Started() const { return m_started; }

private:
    ULONG_PTR m_token = 0;
    bool m_started = false;
};

bool StartGdiplus() {
    static GdiplusSession session;
    return session.Started();
}

struct DcDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
struct ObjectDeleter {
    void operator()(void* object) const { ::DeleteObject(static_cast<HGDIOBJ>(object)); }
};

}  // namespace

Pixels CaptureScreen(const RECT& rect) {
    Pixels pixels;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return pixels;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    std::unique_ptr<void, ObjectDeleter> bitmap(
        ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::unique_ptr<HDC__, DcDeleter> memory(::CreateCompatibleDC(nullptr));
    if (!bitmap || !memory) return pixels;
    const HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    const HDC screen = ::GetDC(nullptr);
    const BOOL copied =
        ::BitBlt(memory.get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    ::GdiFlush();
    ::SelectObject(memory.get(), old);
    if (!copied) return pixels;

    pixels.width = width;
    pixels.height = height;
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    pixels.argb.assign(source, source + static_cast<size_t>(width) * height);
    for (uint32_t& pixel : pixels.argb) pixel |= 0xFF000000u;
    return pixels;
}

Pixels LoadImageFile(const std::wstring& path) {
    Pixels pixels;
    if (!StartGdiplus()) return pixels;
    Gdiplus::Bitmap image(path.c_str());
    if (image.GetLastStatus() != Gdiplus::Ok) return pixels;
    const int width = static_cast<int>(image.GetWidth());
    const int height = static_cast<int>(image.GetHeight());
    Gdiplus::BitmapData data = {};
    Gdiplus::Rect all(0, 0, width, height);
    if (image.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
        Gdiplus::Ok) {
        return pixels;
    }
    pixels.width = width;
    pixels.height = height;
    pixels.argb.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(
            static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
        std::copy(row, row + width, pixels.argb.begin() + static_cast<ptrdiff_t>(y) * width);
    }
    image.UnlockBits(&data);
    return pixels;
}

int ColourDistance(uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        sum += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    }
    return sum;
}

}  // namespace TestSupport
