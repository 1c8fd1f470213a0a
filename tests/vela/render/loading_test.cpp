// MRender: images from files and resources, thumbnails, icons.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include "support/TestPaths.h"
#include "vela/MRender.h"
#include "vela/fixtures/Fixtures.h"
#include "vela/render/Canvas.h"

using Vela::MRender;

namespace {

class MRenderLoading : public ::testing::Test {
protected:
    MRenderLoading() : m_scratch(L"vela-loading") {
        EXPECT_TRUE(VelaFixtures::WriteResource(VelaFixtures::kStripPng, StripPath()));
    }
    std::wstring StripPath() const { return m_scratch.path() + L"strip4.png"; }
    std::wstring Path(const wchar_t* name) const { return m_scratch.path() + name; }

private:
    TestSupport::ScratchDir m_scratch;
};

DWORD PixelOf(Gdiplus::Image* image, int x, int y) {
    Gdiplus::Bitmap* bitmap = static_cast<Gdiplus::Bitmap*>(image);
    Gdiplus::Color color;
    bitmap->GetPixel(x, y, &color);
    return color.GetValue();
}

// A 16 x 16 icon file of one opaque colour (32 bits per pixel, empty mask).
void WriteIcon(const std::wstring& path, uint32_t bgra) {
    const int size = 16;
    std::vector<unsigned char> image;
    auto put16 = [&](std::vector<unsigned char>& v, uint16_t x) {
        v.push_back(x & 0xFF);
        v.push_back(x >> 8);
    };
    auto put32 = [&](std::vector<unsigned char>& v, uint32_t x) {
        for (int i = 0; i < 4; ++i) v.push_back((x >> (8 * i)) & 0xFF);
    };
    put32(image, 40);         // BITMAPINFOHEADER
    put32(image, size);
    put32(image, size * 2);   // colour and mask
    put16(image, 1);
    put16(image, 32);
    for (int i = 0; i < 6; ++i) put32(image, 0);
    for (int i = 0; i < size * size; ++i) put32(image, bgra);
    for (int i = 0; i < size * 4; ++i) image.push_back(0);  // mask rows of 4 bytes: all shown

    std::vector<unsigned char> file;
    put16(file, 0);
    put16(file, 1);  // icon
    put16(file, 1);  // one image
    file.push_back(size);
    file.push_back(size);
    file.push_back(0);
    file.push_back(0);
    put16(file, 1);
    put16(file, 32);
    put32(file, static_cast<uint32_t>(image.size()));
    put32(file, 6 + 16);
    file.insert(file.end(), image.begin(), image.end());
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
}

}  // namespace

TEST_F(MRenderLoading, FilesLoadAsTheyAreAndMissingOnesGiveNull) {
    std::unique_ptr<Gdiplus::Image> strip(MRender::LoadImageFromFile(StripPath()));
    ASSERT_NE(nullptr, strip);
    EXPECT_EQ(100u, strip->GetWidth());
    EXPECT_EQ(20u, strip->GetHeight());
    for (int frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(VelaFixtures::kStripFrames[frame], PixelOf(strip.get(), frame * 25 + 12, 10));
    }
    EXPECT_EQ(nullptr, MRender::LoadImageFromFile(Path(L"missing.png")));
    EXPECT_EQ(nullptr, MRender::LoadImageFromFileEx(Path(L"missing.png"), 10, 10));
}

TEST_F(MRenderLoading, ThumbnailsTakeTheAskedSizeOrTheImagesOwn) {
    const struct {
        int width, height;
        UINT expectedWidth, expectedHeight;
    } cases[] = {{50, 10, 50, 10}, {0, 0, 100, 20}, {20, 20, 20, 20}};
    for (const auto& c : cases) {
        std::unique_ptr<Gdiplus::Image> image(
            MRender::LoadImageFromFileEx(StripPath(), c.width, c.height));
        ASSERT_NE(nullptr, image) << c.width << "x" << c.height;
        EXPECT_EQ(c.expectedWidth, image->GetWidth());
        EXPECT_EQ(c.expectedHeight, image->GetHeight());
    }
}

TEST_F(MRenderLoading, ResourcesLoadFromTheModule) {
    HINSTANCE self = ::GetModuleHandleW(nullptr);
    std::unique_ptr<Gdiplus::Image> strip(
        MRender::LoadImageFromIDResource(VelaFixtures::kStripPng, L"PNG", self));
    ASSERT_NE(nullptr, strip);
    EXPECT_EQ(100u, strip->GetWidth());
    EXPECT_EQ(20u, strip->GetHeight());
    // Decoded lazily or not, the pixels are there for as long as the image lives.
    EXPECT_EQ(VelaFixtures::kStripFrames[2], PixelOf(strip.get(), 62, 5));

    std::unique_ptr<Gdiplus::Image> garbage(
        MRender::LoadImageFromIDResource(VelaFixtures::kNotAnImage, L"PNG", self));
    ASSERT_NE(nullptr, garbage);
    EXPECT_EQ(0u, garbage->GetWidth());
    EXPECT_EQ(0u, garbage->GetHeight());

    EXPECT_EQ(nullptr, MRender::LoadImageFromIDResource(999, L"PNG", self));
    EXPECT_EQ(nullptr, MRender::LoadImageFromIDResource(VelaFixtures::kStripPng, L"GIF", self));
}

TEST_F(MRenderLoading, IconsComeFromTheFirstIconOfTheFile) {
    WriteIcon(Path(L"orange.ico"), 0xFFFF8000);  // stored as B, G, R, A: orange
    HICON icon = MRender::LoadIconFromFile(Path(L"orange.ico"));
    ASSERT_NE(nullptr, icon);
    VelaTest::Canvas canvas(16, 16);
    ::DrawIconEx(canvas.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(0xFF8000u, canvas.Rgb(8, 8));
    ::DestroyIcon(icon);
}
