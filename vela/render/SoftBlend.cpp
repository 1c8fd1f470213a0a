#include "render/SoftBlend.h"

#include "render/Handles.h"

namespace Vela {
namespace {

// A memory DC holding a top-down 32-bit DIB of width x height.
struct PixelBuffer {
    MemoryDC dc;
    GdiObject<HBITMAP> bitmap;
    unsigned char* pixels = nullptr;  // owned by bitmap

    PixelBuffer(HDC reference, int width, int height) : dc(::CreateCompatibleDC(reference)) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap.reset(::CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        pixels = static_cast<unsigned char*>(bits);
    }
    bool ok() const { return dc && bitmap && pixels != nullptr; }
};

}  // namespace

BOOL WINAPI SoftwareAlphaBlend(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy,
                               int sw, int sh, BLENDFUNCTION blend) {
    if (dw <= 0 || dh <= 0) return 1;
    PixelBuffer source(dst, dw, dh);
    PixelBuffer result(dst, dw, dh);
    if (!source.ok() || !result.ok()) return 0;
    // The selections end before the buffers are deleted (declared after them).
    Selection sourceSel(source.dc.get(), source.bitmap.get());
    Selection resultSel(result.dc.get(), result.bitmap.get());
    ::SetStretchBltMode(source.dc.get(), COLORONCOLOR);
    ::StretchBlt(source.dc.get(), 0, 0, dw, dh, src, sx, sy, sw, sh, SRCCOPY);
    ::BitBlt(result.dc.get(), 0, 0, dw, dh, dst, dx, dy, SRCCOPY);
    ::GdiFlush();  // the pixels are read directly below

    const double constant = blend.SourceConstantAlpha;
    for (int i = 0; i < dw * dh; ++i) {
        const unsigned char* s = source.pixels + i * 4;
        unsigned char* d = result.pixels + i * 4;
        double x = s[3] * constant / 255.0 / 255.0;
        if (x < 0) x = 0;
        for (int c = 0; c < 3; ++c) {
            d[c] = static_cast<unsigned char>(d[c] * (1.0 - x) + s[c] * x);
        }
        d[3] = 0;
    }
    ::BitBlt(dst, dx, dy, dw, dh, result.dc.get(), 0, 0, SRCCOPY);
    return 1;
}

}  // namespace Vela
