// CArea: a translucent veil or a framed fill over what lies behind, read back from a canvas.
#include <gtest/gtest.h>

#include "vela/CArea.h"
#include "vela/controls/ControlKit.h"
#include "vela/dialog/SkinKit.h"
#include "vela/render/Canvas.h"

using Vela::CArea;
using Vela::CRect;
using VelaDialogTest::NearRgb;
using VelaTest::Canvas;
using VelaTest::Recorder;

namespace {

const DWORD kBehind = 0xFF6400C8;  // red 100, blue 200
const CRect kArea(5, 5, 35, 25);

void Paint(CArea& area, Canvas& canvas) {
    canvas.Fill(kBehind);
    area.Draw(canvas.dc(), CRect(0, 0, canvas.width(), canvas.height()));
}

}  // namespace

TEST(CAreaTest, ByDefaultAWhiteVeilLetsEightyPercentOfTheBackgroundThrough) {
    Canvas canvas(40, 30);
    CArea area(nullptr, 7, kArea, 1, 1);
    EXPECT_EQ(1, area.GetRresponse());
    Paint(area, canvas);
    // 255 * 0.2 + behind * 0.8 per channel (constant alpha 51).
    const DWORD veiled = (131u << 16) | (51u << 8) | 211u;
    EXPECT_TRUE(NearRgb(veiled, canvas.Rgb(5, 5)));
    EXPECT_TRUE(NearRgb(veiled, canvas.Rgb(20, 15)));
    EXPECT_TRUE(NearRgb(veiled, canvas.Rgb(34, 24)));
    EXPECT_EQ(kBehind & 0xFFFFFF, canvas.Rgb(4, 15));
    EXPECT_EQ(kBehind & 0xFFFFFF, canvas.Rgb(35, 15));
}

TEST(CAreaTest, OpaqueAreasAreAFillWithAnOptionalOnePixelFrame) {
    const struct {
        const char* name;
        int frame;
        DWORD edge;    // 0x00RRGGBB at the area's border pixels
        DWORD inside;
    } cases[] = {
        {"no frame", 0, 0x0000FF, 0x0000FF},
        {"frame", 1, 0x00FF00, 0x0000FF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas(40, 30);
        CArea area(nullptr, 7, kArea, 1, 1);
        area.SetTransparent(0, 0, RGB(0, 0, 255));
        area.SetFrame(c.frame, Gdiplus::Color(0xFF00FF00), 5);  // the width is not used
        Paint(area, canvas);
        // Alpha 0xFE: one part in 255 of what lies behind shows through.
        EXPECT_TRUE(NearRgb(c.edge, canvas.Rgb(5, 5)));
        EXPECT_TRUE(NearRgb(c.edge, canvas.Rgb(34, 24)));
        EXPECT_TRUE(NearRgb(c.edge, canvas.Rgb(20, 5)));
        EXPECT_TRUE(NearRgb(c.inside, canvas.Rgb(6, 6)));
        EXPECT_TRUE(NearRgb(c.inside, canvas.Rgb(33, 23)));
    }
}

TEST(CAreaTest, ATransparencyRunFadesFromTopToBottomWithoutAFrame) {
    Canvas canvas(40, 30);
    CArea area(nullptr, 7, kArea, 1, 1);
    area.SetFrame(1, Gdiplus::Color(0xFF00FF00), 1);
    area.SetTransparent(0, 100, RGB(255, 255, 255));
    Paint(area, canvas);
    EXPECT_TRUE(NearRgb(0xFFFFFF, canvas.Rgb(20, 5)));             // opaque white at the top
    EXPECT_TRUE(NearRgb(kBehind & 0xFFFFFF, canvas.Rgb(20, 24), 20));  // nearly clear below
    int previous = 256;
    for (int y = 5; y < 25; ++y) {  // green only comes from the veil
        EXPECT_LE(canvas.Green(20, y), previous) << "row " << y;
        previous = canvas.Green(20, y);
    }
    EXPECT_TRUE(NearRgb(canvas.Rgb(20, 15), canvas.Rgb(5, 15), 1));  // no frame at the edge
}

TEST(CAreaTest, SettersMarkTheAreaForRedrawSoTheNextPaintShowsThem) {
    Recorder top;
    Canvas canvas(40, 30);
    CArea area(&top, 7, kArea, 1, 1);
    Paint(area, canvas);
    area.SetTransparent(0, 0, RGB(255, 0, 0));
    ASSERT_EQ(1u, top.updates.size());
    EXPECT_EQ(1, top.updates[0].flag);
    EXPECT_EQ(kArea, top.updates[0].rect);
    area.SetUpdate(0, 0);  // what the paint manager does for a request with update set
    Paint(area, canvas);
    EXPECT_TRUE(NearRgb(0xFF0000, canvas.Rgb(20, 15)));

    area.SetVisible(0, 0);
    area.SetFrame(1, Gdiplus::Color(0xFF00FF00), 1);
    EXPECT_EQ(1u, top.updates.size());  // hidden: no request
}
