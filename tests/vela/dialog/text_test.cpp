// MText: where the label's text lands (alignment, wrapping, vertical centring), its solid
// background, and which setters ask for a repaint. Pixels are read back from a canvas.
#include <gtest/gtest.h>

#include <functional>

#include "vela/MText.h"
#include "vela/Manager.h"
#include "vela/controls/ControlKit.h"
#include "vela/dialog/SkinKit.h"
#include "vela/render/Canvas.h"

using Vela::CRect;
using Vela::Manager;
using Vela::MText;
using VelaDialogTest::Ink;
using VelaDialogTest::NearRgb;
using VelaTest::Canvas;
using VelaTest::Recorder;
using VelaTest::TestHost;

namespace {

const wchar_t kWords[] = L"one two three four five six seven";

// A label with a vertical scroll bar child (id 1), as scrolling labels derive it.
class ScrollingText : public MText {
public:
    ScrollingText(Vela::MObject* parent, CRect rect) : MText(parent, 3, rect, L"t", 1) {}
    VelaTest::Box* AddScrollBar(CRect rect) {
        auto* bar = new VelaTest::Box(this, 1, rect);  // owned by the label
        ::EnterCriticalSection(m_controlLock.get());
        m_controls.push_back(bar);
        ::LeaveCriticalSection(m_controlLock.get());
        m_scroll = 1;
        return bar;
    }
};

class MTextTest : public ::testing::Test {
protected:
    // Wine's GDI+ knows installed families by their own names only.
    static void SetUpTestSuite() { Manager::SetFontName(L"Liberation Sans"); }
    static void TearDownTestSuite() { Manager::SetFontName(L"Arial"); }

    // The label over black in a canvas of its own size plus 10 pixels on the right and the
    // bottom; returns where its ink lies.
    RECT InkOf(MText& label) {
        const CRect r = label.GetRect();
        m_canvas = std::make_unique<Canvas>(r.right + 10, r.bottom + 10);
        label.Draw(m_canvas->dc(), CRect(0, 0, m_canvas->width(), m_canvas->height()));
        return Ink(*m_canvas, RECT{0, 0, m_canvas->width(), m_canvas->height()}, 0);
    }

    TestHost m_host;  // gives the labels their font family; outlives them
    std::unique_ptr<Canvas> m_canvas;
};

}  // namespace

TEST_F(MTextTest, OneLineFollowsBothAlignments) {
    const CRect r(10, 10, 210, 70);  // much wider and higher than the text
    const struct {
        unsigned hAlign, vAlign;
        int left, right;   // the ink's left and right edge lie in [left, right)
        int top, bottom;   // its top and bottom edge in [top, bottom)
    } cases[] = {
        {0, 0, 10, 60, 10, 40},   {1, 4, 60, 160, 20, 60},  {2, 8, 160, 210, 40, 70},
        {2, 0, 160, 210, 10, 40}, {9, 9, 10, 60, 10, 40},  // other values: near
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "alignment " << c.hAlign << ", " << c.vAlign);
        MText label(nullptr, 3, r, L"HIH", 1);
        label.SetManager(&m_host);
        label.SetFontWidth(16);
        label.SetAlignment(c.hAlign, c.vAlign);
        const RECT ink = InkOf(label);
        ASSERT_LT(ink.left, ink.right);  // something was drawn
        EXPECT_GE(ink.left, c.left);
        EXPECT_LT(ink.right, c.right + 1);
        EXPECT_GE(ink.top, c.top);
        EXPECT_LT(ink.bottom, c.bottom + 1);
    }
    // Flush right: the text ends close to the label's right edge.
    MText label(nullptr, 3, r, L"HIH", 1);
    label.SetManager(&m_host);
    label.SetAlignment(2u, 4u);
    EXPECT_GE(InkOf(label).right, r.right - 6);
}

