// MButton: the four states drawn from the skin strip, the press and click notifications, the
// title in each state, and the icon strip. Pixels are read back from a canvas.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "vela/MButton.h"
#include "vela/Manager.h"
#include "vela/controls/ControlKit.h"
#include "vela/dialog/SkinKit.h"
#include "vela/fixtures/Fixtures.h"
#include "vela/render/Canvas.h"

using Vela::CPoint;
using Vela::CRect;
using Vela::Manager;
using Vela::MButton;
using VelaDialogTest::Brightest;
using VelaDialogTest::Ink;
using VelaDialogTest::NearRgb;
using VelaDialogTest::SkinFiles;
using VelaTest::Canvas;
using VelaTest::Recorder;
using VelaTest::TestHost;

namespace {

const wchar_t kStrip[] = L"vela_button_strip4.png";  // 100 x 20: red, green, blue, yellow

class MButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Manager::SetFontName(L"Liberation Sans");  // a family that Wine's GDI+ knows
        s_skins = std::make_unique<SkinFiles>();
        ASSERT_TRUE(s_skins->WriteResource(VelaFixtures::kStripPng, kStrip));
    }
    static void TearDownTestSuite() {
        s_skins.reset();
        Manager::SetFontName(L"Arial");
    }

    // Paints the button over black; the cache is rebuilt only when the button was marked.
    void Paint(MButton& button) {
        m_canvas.Fill(0xFF000000);
        button.Draw(m_canvas.dc(), CRect(0, 0, m_canvas.width(), m_canvas.height()));
    }

    static std::unique_ptr<SkinFiles> s_skins;
    TestHost m_host;  // outlives the buttons
    Recorder m_top;
    Canvas m_canvas{120, 40};
};
std::unique_ptr<SkinFiles> MButtonTest::s_skins;

DWORD Frame(int state) { return VelaFixtures::kStripFrames[state] & 0xFFFFFF; }

// The button's icon strip, which only derived buttons draw.
class IconButton : public MButton {
public:
    using MButton::MButton;
    CRect IconFrame() const { return CRect(0, 0, m_iconFrameWidth, m_iconHeight); }
    int IconCount() const { return m_iconCount; }
};

}  // namespace

