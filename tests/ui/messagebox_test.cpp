// The program's own message box: its buttons end it with 1 or 2; it shows centred on
// the screen and topmost.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include "ui/MessageBox.h"
#include "vela/Manager.h"

namespace {

struct Click {
    int x;
    int y;
};

// Set while a box runs: where the timer clicks, and what it saw of the box.
Click g_click = {0, 0};
RECT g_boxRect = {};
bool g_topmost = false;
bool g_clicked = false;

void CALLBACK ClickTheBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = ::FindWindowW(nullptr, L"MessageBox");
    if (box == nullptr || !::IsWindowVisible(box) || g_clicked) return;
    ::KillTimer(nullptr, id);
    g_clicked = true;
    ::GetWindowRect(box, &g_boxRect);
    g_topmost = (::GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    const LPARAM at = MAKELPARAM(g_click.x, g_click.y);
    ::PostMessageW(box, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(box, WM_LBUTTONUP, 0, at);
}

class MessageBoxTest : public ::testing::Test {
protected:
    MessageBoxTest() {
        Gdiplus::GdiplusStartup(&m_token, &m_input, nullptr);
        Vela::Manager::SetInstance(::GetModuleHandleW(nullptr));
    }
    ~MessageBoxTest() override { Gdiplus::GdiplusShutdown(m_token); }

    int Run(int buttons, Click click) {
        g_click = click;
        g_clicked = false;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, ClickTheBox);
        const int result = Corvane::ShowMessageBox(L"Detected the latest version", L"Software Updates",
                                                   buttons);
        ::KillTimer(nullptr, timer);
        return result;
    }

private:
    Gdiplus::GdiplusStartupInput m_input;
    ULONG_PTR m_token = 0;
};

}  // namespace

TEST_F(MessageBoxTest, ButtonsEndTheBoxWithTheirResult) {
    struct Case {
        int buttons;
        Click click;
        int result;
    } cases[] = {
        {Corvane::kButtonsYesNo, {120, 175}, 1},  // YES
        {Corvane::kButtonsYesNo, {260, 175}, 2},  // NO
        {Corvane::kButtonsOK, {190, 175}, 1},     // OK
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, Run(c.buttons, c.click)) << c.buttons << " at " << c.click.x;
        EXPECT_TRUE(g_clicked);
    }
}

TEST_F(MessageBoxTest, ShowsCentredOnTheScreenAndTopmost) {
    ASSERT_EQ(1, Run(Corvane::kButtonsOK, {190, 175}));
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(380, g_boxRect.right - g_boxRect.left);
    EXPECT_EQ(200, g_boxRect.bottom - g_boxRect.top);
    EXPECT_EQ((work.left + work.right) / 2 - 190, g_boxRect.left);
    EXPECT_EQ((work.top + work.bottom) / 2 - 100, g_boxRect.top);
    EXPECT_TRUE(g_topmost);
}
