// MWindow: creation, binding, the modal loop, super classes and centring.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "vela/MObject.h"
#include "vela/MWindow.h"
#include "vela/Manager.h"

using Vela::CRect;
using Vela::MWindow;

namespace {

// A window whose handling of WM_APP the test chooses, and which records its destruction.
class TestWindow : public MWindow {
public:
    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_APP && onApp) {
            onApp();
            return 0;
        }
        return MWindow::OnWindowMessage(message, wparam, lparam);
    }
    int OnInitDialog() override {
        ++initCalls;
        initHandle = GetSafeHwnd();
        return 1;
    }
    void OnDestroyMessage(HWND hwnd) override { destroyedHandle = hwnd; }

    std::function<void()> onApp;
    int initCalls = 0;
    HWND initHandle = nullptr;
    HWND destroyedHandle = nullptr;
};

// A wrapper of the system's button class.
class ButtonWindow : public MWindow {
public:
    const wchar_t* GetWindowClassName() const override { return L"VelaTestButton"; }
    const wchar_t* GetSuperClassName() const override { return L"Button"; }
};

class MWindowTest : public ::testing::Test {
protected:
    MWindowTest() { Vela::Manager::SetInstance(::GetModuleHandleW(nullptr)); }
};

HWND CreatePopup(MWindow& window, HWND owner = nullptr, CRect rect = CRect(10, 10, 210, 110)) {
    return window.Create(owner, L"test", WS_POPUP, 0, rect);
}

CRect WorkArea() {
    RECT r;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

}  // namespace

TEST_F(MWindowTest, CreateBindsOnceAndUnbindsAtDestroy) {
    TestWindow window;
    const HWND first = CreatePopup(window);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(1, window.initCalls);
    EXPECT_EQ(first, window.initHandle);
    EXPECT_EQ(first, CreatePopup(window)) << "a second Create must keep the live window";
    EXPECT_EQ(1, window.initCalls);

    wchar_t className[64] = {};
    ::GetClassNameW(first, className, 64);
    EXPECT_STREQ(L"MWindow", className);

    ASSERT_TRUE(window.DestroyWindow());
    EXPECT_EQ(first, window.destroyedHandle);
    EXPECT_EQ(nullptr, window.GetSafeHwnd());
    // The wrapper outlives its window and may create a new one.
    const HWND second = CreatePopup(window);
    EXPECT_NE(nullptr, second);
    window.DestroyWindow();
}

TEST_F(MWindowTest, ForwardsWithoutAWindowDoNothing) {
    MWindow window;
    CRect rect(1, 2, 3, 4);
    EXPECT_EQ(0xFFFFFFFFu, window.ShowModal(SW_SHOW));
    EXPECT_EQ(0, window.GetClientRect(&rect));
    EXPECT_EQ(0, window.ShowWindow(SW_SHOW));
    EXPECT_EQ(0, window.PostMessageW(WM_APP, 0, 0));
    EXPECT_EQ(0, window.SendMessageW(WM_APP, 0, 0));
    EXPECT_EQ(0u, window.GetStyle());
    EXPECT_EQ(0, window.ModifyStyle(0, WS_BORDER, 0));
    EXPECT_EQ(0, window.DestroyWindow());
}

TEST_F(MWindowTest, ModifyStyleReportsWhetherAnythingChanged) {
    MWindow window;
    ASSERT_NE(nullptr, CreatePopup(window));
    EXPECT_EQ(0, window.ModifyStyle(0, WS_POPUP, 0));
    EXPECT_EQ(1, window.ModifyStyle(0, WS_BORDER, SWP_FRAMECHANGED));
    EXPECT_NE(0u, window.GetStyle() & WS_BORDER);
    EXPECT_EQ(1, window.ModifyExStyle(0, WS_EX_TOOLWINDOW, 0));
    EXPECT_NE(0u, window.GetExStyle() & WS_EX_TOOLWINDOW);
    window.DestroyWindow();
}

TEST_F(MWindowTest, ShowModalReturnsTheWparamOfAPostedClose) {
    for (WPARAM code : {WPARAM(1), WPARAM(2), WPARAM(7)}) {
        TestWindow window;
        ASSERT_NE(nullptr, CreatePopup(window));
        window.PostMessageW(WM_CLOSE, code, 0);
        EXPECT_EQ(code, window.ShowModal(SW_HIDE));
        EXPECT_FALSE(::IsWindow(window.initHandle));
    }
}

TEST_F(MWindowTest, ShowModalIgnoresASentClose) {
    TestWindow window;
    ASSERT_NE(nullptr, CreatePopup(window));
    window.onApp = [&] { ::SendMessageW(window.GetSafeHwnd(), WM_CLOSE, 5, 0); };
    window.PostMessageW(WM_APP, 0, 0);
    EXPECT_EQ(0u, window.ShowModal(SW_HIDE));
}