TEST_F(MButtonTest, StatesFollowTheMouseAndReportPressAndClick) {
    const CRect rect(10, 10, 35, 30);  // one 25 x 20 frame
    const CPoint in(20, 20), out(60, 35);
    MButton button(&m_top, 9, rect, nullptr, 1, 1);
    button.SetManager(&m_host);
    ASSERT_EQ(1, button.SetImage(kStrip, 4));
    Paint(button);
    ASSERT_EQ(Frame(0), m_canvas.Rgb(22, 20));

    using Act = std::function<int(MButton&)>;
    const Act moveIn = [&](MButton& b) { return b.OnMouseMove(0, in); };
    const Act moveOut = [&](MButton& b) { return b.OnMouseMove(0, out); };
    const Act downIn = [&](MButton& b) { return b.OnLButtonDown(MK_LBUTTON, in); };
    const Act upIn = [&](MButton& b) { return b.OnLButtonUp(0, in); };
    const Act upOut = [&](MButton& b) { return b.OnLButtonUp(0, out); };
    const struct {
        const char* name;
        Act act;
        int result;  // 1 exactly when the state changed
        int state;   // the frame shown afterwards
        std::vector<unsigned long> codes;
    } steps[] = {
        {"hover", moveIn, 1, 1, {}},
        {"hover again", moveIn, 0, 1, {}},
        {"press", downIn, 1, 2, {MButton::kPressCode}},
        {"press while pressed", downIn, 0, 2, {MButton::kPressCode}},
        {"pressed, moved away", moveOut, 0, 2, {}},
        {"released over it: click", upIn, 1, 1, {MButton::kClickCode}},
        {"away", moveOut, 1, 0, {}},
        {"released over it without a press", upIn, 1, 1, {}},
        {"pressed again", downIn, 1, 2, {MButton::kPressCode}},
        {"released away: no click", upOut, 1, 0, {}},
        {"released away again", upOut, 0, 0, {}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        const size_t notes = m_top.notes.size(), updates = m_top.updates.size();
        EXPECT_EQ(s.result, s.act(button));
        std::vector<unsigned long> codes;
        for (size_t i = notes; i < m_top.notes.size(); ++i) {
            EXPECT_EQ(9u, m_top.notes[i].id);
            codes.push_back(m_top.notes[i].code);
        }
        EXPECT_EQ(s.codes, codes);
        // A state change asks only to be copied again from the cached strip (update 0).
        ASSERT_EQ(updates + s.result, m_top.updates.size());
        if (s.result) {
            EXPECT_EQ(0, m_top.updates.back().flag);
        }
        Paint(button);
        EXPECT_EQ(Frame(s.state), m_canvas.Rgb(22, 20));
    }

    button.OnMouseMove(0, in);
    button.SetEnabled(0);
    Paint(button);
    EXPECT_EQ(Frame(3), m_canvas.Rgb(22, 20));  // disabled, also from hover
    const size_t notes = m_top.notes.size();
    EXPECT_EQ(0, button.OnMouseMove(0, out));
    EXPECT_EQ(0, button.OnLButtonDown(MK_LBUTTON, in));
    EXPECT_EQ(0, button.OnLButtonUp(0, in));
    EXPECT_EQ(notes, m_top.notes.size());
    Paint(button);
    EXPECT_EQ(Frame(3), m_canvas.Rgb(22, 20));
    button.SetEnabled(1);
    Paint(button);
    EXPECT_EQ(Frame(0), m_canvas.Rgb(22, 20));

    MButton created(&m_top, 10, rect, nullptr, 1, 0);  // created disabled
    created.SetManager(&m_host);
    ASSERT_EQ(1, created.SetImage(kStrip, 4));
    Paint(created);
    EXPECT_EQ(Frame(3), m_canvas.Rgb(22, 20));
}

TEST_F(MButtonTest, TheTitleIsCentredGreyWhenDisabledAndSinksWhenPressed) {
    const CRect rect(10, 5, 110, 35);
    const RECT all = {0, 0, 120, 40};
    MButton button(&m_top, 9, rect, L"OK", 1, 1);
    button.SetManager(&m_host);
    button.SetAlignment(0u, 0u);  // not consulted: the title is always centred
    button.SetFontWidth(16);

    Paint(button);
    const RECT normal = Ink(m_canvas, all, 0);
    ASSERT_LT(normal.left, normal.right);
    EXPECT_NEAR(normal.left - rect.left, rect.right - normal.right, 3);
    EXPECT_NEAR(normal.top - rect.top, rect.bottom - normal.bottom, 4);
    EXPECT_GT(Brightest(m_canvas, normal), 0xC0);  // white

    button.OnLButtonDown(MK_LBUTTON, CPoint(50, 20));
    Paint(button);
    const RECT pressed = Ink(m_canvas, all, 0);
    EXPECT_EQ(normal.left + 1, pressed.left);
    EXPECT_EQ(normal.top + 1, pressed.top);
    EXPECT_EQ(normal.right + 1, pressed.right);

    button.OnLButtonUp(0, CPoint(50, 20));  // hovered now
    button.SetEnabled(0);
    Paint(button);
    const RECT disabled = Ink(m_canvas, all, 0);
    EXPECT_EQ(normal.left, disabled.left);
    EXPECT_NEAR(0x80, Brightest(m_canvas, disabled), 8);  // grey 0x808080

    // A text rectangle, relative to the button, takes the title.
    MButton boxed(&m_top, 10, rect, L"OK", 1, 1);
    boxed.SetManager(&m_host);
    boxed.SetFontWidth(16);
    boxed.SetTextRect(CRect(0, 0, 40, 30));
    Paint(boxed);
    const RECT ink = Ink(m_canvas, all, 0);
    EXPECT_NEAR((ink.left + ink.right) / 2, rect.left + 20, 3);
}

TEST_F(MButtonTest, AStripWithFewerFramesLeavesTheLaterStatesWithTheirTitleOnly) {
    const CRect rect(10, 10, 60, 30);  // two 50 x 20 frames in the 100 x 20 strip
    MButton button(&m_top, 9, rect, L"I", 1, 1);
    button.SetManager(&m_host);
    button.SetTextColor(Gdiplus::Color(0xFFFFFFFF));
    ASSERT_EQ(1, button.SetImage(kStrip, 2));
    Paint(button);
    EXPECT_EQ(Frame(0), m_canvas.Rgb(15, 15));  // frame 0: red, then green
    EXPECT_EQ(Frame(1), m_canvas.Rgb(55, 15));

    button.OnLButtonDown(MK_LBUTTON, CPoint(30, 20));
    Paint(button);
    EXPECT_EQ(0u, m_canvas.Rgb(12, 12));  // no image: what lies behind
    EXPECT_EQ(0u, m_canvas.Rgb(57, 27));
    const RECT ink = Ink(m_canvas, RECT{10, 10, 60, 30}, 0);
    EXPECT_LT(ink.left, ink.right);  // the title is there
}

TEST_F(MButtonTest, TheIconStripComesFromTheSkinFolder) {
    IconButton button(&m_top, 9, CRect(0, 0, 20, 20), nullptr, 1, 1);
    const size_t updates = m_top.updates.size();
    EXPECT_EQ(1, button.SetIconImage(kStrip, 4));
    EXPECT_EQ(CRect(0, 0, 25, 20), button.IconFrame());
    EXPECT_EQ(4, button.IconCount());
    EXPECT_EQ(0, button.SetIconImage(L"vela_button_missing.png", 2));
    EXPECT_EQ(CRect(0, 0, 25, 20), button.IconFrame());  // the previous icon stays
    EXPECT_EQ(1, button.SetIconImage(kStrip, 5));
    EXPECT_EQ(CRect(0, 0, 20, 20), button.IconFrame());
    EXPECT_EQ(updates, m_top.updates.size());  // no repaint
}
