// MDialog in real windows: ending a modal run with a result, the notification handlers that
// messages reach, the window style, initialisation, resizing and final destruction.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "vela/MButton.h"
#include "vela/MDialog.h"
#include "vela/Manager.h"
#include "vela/dialog/TestDialog.h"
#include "vela/render/Canvas.h"

using Vela::CPoint;
using Vela::CRect;
using Vela::MDialog;
using VelaDialogTest::TestDialog;

namespace {

// Away from the corners and the middle of the screen, where other programs' windows and the
// pointer tend to be.
const CRect kPlace(1500, 700, 1700, 800);  // client area 200 x 100

class MDialogTest : public ::testing::Test {
protected:
    MDialogTest() { Vela::Manager::SetInstance(::GetModuleHandleW(nullptr)); }
};

bool Contains(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

size_t IndexOf(const std::vector<std::string>& calls, const std::string& prefix) {
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].compare(0, prefix.size(), prefix) == 0) return i;
    }
    return calls.size();
}

}  // namespace

TEST_F(MDialogTest, AButtonClickEndsTheModalRunWithTheResultItsHandlerChose) {
    const struct {
        const char* name;
        void (MDialog::*end)();
        UINT code;
    } cases[] = {
        {"DoOK", &MDialog::DoOK, 1},   {"DoCancel", &MDialog::DoCancel, 2},
        {"DoClose", &MDialog::DoClose, 2}, {"DoYes", &MDialog::DoYes, 6},
        {"DoNo", &MDialog::DoNo, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dialog;
        dialog.initUI = [](TestDialog& d, CRect) {
            d.CreateControl(L"MButton", 5, CRect(20, 20, 80, 50), L"OK", 1, 1);
        };
        dialog.onMessage = [&c](TestDialog& d, unsigned long id, unsigned long code) {
            if (id == 5 && code == Vela::MButton::kClickCode) (d.*c.end)();
        };
        const HWND hwnd = dialog.CreatePopup(kPlace);
        ASSERT_NE(nullptr, hwnd);
        ::SetTimer(hwnd, TestDialog::kWatchdogTimer, 10000, nullptr);

        // A click on the button as the window receives it: move, press, release.
        const LPARAM at = MAKELPARAM(50, 35);
        ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
        ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
        EXPECT_EQ(c.code, dialog.ShowModal(SW_SHOWNOACTIVATE));

        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(std::vector<UINT>{c.code}, dialog.closeRequests);  // 0x442 carried it
        ASSERT_EQ(2u, dialog.notes.size());
        EXPECT_EQ(Vela::MButton::kPressCode, dialog.notes[0].code);
        EXPECT_EQ(Vela::MButton::kClickCode, dialog.notes[1].code);
        // WM_CLOSE was notified and then destroyed the window.
        const std::vector<std::string> calls = dialog.Take();
        EXPECT_LT(IndexOf(calls, "Close"), IndexOf(calls, "Destroy"));
        EXPECT_LT(IndexOf(calls, "Destroy"), IndexOf(calls, "PostNcDestroy"));
        EXPECT_NE(calls.size(), IndexOf(calls, "PostNcDestroy"));
    }
}

TEST_F(MDialogTest, ACloseRequestPostedFromOutsideEndsTheRunWithItsCode) {
    TestDialog dialog;
    const HWND hwnd = dialog.CreatePopup(kPlace);
    ASSERT_NE(nullptr, hwnd);
    ::SetTimer(hwnd, TestDialog::kWatchdogTimer, 10000, nullptr);
    ::PostMessageW(hwnd, MDialog::kCloseRequest, 42, 0);
    EXPECT_EQ(0x442u, static_cast<UINT>(MDialog::kCloseRequest));
    EXPECT_EQ(42u, dialog.ShowModal(SW_SHOWNOACTIVATE));
}

TEST_F(MDialogTest, WindowMessagesReachTheirNotificationHandlers) {
    TestDialog dialog;
    const HWND hwnd = dialog.CreatePopup(kPlace);
    ASSERT_NE(nullptr, hwnd);
    dialog.EnableWndDrag(0);  // a press on the background would start moving the window
    const LPARAM negative = MAKELPARAM(-5, 7);
    const struct {
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        const char* call;  // null: no notification
    } cases[] = {
        {WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(3, 4), "MouseMove 4 3,4"},
        {WM_LBUTTONDOWN, MK_LBUTTON, negative, "LButtonDown 1 -5,7"},
        {WM_LBUTTONUP, 0, MAKELPARAM(8, 9), "LButtonUp 0 8,9"},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 9), "LButtonDblClk 1 8,9"},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2), "RButtonDown 2 1,2"},
        {WM_RBUTTONUP, 0, MAKELPARAM(1, 2), "RButtonUp 0 1,2"},
        {WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(1, 2), "RButtonDblClk 2 1,2"},
        {WM_MOUSEHOVER, 0, MAKELPARAM(6, 1), "MouseHover 0 65542"},
        {WM_MOUSELEAVE, 0, 0, "MouseLeave 0 0"},
        {WM_TIMER, 4242, 0, "Timer 4242 0"},
        {WM_NCACTIVATE, TRUE, 0, "NcActivate 1 0"},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(1600, 750), nullptr},
        {WM_KEYDOWN, VK_SPACE, 0, nullptr},
        {WM_NCHITTEST, 0, MAKELPARAM(1600, 750), nullptr},
        {WM_NCPAINT, 1, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "message 0x" << std::hex << c.message);
        dialog.Take();
        ::SendMessageW(hwnd, c.message, c.wparam, c.lparam);
        const std::vector<std::string> calls = dialog.Take();
        if (c.call == nullptr) {
            EXPECT_TRUE(calls.empty()) << calls.front();
        } else {
            EXPECT_EQ(std::vector<std::string>{c.call}, calls);
        }
    }
    // Moving and sizing the window notify its position and size changes.
    dialog.Take();
    ::SetWindowPos(hwnd, nullptr, 1450, 650, 250, 120, SWP_NOZORDER | SWP_NOACTIVATE);
    const std::vector<std::string> calls = dialog.Take();
    EXPECT_TRUE(Contains(calls, "WindowPosChanging"));
    EXPECT_TRUE(Contains(calls, "WindowPosChanged"));
    EXPECT_TRUE(Contains(calls, "Size 0 250x120"));
    EXPECT_TRUE(Contains(calls, "UISize 0,0,250,120"));
}

