// MDialog's face: controls created by class name, a skinned background with a picture and a
// button on it, the button's states through real window messages, and the default place of
// the message panel. Pixels come from the frame the dialog's paint manager draws.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "vela/MButton.h"
#include "vela/MPicture.h"
#include "vela/MText.h"
#include "vela/Manager.h"
#include "vela/dialog/SkinKit.h"
#include "vela/dialog/TestDialog.h"
#include "vela/fixtures/Fixtures.h"

using Vela::CRect;
using Vela::MControl;
using VelaDialogTest::Frame;
using VelaDialogTest::NearRgb;
using VelaDialogTest::SkinFiles;
using VelaDialogTest::TestDialog;

namespace {

const CRect kPlace(1480, 680, 1600, 760);        // client area 120 x 80
const wchar_t kBack[] = L"vela_dialog_back.png";    // 120 x 80: red left half, blue right
const wchar_t kClear[] = L"vela_dialog_clear.png";  // 120 x 80: red left, clear right
const wchar_t kClose[] = L"vela_dialog_close.png";  // 18 x 17 green
const wchar_t kStrip[] = L"vela_dialog_strip4.png"; // red, green, blue, yellow frames
const DWORD kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00;

class MDialogFaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Vela::Manager::SetInstance(::GetModuleHandleW(nullptr));
        Vela::Manager::SetFontName(L"Liberation Sans");  // a family that Wine's GDI+ knows
        s_skins = std::make_unique<SkinFiles>();
        ASSERT_TRUE(s_skins->Write(kBack, 120, 80, [](int x, int) {
            return x < 60 ? 0xFFFF0000u : 0xFF0000FFu;
        }));
        ASSERT_TRUE(s_skins->Write(kClear, 120, 80, [](int x, int) {
            return x < 60 ? 0xFFFF0000u : 0x00000000u;
        }));
        ASSERT_TRUE(s_skins->Write(kClose, 18, 17, [](int, int) { return 0xFF00FF00u; }));
        ASSERT_TRUE(s_skins->WriteResource(VelaFixtures::kStripPng, kStrip));
    }
    static void TearDownTestSuite() {
        s_skins.reset();
        Vela::Manager::SetFontName(L"Arial");
    }
    static std::unique_ptr<SkinFiles> s_skins;
};
std::unique_ptr<SkinFiles> MDialogFaceTest::s_skins;

}  // namespace

TEST_F(MDialogFaceTest, ControlsAreCreatedByClassNameWithTheDialogAsParent) {
    TestDialog dialog;
    ASSERT_NE(nullptr, dialog.CreatePopup(kPlace));
    MControl* button = dialog.CreateControl(L"MButton", 5, CRect(0, 0, 20, 20), L"b", 1, 1);
    MControl* label = dialog.CreateControl(L"MText", 6, CRect(0, 20, 20, 40), L"t", 1, 1);
    MControl* picture = dialog.CreateArea(L"MPicture", 31, CRect(), nullptr, 1, 1);
    ASSERT_NE(nullptr, dynamic_cast<Vela::MButton*>(button));
    ASSERT_NE(nullptr, dynamic_cast<Vela::MText*>(label));
    ASSERT_NE(nullptr, dynamic_cast<Vela::MPicture*>(picture));
    EXPECT_EQ(nullptr, dialog.CreateControl(L"mbutton", 7, CRect(), nullptr, 1, 1));
    EXPECT_EQ(nullptr, dialog.CreateControl(L"", 7, CRect(), nullptr, 1, 1));

    EXPECT_EQ(static_cast<Vela::MObject*>(&dialog), button->GetParantObject());
    EXPECT_EQ(1, button->IsParentVisible());  // a dialog parent counts as visible
    EXPECT_FALSE(label->IsEnabled());         // labels are always created disabled
    // Areas are found by id but are not among the controls.
    EXPECT_EQ(picture, dialog.GetControl(31));
    ASSERT_EQ(2u, dialog.GetControls().size());
    EXPECT_EQ(button, dialog.GetControls()[0]);
    EXPECT_EQ(label, dialog.GetControls()[1]);
}

