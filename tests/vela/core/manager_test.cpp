// Manager's process-wide values and its message loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "vela/MWindow.h"
#include "vela/Manager.h"

using Vela::Manager;

// Runs first in this program: nothing has changed the values yet.
TEST(Manager, StartsWithItsDefaults) {
    EXPECT_EQ(L"Arial", Manager::GetFontName());
    EXPECT_EQ(14, Manager::GetFontWidth());
    EXPECT_FLOAT_EQ(1.0f, Manager::GetScaleValue());
    EXPECT_EQ(0.0f, Manager::GetCPUTemp());
    const DWORD c = Manager::GetSelectColor();
    EXPECT_EQ(255u, c >> 24);
    EXPECT_EQ(189u, (c >> 16) & 0xFF);
    EXPECT_EQ(48u, (c >> 8) & 0xFF);
    EXPECT_EQ(255u, c & 0xFF);
    EXPECT_EQ(nullptr, Manager::GetInstance());
}

TEST(Manager, ScalesValuesTruncatingTowardZero) {
    struct Case {
        float scale;
        int value;
        int expected;
    } cases[] = {{1.0f, 10, 10}, {1.25f, 10, 12}, {0.5f, -3, -1}, {1.5f, 15, 22}, {1.5f, -3, -4}};
    for (const Case& c : cases) {
        Manager::SetScaleValue(c.scale);
        EXPECT_EQ(c.expected, Manager::GetScaleValue(c.value)) << c.scale << " x " << c.value;
    }
    Manager::SetScaleValue(1.0f);
}

TEST(Manager, FontThemeAndTemperature) {
    Manager::SetFont(L"Tahoma", 12);
    EXPECT_EQ(L"Tahoma", Manager::GetFontName());
    EXPECT_EQ(12, Manager::GetFontWidth());
    Manager::SetFontName(L"Arial");
    Manager::SetFontWidth(14);
    EXPECT_EQ(L"Arial", Manager::GetFontName());
    EXPECT_EQ(14, Manager::GetFontWidth());

    EXPECT_EQ(L"theme1\\", Manager::GetTheme());

    Manager::SetCPUTemp(45.9f);
    EXPECT_FLOAT_EQ(45.9f, Manager::GetCPUTemp());
    Manager::SetCPUTemp(0.0f);
}

namespace {
// Records the messages it receives.
class RecordingWindow : public Vela::MWindow {
public:
    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_APP || message == WM_CHAR) received.push_back(message);
        if (message == WM_CHAR) lastChar = static_cast<wchar_t>(wparam);
        return MWindow::OnWindowMessage(message, wparam, lparam);
    }
    std::vector<UINT> received;
    wchar_t lastChar = 0;
};
}  // namespace

TEST(Manager, MessageLoopDispatchesTranslatesAndEndsOnQuit) {
    Manager::SetInstance(::GetModuleHandleW(nullptr));
    RecordingWindow window;
    ASSERT_NE(nullptr, window.Create(nullptr, L"loop", WS_POPUP, 0, Vela::CRect(0, 0, 50, 50)));
    // With neither Alt nor F4 held, nothing is filtered.
    MSG any = {};
    EXPECT_EQ(0, Manager::PreTranslateMessage(&any));

    window.PostMessageW(WM_APP, 0, 0);
    window.PostMessageW(WM_KEYDOWN, 'A', 0x001E0001);  // translated into a WM_CHAR
    ::PostQuitMessage(3);
    Manager::MessageLoop();

    ASSERT_EQ(2u, window.received.size());
    EXPECT_EQ(static_cast<UINT>(WM_APP), window.received[0]);
    EXPECT_EQ(static_cast<UINT>(WM_CHAR), window.received[1]);
    EXPECT_EQ(L'a', window.lastChar);
    window.DestroyWindow();
}
