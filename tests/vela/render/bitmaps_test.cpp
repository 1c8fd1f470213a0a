// MRender: 32-bit bitmaps, solid and translucent fills, BMP files.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/TestPaths.h"
#include "vela/MRender.h"
#include "vela/render/Canvas.h"

using Vela::MRender;
using VelaTest::Canvas;

namespace {
::testing::Environment* const gdiplus =
    ::testing::AddGlobalTestEnvironment(new VelaTest::GdiplusSession);
}  // namespace

TEST(MRenderBitmaps, ARGB32BitmapStoresImageRowsBottomUp) {
    const int width = 4, height = 3;
    HDC dc = ::CreateCompatibleDC(nullptr);
    unsigned char* bits = nullptr;
    HBITMAP bitmap = MRender::CreateARGB32Bitmap(dc, width, height, &bits);
    ASSERT_NE(nullptr, bitmap);
    ASSERT_NE(nullptr, bits);
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    ::SetPixelV(dc, 1, 0, RGB(255, 0, 0));  // image row 0
    ::SetPixelV(dc, 2, 2, RGB(0, 0, 255));  // image row 2
    ::GdiFlush();
    auto memory = [&](int x, int row) { return bits + (row * width + x) * 4; };  // B, G, R, A
    EXPECT_EQ(255, memory(1, height - 1 - 0)[2]);
    EXPECT_EQ(0, memory(1, 0)[2]);
    EXPECT_EQ(255, memory(2, height - 1 - 2)[0]);
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST(MRenderBitmaps, SolidFillsPaintTheRectangleAndKeepTheBackgroundColour) {
    Canvas canvas(10, 10);
    const RECT rect = {1, 1, 4, 4};
    MRender::FillSolidRect(canvas.dc(), &rect, RGB(10, 20, 30));
    MRender::FillSolidRect(canvas.dc(), 5, 5, 2, 3, RGB(40, 50, 60));
    EXPECT_EQ(0x0A141Eu, canvas.Rgb(1, 1));
    EXPECT_EQ(0x0A141Eu, canvas.Rgb(3, 3));
    EXPECT_EQ(0u, canvas.Rgb(4, 4));
    EXPECT_EQ(0x28323Cu, canvas.Rgb(6, 7));
    EXPECT_EQ(0u, canvas.Rgb(7, 7));
    EXPECT_EQ(RGB(40, 50, 60), ::GetBkColor(canvas.dc()));
}

TEST(MRenderBitmaps, DrawColorBlendsByAlphaAndSkipsTransparentColours) {
    Canvas canvas(8, 8);
    const RECT rect = {0, 0, 4, 8};
    MRender::DrawColor(canvas.dc(), rect, 0x00FF0000);
    EXPECT_EQ(0u, canvas.Rgb(1, 1));
    MRender::DrawColor(canvas.dc(), rect, 0x80FF0000);
    EXPECT_NEAR(128, canvas.Red(1, 1), 2);
    EXPECT_EQ(0, canvas.Green(1, 1));
    EXPECT_EQ(0u, canvas.Rgb(5, 1));
}

TEST(MRenderBitmaps, CheckAlphaColorNeverLeavesPureBlack) {
    const struct {
        unsigned long in, out;
    } cases[] = {{0xFF000000, 0xFF000001}, {0x00000000, 0x00000001},
                 {0x80000100, 0x80000100}, {0x12345678, 0x12345678}};
    for (const auto& c : cases) {
        unsigned long value = c.in;
        MRender::CheckAlphaColor(value);
        EXPECT_EQ(c.out, value) << std::hex << c.in;
    }
}

TEST(MRenderBitmaps, SaveBitmapToFileWritesA24BitFileOfTheScreen) {
    TestSupport::ScratchDir scratch(L"vela-bmp");
    const std::wstring path = scratch.path() + L"small.bmp";
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 3, 2);
    ::ReleaseDC(nullptr, screen);
    {
        HDC dc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ previous = ::SelectObject(dc, bitmap);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) ::SetPixelV(dc, x, y, RGB(0, 0, 0));
        ::SetPixelV(dc, 0, 0, RGB(1, 2, 3));  // top-left: stored in the last row of the file
        ::SelectObject(dc, previous);
        ::DeleteDC(dc);
    }
    EXPECT_EQ(0, MRender::SaveBitmapToFile(bitmap, scratch.path() + L"missing\\x.bmp"));
    ASSERT_EQ(1, MRender::SaveBitmapToFile(bitmap, path));
    ::DeleteObject(bitmap);

    std::ifstream in(path.c_str(), std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    in.close();
    // Xvfb's 24-bit screen reads as 32 bits per pixel: rows of 3 pixels x 3 bytes, padded to 12.
    ASSERT_EQ(78u, file.size());
    auto u32 = [&](size_t at) {
        return uint32_t(file[at]) | uint32_t(file[at + 1]) << 8 | uint32_t(file[at + 2]) << 16 |
               uint32_t(file[at + 3]) << 24;
    };
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(78u, u32(2));
    EXPECT_EQ(54u, u32(10));
    EXPECT_EQ(40u, u32(14));
    EXPECT_EQ(3u, u32(18));
    EXPECT_EQ(2u, u32(22));
    EXPECT_EQ(24, file[28]);
    // Second stored row (offset 54 + 12) is the image's top row; pixels are B, G, R.
    EXPECT_EQ(3, file[66]);
    EXPECT_EQ(2, file[67]);
    EXPECT_EQ(1, file[68]);
    EXPECT_EQ(0, file[54]);
}