TEST_F(MDialogFaceTest, ASkinnedDialogPaintsItsBackgroundThenItsControls) {
    TestDialog dialog;
    Vela::MPicture* close = nullptr;
    Vela::MButton* button = nullptr;
    dialog.initUI = [&](TestDialog& d, CRect) {
        ASSERT_EQ(1, d.LoadBKImage(kBack));
        // As the main window builds its close button: an area picture placed afterwards.
        close = static_cast<Vela::MPicture*>(
            d.CreateArea(L"MPicture", 31, CRect(), nullptr, 1, 1));
        close->SetImage(kClose, 1);
        close->SetRect(CRect(95, 5, 113, 22));
        button = static_cast<Vela::MButton*>(
            d.CreateControl(L"MButton", 5, CRect(10, 40, 35, 60), nullptr, 1, 1));
        button->SetImage(kStrip, 4);
    };
    const HWND hwnd = dialog.CreatePopup(kPlace);
    ASSERT_NE(nullptr, hwnd);
    ASSERT_NE(nullptr, button);
    {
        const Frame frame(dialog.Manager(), 120, 80);
        EXPECT_TRUE(NearRgb(kRed, frame.Rgb(5, 5)));
        EXPECT_TRUE(NearRgb(kBlue, frame.Rgb(70, 30)));
        EXPECT_TRUE(NearRgb(kGreen, frame.Rgb(100, 10)));  // the picture over the background
        EXPECT_TRUE(NearRgb(kBlue, frame.Rgb(114, 10)));
        EXPECT_TRUE(NearRgb(kRed, frame.Rgb(20, 50)));     // the button, normal
    }

    // The button follows the mouse as the window's messages report it.
    const struct {
        const char* name;
        UINT message;
        WPARAM keys;
        LPARAM at;
        DWORD shown;
    } steps[] = {
        {"hover", WM_MOUSEMOVE, 0, MAKELPARAM(20, 50), kGreen},
        {"press", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 50), kBlue},
        {"release", WM_LBUTTONUP, 0, MAKELPARAM(20, 50), kGreen},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        ::SendMessageW(hwnd, s.message, s.keys, s.at);
        const Frame frame(dialog.Manager(), 120, 80);
        EXPECT_TRUE(NearRgb(s.shown, frame.Rgb(20, 50)));
    }
    ASSERT_EQ(2u, dialog.notes.size());
    EXPECT_EQ(Vela::MButton::kClickCode, dialog.notes[1].code);

    button->SetEnabled(0);
    const Frame disabled(dialog.Manager(), 120, 80);
    EXPECT_TRUE(NearRgb(0xFFFF00, disabled.Rgb(20, 50)));

    EXPECT_EQ(0, dialog.LoadBKImage(L"vela_dialog_missing.png"));
    const Frame plain(dialog.Manager(), 120, 80);
    EXPECT_FALSE(NearRgb(kRed, plain.Rgb(5, 5), 40));  // no image: the plain background
}

TEST_F(MDialogFaceTest, ALayeredDialogKeepsItsControlsOpaqueOverClearBackground) {
    TestDialog dialog;
    dialog.initUI = [](TestDialog& d, CRect) {
        // As the main window: layered, with a picture and a button over the clear part.
        d.SetLayeredWindow(1);
        ASSERT_EQ(1, d.LoadBKImage(kClear));
        auto* close =
            static_cast<Vela::MPicture*>(d.CreateArea(L"MPicture", 31, CRect(), nullptr, 1, 1));
        close->SetImage(kClose, 1);
        close->SetRect(CRect(95, 5, 113, 22));
        auto* button = static_cast<Vela::MButton*>(
            d.CreateControl(L"MButton", 5, CRect(70, 40, 95, 60), nullptr, 1, 1));
        button->SetImage(kStrip, 4);
    };
    ASSERT_NE(nullptr, dialog.CreatePopup(kPlace));
    const Frame frame(dialog.Manager(), 120, 80);
    EXPECT_EQ(0xFFu, frame.Pixel(5, 5) >> 24);
    EXPECT_TRUE(NearRgb(kRed, frame.Rgb(5, 5)));
    EXPECT_EQ(0xFF00FF00u, frame.Pixel(100, 10));  // the picture
    EXPECT_EQ(0xFFFF0000u, frame.Pixel(80, 50));   // the button, normal
    EXPECT_EQ(0u, frame.Pixel(114, 10));           // clear stays clear
    EXPECT_EQ(0u, frame.Pixel(80, 70));
}

TEST_F(MDialogFaceTest, TheDefaultMessagePanelSitsCentredAboveTheBottomEdge) {
    const struct {
        int offset;
        CRect panel;  // 400 x 300 client area
    } cases[] = {{0, CRect(100, 240, 300, 298)}, {10, CRect(100, 250, 300, 308)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "offset " << c.offset);
        TestDialog dialog;
        ASSERT_NE(nullptr, dialog.CreatePopup(CRect(1300, 500, 1700, 800)));
        dialog.SetMessageOffset(c.offset);
        dialog.SetMessage(L"hello", CRect(), Vela::MsgLevelInfo);
        const Frame frame(dialog.Manager(), 400, 300);
        const CRect& p = c.panel;
        const DWORD border = 0xE6E6E6;
        EXPECT_EQ(border, frame.Rgb(p.left, p.top));
        EXPECT_EQ(border, frame.Rgb(p.right - 1, p.top + 1));
        EXPECT_NE(border, frame.Rgb(p.left - 1, p.top));
        EXPECT_NE(border, frame.Rgb(p.left, p.top - 1));
        EXPECT_NE(border, frame.Rgb(p.right, p.top + 1));
        if (p.bottom < 300) {
            EXPECT_EQ(border, frame.Rgb(p.left + 1, p.bottom - 1));
            EXPECT_NE(border, frame.Rgb(p.left + 1, p.bottom));
        }
    }
}
