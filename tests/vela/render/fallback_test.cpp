// The stand-ins for msimg32's GradientFill and AlphaBlend. Wine's msimg32 always exports
// both, so the library never takes these paths here; this program compiles the two
// stand-ins in directly and checks them on memory DCs.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "render/GradientBands.h"
#include "render/SoftBlend.h"
#include "vela/render/Canvas.h"

using VelaTest::Canvas;

TEST(GradientBands, StepsChooseHowManyBandsAreDrawn) {
    const struct {
        int steps, bands;
    } cases[] = {{1, 2}, {3, 2}, {4, 4}, {10, 8}, {16, 16}, {63, 32}, {64, 64}, {500, 64}};
    for (const auto& c : cases) {
        Canvas canvas(128, 4);
        const RECT area = {0, 0, 128, 4};
        Vela::FillGradientBands(canvas.dc(), area, 0xFF000000, 0xFFFC00FC, false, c.steps);
        std::set<DWORD> colours;
        for (int x = 0; x < 128; ++x) colours.insert(canvas.Rgb(x, 2));
        EXPECT_EQ(static_cast<size_t>(c.bands), colours.size()) << c.steps << " steps";
    }
}

TEST(GradientBands, TheBandAtTheFarEdgeHasTheEndColour) {
    const struct {
        bool vertical;
        int width, height;
    } cases[] = {{false, 80, 4}, {true, 4, 80}};
    for (const auto& c : cases) {
        Canvas canvas(c.width, c.height);
        const RECT area = {0, 0, c.width, c.height};
        // 8 bands from red to blue.
        Vela::FillGradientBands(canvas.dc(), area, 0xFFFF0000, 0xFF0000FF, c.vertical, 10);
        SCOPED_TRACE(c.vertical ? "vertical" : "horizontal");
        EXPECT_EQ(0x0000FFu, canvas.Rgb(c.width - 1, c.height - 1));  // band 0: "to"
        // The first band: (to * 1 + from * 7) / 8.
        EXPECT_EQ(static_cast<DWORD>(255 * 7 / 8) << 16 | 255 / 8, canvas.Rgb(0, 0));
    }
}

TEST(SoftwareAlphaBlend, MixesBySourceAndConstantAlphaAndClearsTheAlphaByte) {
    Canvas dst(4, 4, 0xFF646464);        // grey 100
    Canvas src(2, 2, 0xFFC86400);        // alpha 255: red 200, green 100, blue 0
    const BLENDFUNCTION half = {AC_SRC_OVER, 0, 128, AC_SRC_ALPHA};
    ASSERT_TRUE(Vela::SoftwareAlphaBlend(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, half));
    // x = 255 * 128 / 255 / 255; red = trunc(100 (1 - x) + 200 x) = 150, blue = trunc(100 (1 - x)).
    EXPECT_EQ(0x00966431u, dst.Pixel(3, 3));
    EXPECT_EQ(0x00966431u, dst.Pixel(0, 0));

    Canvas clear(2, 2, 0x00FFFFFF);      // alpha 0: leaves the destination's colour
    Canvas target(2, 2, 0xFF102030);
    ASSERT_TRUE(Vela::SoftwareAlphaBlend(target.dc(), 0, 0, 2, 2, clear.dc(), 0, 0, 2, 2, half));
    EXPECT_EQ(0x00102030u, target.Pixel(1, 1));
}
