// MRender: rounded rectangles, rotation, aspect-fit rectangles.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <cmath>
#include <vector>

#include "vela/MRender.h"
#include "vela/render/Canvas.h"

using Vela::CRect;
using Vela::MRender;
using VelaTest::Canvas;

TEST(MRenderGeometry, RoundRectanglesCutTheirCorners) {
    Canvas canvas(60, 60);
    {
        Gdiplus::Graphics graphics(canvas.dc());
        MRender::DrawRoundRectange(graphics, 10, 10, 40, 40, 10, Gdiplus::Color(0xFFFF0000));
    }
    EXPECT_EQ(0xFF0000u, canvas.Rgb(30, 30));  // centre
    EXPECT_EQ(0xFF0000u, canvas.Rgb(11, 30));  // left edge, between the corners
    EXPECT_EQ(0xFF0000u, canvas.Rgb(30, 48));  // bottom edge
    EXPECT_EQ(0u, canvas.Rgb(11, 11));         // cut corners
    EXPECT_EQ(0u, canvas.Rgb(48, 48));
    EXPECT_EQ(0u, canvas.Rgb(55, 30));         // outside
}

TEST(MRenderGeometry, OutlinedRoundRectanglesFillTheirInsideOnlyWhenAsked) {
    for (bool fill : {true, false}) {
        Canvas canvas(60, 60);
        {
            Gdiplus::Graphics graphics(canvas.dc());
            // Divisor 4: corner radii 40 / 4 / 2 = 5.
            MRender::DrawRoundRectange(graphics, 10, 10, 40, 40, 4, Gdiplus::Color(0xFF00FF00),
                                       3, fill, Gdiplus::Color(0xFF0000FF));
        }
        SCOPED_TRACE(fill ? "filled" : "not filled");
        EXPECT_EQ(fill ? 0x0000FFu : 0u, canvas.Rgb(30, 30));
        EXPECT_EQ(0x00FF00u, canvas.Rgb(30, 10));  // on the outline
        EXPECT_EQ(0x00FF00u, canvas.Rgb(10, 30));
        EXPECT_EQ(0u, canvas.Rgb(9, 9) & 0x00FF00);  // the corner is rounded away
    }
}

TEST(MRenderGeometry, AddRoundedRectangleAddsOneClosedFigure) {
    Gdiplus::GraphicsPath path;
    path.AddLine(0, 0, 1, 1);  // an earlier, open figure of the caller
    MRender::AddRoundedRectangle(path, 5, 6, 30, 20, 4);
    Gdiplus::RectF bounds;
    Gdiplus::GraphicsPath alone;
    MRender::AddRoundedRectangle(alone, 5, 6, 30, 20, 4);
    alone.GetBounds(&bounds);
    EXPECT_NEAR(5, bounds.X, 0.01);
    EXPECT_NEAR(6, bounds.Y, 0.01);
    EXPECT_NEAR(30, bounds.Width, 0.01);
    EXPECT_NEAR(20, bounds.Height, 0.01);

    const INT count = path.GetPointCount();
    std::vector<BYTE> types(count);
    path.GetPathTypes(types.data(), count);
    int figures = 0;
    for (BYTE type : types) figures += (type & Gdiplus::PathPointTypePathTypeMask) == 0;
    EXPECT_EQ(2, figures);
    EXPECT_TRUE(types.back() & Gdiplus::PathPointTypeCloseSubpath);
}

TEST(MRenderGeometry, RotationTurnsClockwiseOnScreen) {
    const struct {
        float x, y, angle, cx, cy, ex, ey;
    } cases[] = {{10, 0, 90, 0, 0, 0, 10}, {10, 5, 180, 5, 5, 0, 5}, {3, 4, -90, 0, 0, 4, -3}};
    for (const auto& c : cases) {
        Gdiplus::PointF point(c.x, c.y);
        MRender::RotatePoint(point, c.angle, Gdiplus::PointF(c.cx, c.cy));
        EXPECT_NEAR(c.ex, point.X, 1e-3) << c.angle;
        EXPECT_NEAR(c.ey, point.Y, 1e-3) << c.angle;
    }
}

TEST(MRenderGeometry, ImageRectsShrinkToTheBoxAndCentre) {
    const struct {
        int a, b;
        CRect box, expected;
    } cases[] = {
        {400, 100, CRect(0, 0, 200, 200), CRect(0, 75, 200, 125)},     // too wide
        {100, 400, CRect(0, 0, 200, 200), CRect(75, 0, 125, 200)},     // too tall
        {400, 400, CRect(0, 0, 200, 100), CRect(50, 0, 150, 100)},     // both, height limits
        {800, 200, CRect(0, 0, 200, 100), CRect(0, 25, 200, 75)},      // both, width limits
        {50, 50, CRect(10, 10, 210, 110), CRect(85, 35, 135, 85)},     // fits: kept
        {200, 300, CRect(0, 0, 200, 200), CRect(0, -50, 200, 250)},    // exact width: kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, MRender::GetImageRect(c.a, c.b, c.box)) << c.a << "x" << c.b;
    }
}