TEST_F(MDialogTest, TheBackgroundIsNeverErased) {
    TestDialog dialog;
    const HWND hwnd = dialog.CreatePopup(kPlace);
    ASSERT_NE(nullptr, hwnd);
    VelaTest::Canvas canvas(20, 20, 0xFF123456);
    dialog.Take();
    EXPECT_EQ(1, ::SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()), 0));
    EXPECT_EQ(0x123456u, canvas.Rgb(0, 0));
    EXPECT_EQ(0x123456u, canvas.Rgb(19, 19));
    EXPECT_TRUE(dialog.Take().empty());
}

TEST_F(MDialogTest, CreationMakesTheWindowBorderlessAndClipping) {
    TestDialog dialog;
    const HWND hwnd = dialog.CreatePopup(kPlace, WS_OVERLAPPEDWINDOW);
    ASSERT_NE(nullptr, hwnd);
    const DWORD style = dialog.GetStyle();
    EXPECT_EQ(0u, style & WS_CAPTION);
    EXPECT_EQ(0u, style & WS_THICKFRAME);
    EXPECT_EQ(DWORD(WS_CLIPSIBLINGS | WS_CLIPCHILDREN | 0x8),
              style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN | 0x8));
    EXPECT_NE(0u, style & WS_SYSMENU);  // the rest of the style stays
    CRect client, window;
    dialog.GetClientRect(&client);
    dialog.GetWindowRect(&window);
    EXPECT_EQ(window.Size(), client.Size());  // nothing of the frame is left
    EXPECT_EQ(client.Size(), dialog.clientAtInit.Size());
    EXPECT_EQ(0u, dialog.GetExStyle() & WS_EX_LAYERED);  // no alpha, no colour key: unchanged
}

