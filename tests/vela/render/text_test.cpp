// MRender: GDI text output, text bounds, content placement.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include "vela/MRender.h"
#include "vela/render/Canvas.h"

using Vela::CPoint;
using Vela::CRect;
using Vela::MRender;
using VelaTest::Canvas;

namespace {
// Wine's GDI+ knows installed families by their own names (it does not apply the font
// replacements that GDI uses for "Arial").
const wchar_t kFamily[] = L"Liberation Sans";
}  // namespace

TEST(MRenderText, DrawTextWDrawsInTheColourAndRestoresTheDC) {
    Canvas canvas(120, 40);
    HFONT font = ::CreateFontW(-24, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                               NONANTIALIASED_QUALITY, 0, kFamily);
    ::SetTextColor(canvas.dc(), RGB(1, 2, 3));
    HGDIOBJ fontBefore = ::GetCurrentObject(canvas.dc(), OBJ_FONT);
    ::SetBkMode(canvas.dc(), OPAQUE);

    CRect rect(0, 0, 120, 40);
    MRender::DrawTextW(canvas.dc(), rect, nullptr, RGB(255, 0, 0), font, DT_LEFT | DT_TOP);
    MRender::DrawTextW(canvas.dc(), rect, L"", RGB(255, 0, 0), font, DT_LEFT | DT_TOP);
    int inked = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) inked += canvas.Rgb(x, y) != 0;
    EXPECT_EQ(0, inked);

    MRender::DrawTextW(canvas.dc(), rect, L"HH", RGB(255, 0, 0), font, DT_LEFT | DT_TOP);
    int red = 0, other = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const DWORD c = canvas.Rgb(x, y);
            if (c == 0xFF0000) ++red;
            else if (c != 0) ++other;
        }
    }
    EXPECT_GT(red, 0);
    EXPECT_EQ(0, other);  // transparent background, one colour
    EXPECT_EQ(RGB(1, 2, 3), ::GetTextColor(canvas.dc()));
    EXPECT_EQ(fontBefore, ::GetCurrentObject(canvas.dc(), OBJ_FONT));
    EXPECT_EQ(TRANSPARENT, ::GetBkMode(canvas.dc()));
    ::DeleteObject(font);
}

TEST(MRenderText, TextBoundsGrowWithTheTextAndWrapAtAWidth) {
    Gdiplus::FontFamily family(kFamily);
    ASSERT_EQ(Gdiplus::Ok, family.GetLastStatus());
    Gdiplus::Font font(&family, 20, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    Gdiplus::StringFormat format;
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces);

    const Gdiplus::Size shortText = MRender::GetTextBounds(font, format, L"word");
    const Gdiplus::Size longText = MRender::GetTextBounds(font, format, L"word word word");
    EXPECT_GT(shortText.Width, 20);
    EXPECT_GT(longText.Width, 2 * shortText.Width);
    EXPECT_EQ(shortText.Height, longText.Height);  // one line: the font's height
    EXPECT_GT(shortText.Height, 20);
    // Without a format the default one is the same no-wrap, near-aligned layout.
    EXPECT_EQ(longText.Width, MRender::GetTextBounds(font, L"word word word").Width);

    // A layout width breaks the text into lines no wider than it. (Wine's GDI+ keeps only
    // the first line of a layout of height 0, so the taller result is not seen here.)
    Gdiplus::StringFormat wrapping;
    const Gdiplus::Size wide = MRender::GetTextBounds(font, wrapping, 1000, L"word word word");
    const Gdiplus::Size narrow = MRender::GetTextBounds(font, wrapping, 60, L"word word word");
    EXPECT_EQ(longText.Width, wide.Width);
    EXPECT_LE(narrow.Width, 60);
}

TEST(MRenderText, OriginPointsAlignContentInTheArea) {
    const struct {
        CRect area;
        int w, h;
        unsigned hAlign, vAlign;
        CPoint offset;  // first form
        CPoint origin;  // rectangle form: offset from the area's corner, 2 pixels lower
    } cases[] = {
        {CRect(0, 0, 100, 20), 40, 10, 1, 4, CPoint(30, 5), CPoint(30, 7)},
        {CRect(10, 20, 110, 40), 40, 10, 2, 8, CPoint(60, 10), CPoint(70, 32)},
        {CRect(10, 20, 110, 40), 40, 10, 0, 0, CPoint(0, 0), CPoint(10, 22)},
        {CRect(0, 0, 9, 9), 4, 4, 1, 4, CPoint(2, 2), CPoint(2, 4)},  // halves truncate
        {CRect(0, 0, 10, 10), 40, 40, 1, 4, CPoint(-15, -15), CPoint(-15, -13)},
    };
    for (const auto& c : cases) {
        const CPoint offset = MRender::GetOriginPoint(c.area.Width(), c.area.Height(), c.w, c.h,
                                                      c.hAlign, c.vAlign);
        EXPECT_EQ(c.offset, offset) << c.hAlign << "/" << c.vAlign;
        EXPECT_EQ(c.origin, MRender::GetOriginPoint(c.area, c.w, c.h, c.hAlign, c.vAlign))
            << c.hAlign << "/" << c.vAlign;
    }
}
