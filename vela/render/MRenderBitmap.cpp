// MRender: DCs, bitmaps, blits, solid fills, colours and BMP files.
#include "vela/MRender.h"

#include <vector>

#include "render/Handles.h"

namespace Vela {

HDC MRender::CreateCompatibleDC(HDC dc) { return ::CreateCompatibleDC(dc); }

HBITMAP MRender::CreateCompatibleBitmap(HDC dc, int width, int height) {
    return ::CreateCompatibleBitmap(dc, width, height);
}

HBITMAP MRender::CreateARGB32Bitmap(HDC dc, int width, int height, unsigned char** bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bits != nullptr) *bits = static_cast<unsigned char*>(pixels);
    return bitmap;
}

BOOL MRender::BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX,
                     int srcY) {
    return ::BitBlt(dst, x, y, width, height, src, srcX, srcY, SRCCOPY);
}

BOOL MRender::BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                     unsigned long rop) {
    return ::BitBlt(dst, x, y, width, height, src, srcX, srcY, rop);
}

void MRender::FillSolidRect(HDC& dc, const RECT* rect, unsigned long color) {
    // An opaque text output of no characters is GDI's cheapest solid fill.
    ::SetBkColor(dc, color);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

void MRender::FillSolidRect(HDC& dc, int x, int y, int width, int height, unsigned long color) {
    const RECT rect = {x, y, x + width, y + height};
    FillSolidRect(dc, &rect, color);
}

void MRender::DrawColor(HDC dc, const RECT& rect, Gdiplus::ARGB color) {
    if (color < 0x01000000) return;  // alpha 0
    Gdiplus::Graphics graphics(dc);
    Gdiplus::SolidBrush brush{Gdiplus::Color(color)};
    graphics.FillRectangle(&brush, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                           static_cast<INT>(rect.right - rect.left),
                           static_cast<INT>(rect.bottom - rect.top));
}

void MRender::CheckAlphaColor(unsigned long& color) {
    if ((color & 0x00FFFFFF) == 0) color += 1;
}

void MRender::DrawRectangle(HDC&, const CRect&, int, int, int) {}

int MRender::SaveBitmapToFile(HBITMAP bitmap, const std::wstring& path) {
    WORD bits = 24;
    {
        MemoryDC screen(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
        const int depth = ::GetDeviceCaps(screen.get(), PLANES) *
                          ::GetDeviceCaps(screen.get(), BITSPIXEL);
        bits = depth <= 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : 24;
    }
    // At 8 bits or fewer the rows come with a colour table, which this file layout has no
    // place for: such bitmaps are refused.
    if (bits <= 8) return 0;

    BITMAP info = {};
    if (::GetObjectW(bitmap, sizeof(info), &info) == 0) return 0;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = info.bmWidth;
    header.biHeight = info.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biCompression = BI_RGB;
    const DWORD rowSize = ((bits * static_cast<DWORD>(info.bmWidth) + 31) / 32) * 4;
    const DWORD imageSize = rowSize * static_cast<DWORD>(info.bmHeight);

    std::vector<unsigned char> pixels(imageSize);
    {
        WindowDC screen(nullptr);
        HPALETTE palette = static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE));
        HPALETTE previous = ::SelectPalette(screen.get(), palette, FALSE);
        ::RealizePalette(screen.get());
        BITMAPINFOHEADER request = header;  // GetDIBits may fill in the image size
        ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                    reinterpret_cast<BITMAPINFO*>(&request), DIB_RGB_COLORS);
        if (previous != nullptr) ::SelectPalette(screen.get(), previous, TRUE);
    }

    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return 0;
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fileHeader.bfSize = fileHeader.bfOffBits + imageSize;
    DWORD written = 0;
    ::WriteFile(file.get(), &fileHeader, sizeof(fileHeader), &written, nullptr);
    ::WriteFile(file.get(), &header, sizeof(header), &written, nullptr);
    ::WriteFile(file.get(), pixels.data(), imageSize, &written, nullptr);
    return 1;
}

}  // namespace Vela