TEST_F(MDialogTest, InitialisationHandsTheClientAreaToInitUIAndResizingToUISize) {
    TestDialog dialog;
    ASSERT_NE(nullptr, dialog.CreatePopup(kPlace));
    const std::vector<std::string> calls = dialog.Take();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("Create", calls.front());
    EXPECT_EQ("InitUI 0,0,200,100", calls.back());  // OnInitDialog runs last in Create
    EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "InitUI 0,0,200,100"));

    const HWND hwnd = dialog.GetSafeHwnd();
    dialog.ShowWindow(SW_SHOWNOACTIVATE);
    const struct {
        int width, height;
        const char* uiSize;  // null: not called
    } cases[] = {{300, 150, "UISize 0,0,300,150"}, {1, 150, nullptr}, {300, 1, nullptr},
                 {2, 2, "UISize 0,0,2,2"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        ::ValidateRect(hwnd, nullptr);
        dialog.Take();
        ::SetWindowPos(hwnd, nullptr, 0, 0, c.width, c.height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        const std::vector<std::string> sized = dialog.Take();
        EXPECT_EQ(c.uiSize != nullptr, IndexOf(sized, "UISize") != sized.size());
        if (c.uiSize != nullptr) {
            EXPECT_TRUE(Contains(sized, c.uiSize));
        }
        RECT update;
        EXPECT_TRUE(::GetUpdateRect(hwnd, &update, FALSE));  // invalidated in every case
    }
}

TEST_F(MDialogTest, FinalDestructionReleasesTheControlsThenCallsPostNcDestroy) {
    TestDialog dialog;
    dialog.initUI = [](TestDialog& d, CRect) {
        d.CreateControl(L"MButton", 5, CRect(0, 0, 20, 20), L"a", 1, 1);
        d.CreateControl(L"MText", 6, CRect(0, 20, 20, 40), L"b", 1, 0);
    };
    ASSERT_NE(nullptr, dialog.CreatePopup(kPlace));
    EXPECT_EQ(2u, dialog.GetControls().size());
    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(2u, dialog.controlsAtDestroy);  // still there while WM_DESTROY runs
    EXPECT_EQ(0u, dialog.controlsAtEnd);      // gone before PostNcDestroy
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
    dialog.DoOK();  // without a window: nothing to post to
    EXPECT_TRUE(dialog.closeRequests.empty());
}

TEST_F(MDialogTest, BubblePointsLieBelowTheControlInScreenCoordinates) {
    TestDialog dialog;
    Vela::MControl* control = nullptr;
    dialog.initUI = [&](TestDialog& d, CRect) {
        control = d.CreateControl(L"CArea", 9, CRect(10, 20, 50, 40), nullptr, 1, 1);
    };
    ASSERT_NE(nullptr, dialog.CreatePopup(kPlace));
    ASSERT_NE(nullptr, control);
    const struct {
        int type;
        LONG x;  // client x; y is always the bottom edge, 40
    } cases[] = {{0, 10}, {1, 30}, {2, 50}, {7, 10}};
    for (const auto& c : cases) {
        POINT expected = {c.x, 40};
        ::ClientToScreen(dialog.GetSafeHwnd(), &expected);
        EXPECT_EQ(CPoint(expected.x, expected.y), dialog.GetAirBladderPoint(control, c.type))
            << "type " << c.type;
    }
    EXPECT_EQ(CPoint(0, 0), dialog.GetAirBladderPoint(nullptr, 1));
    EXPECT_EQ(0, dialog.SetAirBladderMsg(L"tip", CPoint(0, 300), 1));
    EXPECT_EQ(0, dialog.SetAirBladderMsg(L"tip", CPoint(300, 0), 1));
    EXPECT_EQ(1, dialog.SetAirBladderMsg(L"tip", dialog.GetAirBladderPoint(control, 1), 1));
}

TEST_F(MDialogTest, TranslucencyComesFromTheWindowAlphaOrTheColourKey) {
    const struct {
        const char* name;
        int alpha;
        COLORREF key;
        bool layered;
        DWORD flags;  // of the layered attributes
        BYTE expectedAlpha;
        COLORREF expectedKey;
    } cases[] = {
        {"alpha", 128, 0xFFFFFF, true, LWA_ALPHA, 128, 0},
        {"alpha wins over the key", 100, RGB(1, 2, 3), true, LWA_ALPHA, 100, 0},
        {"colour key", 255, RGB(255, 0, 255), true, LWA_COLORKEY, 255, RGB(255, 0, 255)},
        {"neither", 255, 0xFFFFFF, false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dialog;
        ASSERT_NE(nullptr, dialog.CreatePopup(kPlace));
        dialog.SetWindowAlpha(c.alpha);
        dialog.SetColorKey(c.key);
        dialog.SetupBackTranslucent();
        EXPECT_EQ(c.layered, (dialog.GetExStyle() & WS_EX_LAYERED) != 0);
        if (!c.layered) continue;
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(::GetLayeredWindowAttributes(dialog.GetSafeHwnd(), &key, &alpha, &flags));
        EXPECT_EQ(c.flags, flags);
        if (flags & LWA_ALPHA) {
            EXPECT_EQ(c.expectedAlpha, alpha);
        }
        if (flags & LWA_COLORKEY) {
            EXPECT_EQ(c.expectedKey, key);
        }
    }
}

TEST_F(MDialogTest, EveryDialogIsOfClassMDialog) {
    MDialog plain;
    TestDialog derived;
    EXPECT_EQ(1, plain.IsClass(L"MDialog"));
    EXPECT_EQ(1, derived.IsClass(L"MDialog"));
    EXPECT_EQ(0, derived.IsClass(L"mdialog"));
    EXPECT_STREQ(L"MWindow", derived.GetWindowClassName());  // all dialogs share one class
}
