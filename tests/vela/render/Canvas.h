// Canvas: a top-down 32-bit DIB selected into a memory DC, whose pixels a test reads back.
// GdiplusSession: starts GDI+ for the whole test program (a GoogleTest environment).
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

namespace VelaTest {

class Canvas {
public:
    Canvas(int width, int height, DWORD fill = 0xFF000000) : m_width(width), m_height(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down: row y is memory row y
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pixels = static_cast<DWORD*>(bits);
        m_dc = ::CreateCompatibleDC(nullptr);
        m_previous = ::SelectObject(m_dc, m_bitmap);
        Fill(fill);
    }
    ~Canvas() {
        ::SelectObject(m_dc, m_previous);  // the bitmap leaves the DC before both are deleted
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC& dc() { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // 0xAARRGGBB as stored.
    DWORD Pixel(int x, int y) const {
        ::GdiFlush();
        return m_pixels[y * m_width + x];
    }
    DWORD Rgb(int x, int y) const { return Pixel(x, y) & 0x00FFFFFF; }
    int Red(int x, int y) const { return (Pixel(x, y) >> 16) & 0xFF; }
    int Green(int x, int y) const { return (Pixel(x, y) >> 8) & 0xFF; }
    int Blue(int x, int y) const { return Pixel(x, y) & 0xFF; }

    void Fill(DWORD argb) {
        ::GdiFlush();
        for (int i = 0; i < m_width * m_height; ++i) m_pixels[i] = argb;
    }

private:
    int m_width;
    int m_height;
    HBITMAP m_bitmap;        // owned
    DWORD* m_pixels;         // owned by m_bitmap
    HDC m_dc;                // owned
    HGDIOBJ m_previous;      // not owned
};

class GdiplusSession : public ::testing::Environment {
public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

}  // namespace VelaTest
