// MRender: gradients and alpha transitions, read back from memory DCs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "vela/MRender.h"
#include "vela/render/Canvas.h"

using Vela::CRect;
using Vela::MRender;
using VelaTest::Canvas;

TEST(MRenderGradient, EndPixelsCarryTheTwoColours) {
    const struct {
        bool vertical;
        int width, height;
    } cases[] = {{false, 200, 6}, {true, 6, 200}};
    for (const auto& c : cases) {
        Canvas canvas(c.width, c.height);
        const RECT rect = {0, 0, c.width, c.height};
        MRender::DrawGradient(canvas.dc(), rect, 0xFFFF0000, 0xFF0000FF, c.vertical, 10);
        const int lastX = c.width - 1, lastY = c.height - 1;
        SCOPED_TRACE(c.vertical ? "vertical" : "horizontal");
        EXPECT_NEAR(255, canvas.Red(0, 0), 3);
        EXPECT_NEAR(0, canvas.Blue(0, 0), 3);
        EXPECT_NEAR(0, canvas.Red(lastX, lastY), 3);
        EXPECT_NEAR(255, canvas.Blue(lastX, lastY), 3);
        // Along the other axis nothing changes.
        EXPECT_EQ(canvas.Rgb(0, 0), c.vertical ? canvas.Rgb(lastX, 0) : canvas.Rgb(0, lastY));
    }
}

TEST(MRenderGradient, TranslucentColoursBlendAtTheMeanAlpha) {
    Canvas canvas(40, 10);
    const RECT rect = {0, 0, 40, 10};
    MRender::DrawGradient(canvas.dc(), rect, 0x00FFFFFF, 0x00FFFFFF, false, 10);
    EXPECT_EQ(0u, canvas.Rgb(20, 5));  // both alphas 0: nothing drawn

    MRender::DrawGradient(canvas.dc(), rect, 0xFFFFFFFF, 0x00FFFFFF, false, 10);
    // Alpha (255 + 0) / 2 = 127 over black, all along the rectangle.
    EXPECT_NEAR(127, canvas.Red(0, 5), 2);
    EXPECT_NEAR(127, canvas.Red(39, 5), 2);
}

namespace {

// The value (over black, source white) that a transition leaves at step i.
int TransitionValue(const Canvas& canvas, bool vertical, int i) {
    return vertical ? canvas.Red(0, i) : canvas.Red(i, 0);
}

}  // namespace

TEST(MRenderTransition, RowsAndColumnsFadeBetweenTheTwoPercentages) {
    const struct {
        bool vertical;
        int steps, start, end;
        int first, last, result;
    } cases[] = {
        {true, 10, 80, 80, 51, 51, 51},     // equal percentages: alpha 51 throughout
        {false, 10, 80, 80, 51, 51, 51},
        {true, 256, 0, 100, 255, 0, 0},     // opaque to invisible
        {false, 256, 0, 100, 255, 0, 0},
        {true, 256, 100, 0, 0, 254, 254},   // invisible to (nearly) opaque
        {true, 0, 0, 100, 0, 0, 255},       // no rows: nothing drawn
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.vertical ? "vertical " : "horizontal ") << c.steps
                                          << " steps " << c.start << "% to " << c.end << "%");
        const int length = c.steps > 0 ? c.steps : 1;
        Canvas dst(c.vertical ? 4 : length, c.vertical ? length : 4);
        Canvas src(dst.width(), dst.height(), 0xFFFFFFFF);
        const CRect all = c.vertical ? CRect(0, 0, 4, c.steps) : CRect(0, 0, c.steps, 4);
        const int result =
            c.vertical
                ? MRender::DrawVerticalTransition(dst.dc(), src.dc(), all, all, c.start, c.end)
                : MRender::DrawHorizontalTransition(dst.dc(), src.dc(), all, all, c.start, c.end);
        EXPECT_EQ(c.result, result);
        if (c.steps == 0) {
            EXPECT_EQ(0u, dst.Rgb(0, 0));
            continue;
        }
        EXPECT_NEAR(c.first, TransitionValue(dst, c.vertical, 0), 1);
        EXPECT_NEAR(c.last, TransitionValue(dst, c.vertical, c.steps - 1), 1);
        for (int i = 1; i < c.steps; ++i) {
            const int step = TransitionValue(dst, c.vertical, i) -
                             TransitionValue(dst, c.vertical, i - 1);
            ASSERT_LE(std::abs(step), 2) << "at " << i;
        }
    }
}

TEST(MRenderTransition, CornerFadesFromTheSquaresTopLeftAtTheDCsOrigin) {
    Canvas dst(20, 20);
    Canvas src(20, 20, 0xFFFFFFFF);
    // The square lies at (rect width - size, rect height - size) of the DCs, wherever rect is.
    MRender::DrawRightBottomTransition(dst.dc(), src.dc(), CRect(100, 100, 120, 120), 8, 0);
    EXPECT_NEAR(255, dst.Red(12, 12), 1);   // distance 0: opaque
    EXPECT_NEAR(31, dst.Red(19, 12), 1);    // distance 7: 255 - 7 * 255 / 8
    EXPECT_EQ(0, dst.Red(19, 19));          // beyond distance 8: invisible
    EXPECT_EQ(0, dst.Red(11, 11));          // outside the square
}
