// MRender: nine-grid frames keep their corners and stretch their edges and centre.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include "vela/MRender.h"
#include "vela/render/Canvas.h"

using Vela::CRect;
using Vela::MRender;
using VelaTest::Canvas;

namespace {

struct Borders {
    int l, t, r, b;
};

const Gdiplus::ARGB kOtherFrame = 0xFFFF00FF;
const Gdiplus::ARGB kTop = 0xFF0000C0, kBottom = 0xFF00C000, kLeft = 0xFFC00000,
                    kRight = 0xFFC0C000, kCentre = 0xFF808080;

// Corner pixels all differ from each other, so a scaled or shifted corner shows.
Gdiplus::ARGB CornerPixel(int corner, int x, int y) {
    return 0xFF000000 | (40 + x * 5) << 16 | (40 + y * 5) << 8 | (corner * 60);
}

// The frame (x, y) of a w x h frame with borders lies in: corner 0..3 or an edge or centre.
Gdiplus::ARGB FramePixel(const Borders& bd, int w, int h, int x, int y) {
    const bool left = x < bd.l, right = x >= w - bd.r, top = y < bd.t, bottom = y >= h - bd.b;
    if (top && left) return CornerPixel(0, x, y);
    if (top && right) return CornerPixel(1, x - (w - bd.r), y);
    if (bottom && left) return CornerPixel(2, x, y - (h - bd.b));
    if (bottom && right) return CornerPixel(3, x - (w - bd.r), y - (h - bd.b));
    if (top) return kTop;
    if (bottom) return kBottom;
    if (left) return kLeft;
    if (right) return kRight;
    return kCentre;
}

}  // namespace

TEST(MRenderFrame, CornersStayUnscaledAtEverySize) {
    const int w = 36, h = 30;  // one frame; the image holds another frame before it
    const struct {
        Borders borders;
        bool uniform;  // drawn with DrawImageFrame (one border) instead of the four-border form
        int width, height;
    } cases[] = {
        {{10, 10, 10, 10}, true, 36, 30},  {{10, 10, 10, 10}, true, 90, 45},
        {{10, 10, 10, 10}, true, 24, 80},  {{4, 6, 8, 10}, false, 40, 40},
        {{4, 6, 8, 10}, false, 100, 27},
    };
    for (const auto& c : cases) {
        const Borders& bd = c.borders;
        SCOPED_TRACE(::testing::Message() << "borders " << bd.l << "," << bd.t << "," << bd.r
                                          << "," << bd.b << " at " << c.width << "x" << c.height);
        Gdiplus::Bitmap image(2 * w, h, PixelFormat32bppARGB);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                image.SetPixel(x, y, Gdiplus::Color(kOtherFrame));
                image.SetPixel(w + x, y, Gdiplus::Color(FramePixel(bd, w, h, x, y)));
            }
        }
        Canvas canvas(c.width + 10, c.height + 10);
        const CRect dst(3, 4, 3 + c.width, 4 + c.height);
        {
            Gdiplus::Graphics graphics(canvas.dc());
            if (c.uniform) {
                MRender::DrawImageFrame(graphics, &image, dst, w, 0, w, h, bd.l);
            } else {
                MRender::DrawImageFrameMID(graphics, &image, dst, w, 0, w, h, bd.l, bd.t, bd.r,
                                           bd.b);
            }
        }
        // Corners: pixel for pixel.
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool cornerX = x < bd.l || x >= w - bd.r;
                const bool cornerY = y < bd.t || y >= h - bd.b;
                if (!cornerX || !cornerY) continue;
                const int dx = x < bd.l ? dst.left + x : dst.right - (w - x);
                const int dy = y < bd.t ? dst.top + y : dst.bottom - (h - y);
                ASSERT_EQ(FramePixel(bd, w, h, x, y), canvas.Pixel(dx, dy) | 0xFF000000)
                    << "corner pixel " << x << "," << y;
            }
        }
        // Edges and centre: the middle of each stretched part has the part's colour.
        const int midX = (dst.left + bd.l + dst.right - bd.r) / 2;
        const int midY = (dst.top + bd.t + dst.bottom - bd.b) / 2;
        EXPECT_EQ(kTop & 0xFFFFFF, canvas.Rgb(midX, dst.top + bd.t / 2));
        EXPECT_EQ(kBottom & 0xFFFFFF, canvas.Rgb(midX, dst.bottom - 1 - bd.b / 2));
        EXPECT_EQ(kLeft & 0xFFFFFF, canvas.Rgb(dst.left + bd.l / 2, midY));
        EXPECT_EQ(kRight & 0xFFFFFF, canvas.Rgb(dst.right - 1 - bd.r / 2, midY));
        EXPECT_EQ(kCentre & 0xFFFFFF, canvas.Rgb(midX, midY));
        // Nothing outside dst.
        EXPECT_EQ(0u, canvas.Rgb(dst.left - 1, midY));
        EXPECT_EQ(0u, canvas.Rgb(midX, dst.bottom));
    }
}