TEST_F(MTextTest, MultiLineTextWrapsAndCanBeCentredVertically) {
    const CRect r(0, 0, 90, 150);
    const int lineHeight = 16;
    const struct {
        const char* name;
        int multiLine, vCenter;
        unsigned vAlign;
        bool wraps;
        bool centred;  // ink about as far from the top as from the bottom
    } cases[] = {
        {"one line", 0, 0, 0, false, false},
        {"one line ignores the centring flag", 0, 1, 0, false, false},
        {"wrapped from the top", 1, 0, 0, true, false},
        {"wrapped and centred", 1, 1, 0, true, true},
        {"wrapped at the bottom", 1, 0, 8, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MText label(nullptr, 3, r, kWords, 1);
        label.SetManager(&m_host);
        label.SetFontWidth(14);
        label.SetAlignment(0u, c.vAlign);
        label.EnableMultiLine(c.multiLine);
        label.EnableVCenter(c.vCenter);
        const RECT ink = InkOf(label);
        ASSERT_LT(ink.top, ink.bottom);
        const int height = ink.bottom - ink.top;
        EXPECT_LE(ink.right, r.right);  // within the width either way
        if (c.wraps) {
            EXPECT_GT(height, 2 * lineHeight);  // three lines or more
        } else {
            EXPECT_LT(height, lineHeight + 4);  // one line
        }
        const int above = ink.top - r.top, below = r.bottom - ink.bottom;
        if (c.centred) {
            EXPECT_NEAR(above, below, 8);
        } else if (c.vAlign == 8) {
            EXPECT_LT(below, above);
        } else {
            EXPECT_LT(above, 6);
        }
    }
}

TEST_F(MTextTest, TheTextBackgroundReplacesWhatLiesBehind) {
    Recorder top;
    MText label(&top, 3, CRect(5, 5, 65, 35), L"x", 1);
    label.SetManager(&m_host);
    label.EnableTextBack(1, Gdiplus::Color(0xFFFF0000));
    label.EnableTextBack(1, Gdiplus::Color(0xFF00FF00));  // flag unchanged: colour not taken
    EXPECT_EQ(2u, top.updates.size());                    // but both ask for a repaint

    Canvas canvas(70, 40, 0xFF0000FF);
    label.Draw(canvas.dc(), CRect(0, 0, 70, 40));
    EXPECT_TRUE(NearRgb(0xFF0000, canvas.Rgb(6, 6)));
    EXPECT_TRUE(NearRgb(0xFF0000, canvas.Rgb(64, 34)));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(4, 20));

    label.EnableTextBack(0, Gdiplus::Color(0xFF00FF00));
    label.SetUpdate(0, 0);
    canvas.Fill(0xFF0000FF);
    label.Draw(canvas.dc(), CRect(0, 0, 70, 40));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(6, 6));  // composed over what lies behind again
}

TEST_F(MTextTest, MarkAndTitleSettersRepaintOnlyWhenSomethingChanged) {
    Recorder top;
    MText label(&top, 3, CRect(0, 0, 50, 20), L"title", 1);
    const Gdiplus::Color mark(0xFFED801B), other(0xFF010203);
    const struct {
        const char* name;
        std::function<void(MText&)> call;
        bool asks;
    } steps[] = {
        {"mark", [](MText& t) { t.SetMarkText(L"m"); }, true},
        {"same mark", [](MText& t) { t.SetMarkText(L"m"); }, false},
        {"same mark, colour and flag", [&](MText& t) { t.SetMarkText(L"m", mark, 0); }, false},
        {"other colour", [&](MText& t) { t.SetMarkText(L"m", other, 0); }, true},
        {"other flag", [&](MText& t) { t.SetMarkText(L"m", other, 1); }, true},
        {"title form, all equal", [&](MText& t) { t.SetMarkText(L"title", L"m", other, 1); },
         false},
        {"title form, new title", [&](MText& t) { t.SetMarkText(L"t2", L"m", other, 1); }, true},
        {"title and mark, equal", [](MText& t) { t.SetTitleMarkText(L"t2", L"m", 5); }, false},
        {"title and mark, new mark", [](MText& t) { t.SetTitleMarkText(L"t2", L"n", 0); },
         true},
        {"flags store only", [](MText& t) {
             t.EnableMultiLine(1);
             t.EnableShadow(1);
             t.EnableVCenter(1); }, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        const size_t before = top.updates.size();
        s.call(label);
        EXPECT_EQ(s.asks ? before + 1 : before, top.updates.size());
    }
    EXPECT_EQ(L"t2", label.GetTitle());
    const size_t shown = top.updates.size();
    label.SetVisible(0, 0);
    label.SetMarkText(L"hidden");
    EXPECT_EQ(shown, top.updates.size());  // hidden: no request
}

TEST_F(MTextTest, TheScrollBarFollowsTheRightEdgeAndTheWheelStopsAtTheLabel) {
    Recorder top;
    ScrollingText label(&top, CRect(0, 0, 50, 20));
    VelaTest::Box* bar = label.AddScrollBar(CRect(42, 0, 50, 20));
    label.SetRect(CRect(10, 30, 110, 90));
    EXPECT_EQ(CRect(102, 30, 110, 90), bar->GetRect());

    label.SetEnabled(1);  // labels are created disabled, and disabled controls take no wheel
    EXPECT_EQ(1, label.OnScroll(1, 1, Vela::CPoint(50, 50)));  // consumed by the label
    EXPECT_EQ(0, label.OnScroll(1, 1, Vela::CPoint(5, 5)));    // outside it
}

TEST_F(MTextTest, AScrollBarPositionRepaintsTheLabel) {
    Recorder top;
    MText label(&top, 3, CRect(0, 0, 50, 20), L"t", 1);
    EXPECT_FALSE(label.IsEnabled());
    EXPECT_EQ(0, label.OnBaseMessage(1, 8, 0, 0));   // from the vertical scroll bar
    EXPECT_EQ(0, label.OnBaseMessage(2, 8, 0, 0));   // another child
    EXPECT_EQ(0, label.OnBaseMessage(1, 2, 0, 0));   // another code
    ASSERT_EQ(1u, top.updates.size());
    EXPECT_EQ(1, top.updates[0].flag);
    EXPECT_EQ(0, label.GetVirtualHeight());
}