TEST_F(MWindowTest, ShowModalHandsAQuitOnAndReenablesTheOwner) {
    MWindow owner;
    ASSERT_NE(nullptr, CreatePopup(owner));
    TestWindow window;
    ASSERT_NE(nullptr, CreatePopup(window, owner.GetSafeHwnd()));
    bool ownerEnabledDuringLoop = true;
    window.onApp = [&] {
        ownerEnabledDuringLoop = owner.IsWindowEnabled() != 0;
        ::PostQuitMessage(42);
    };
    window.PostMessageW(WM_APP, 0, 0);
    EXPECT_EQ(0u, window.ShowModal(SW_HIDE));
    EXPECT_FALSE(ownerEnabledDuringLoop);
    EXPECT_TRUE(owner.IsWindowEnabled());
    EXPECT_TRUE(::IsWindow(window.GetSafeHwnd())) << "a quit ends the loop, not the window";

    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(42u, msg.wParam);
    window.DestroyWindow();
    owner.DestroyWindow();
}

TEST_F(MWindowTest, SuperClassKeepsTheSystemHandlingAndIsFoundByProperty) {
    ButtonWindow button;
    const HWND hwnd = button.Create(nullptr, L"press", WS_POPUP | BS_PUSHBUTTON, 0,
                                    CRect(0, 0, 80, 30));
    ASSERT_NE(nullptr, hwnd);
    wchar_t className[64] = {};
    ::GetClassNameW(hwnd, className, 64);
    EXPECT_STREQ(L"VelaTestButton", className);
    EXPECT_EQ(&button, static_cast<MWindow*>(::GetPropW(hwnd, L"Control")));

    // Only the button's own procedure knows the pushed state.
    ::SendMessageW(hwnd, BM_SETSTATE, TRUE, 0);
    EXPECT_NE(0, ::SendMessageW(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED);

    button.DestroyWindow();
    EXPECT_EQ(nullptr, button.GetSafeHwnd());
}

TEST_F(MWindowTest, UnknownSuperClassCreatesNothing) {
    class Missing : public MWindow {
        const wchar_t* GetWindowClassName() const override { return L"VelaTestMissing"; }
        const wchar_t* GetSuperClassName() const override { return L"NoSuchClass"; }
    } missing;
    EXPECT_EQ(nullptr, CreatePopup(missing));
}

TEST_F(MWindowTest, CenterWindowKeepsTheTopLeftInsideTheWorkArea) {
    const CRect work = WorkArea();
    MWindow window;
    ASSERT_NE(nullptr, CreatePopup(window, nullptr,
                                   CRect(0, 0, work.Width() + 300, work.Height() + 200)));
    window.CenterWindow(nullptr);
    CRect placed;
    window.GetWindowRect(&placed);
    EXPECT_EQ(work.left, placed.left);
    EXPECT_EQ(work.top, placed.top);
    window.DestroyWindow();
}

TEST_F(MWindowTest, CenterWindowUsesTheWorkAreaWhenTheOwnerIsMinimised) {
    const CRect work = WorkArea();
    MWindow owner;
    ASSERT_NE(nullptr, owner.Create(nullptr, L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                    CRect(0, 0, 300, 200)));
    owner.ShowWindow(SW_MINIMIZE);
    ASSERT_TRUE(owner.IsIconic());
    MWindow window;
    ASSERT_NE(nullptr, CreatePopup(window, owner.GetSafeHwnd(), CRect(0, 0, 200, 100)));
    window.CenterWindow(nullptr);
    CRect placed;
    window.GetWindowRect(&placed);
    EXPECT_EQ((work.left + work.right) / 2 - 100, placed.left);
    EXPECT_EQ((work.top + work.bottom) / 2 - 50, placed.top);
    window.DestroyWindow();
    owner.DestroyWindow();
}

TEST_F(MWindowTest, CenterWindowCentresOnAVisibleReference) {
    MWindow reference;
    ASSERT_NE(nullptr, reference.Create(nullptr, L"ref", WS_POPUP | WS_VISIBLE, 0,
                                        CRect(100, 100, 500, 400)));
    MWindow window;
    ASSERT_NE(nullptr, CreatePopup(window, nullptr, CRect(0, 0, 100, 50)));
    window.CenterWindow(&reference);
    CRect placed;
    window.GetWindowRect(&placed);
    EXPECT_EQ(CRect(250, 225, 350, 275), placed);
    window.DestroyWindow();
    reference.DestroyWindow();
}

namespace {
class NamedObject : public Vela::MObject {
public:
    const wchar_t* GetClassNameW() const override { return L"MDialog"; }
};
}  // namespace

TEST(MObject, IsClassComparesExactlyAndCaseSensitively) {
    NamedObject named;
    EXPECT_EQ(1, named.IsClass(L"MDialog"));
    EXPECT_EQ(0, named.IsClass(L"mdialog"));
    EXPECT_EQ(0, named.IsClass(L"MDialo"));
    EXPECT_EQ(0, named.IsClass(L"MDialogs"));
    Vela::MObject plain;
    EXPECT_EQ(0, plain.IsClass(L"MObject"));
    EXPECT_EQ(0, plain.OnBaseMessage(1, 2, 3, 4));
}
