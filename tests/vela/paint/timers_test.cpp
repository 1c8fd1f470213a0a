// Window timers of controls with their native ids, and the multimedia-timer list, under
// Wine's real timers.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "support/ChildProcess.h"
#include "vela/Manager.h"
#include "vela/paint/PaintKit.h"

namespace {

using PaintTest::HostWindow;
using PaintTest::Pump;
using Vela::CRect;
using VelaTest::Box;

// Records the id of every window timer message it receives.
class TimerWindow : public HostWindow {
public:
    TimerWindow() : HostWindow(CRect(200, 200, 300, 300)) {}
    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_TIMER) seen.insert(static_cast<unsigned>(wparam));
        return HostWindow::OnWindowMessage(message, wparam, lparam);
    }
    std::set<unsigned> seen;
};

class PaintManagerTimers : public ::testing::Test {
protected:
    PaintManagerTimers() { Vela::Manager::SetInstance(::GetModuleHandleW(nullptr)); }
};

TEST_F(PaintManagerTimers, KilledTimerIsReArmedWithItsNativeId) {
    TimerWindow window;
    auto& manager = window.manager;
    Box* box = window.Add(new Box(&window, 1, CRect(0, 0, 10, 10)));
    EXPECT_EQ(manager.SetTimer(box, 7, 10), 1);
    EXPECT_EQ(manager.SetTimer(box, 7, 10), 0);  // still running
    ASSERT_TRUE(TestSupport::WaitUntil([&] { Pump(10); return box->ticks > 0; }, 2000));
    EXPECT_EQ(window.seen, std::set<unsigned>{17});  // the first id after 4096 mod 240

    EXPECT_EQ(manager.KillTimer(box, 7), 1);
    EXPECT_EQ(manager.KillTimer(box, 7), 0);
    window.seen.clear();
    EXPECT_EQ(manager.SetTimer(box, 7, 10), 1);
    const int before = box->ticks;
    ASSERT_TRUE(TestSupport::WaitUntil([&] { Pump(10); return box->ticks > before; }, 2000));
    EXPECT_EQ(window.seen, std::set<unsigned>{17});
}

TEST_F(PaintManagerTimers, ControlTimersNeverGetThePanelsIds) {
    TimerWindow window;
    auto& manager = window.manager;
    Box* box = window.Add(new Box(&window, 1, CRect(0, 0, 10, 10)));
    // 240 ids, of which the panel keeps three: every other one goes to a control once.
    for (unsigned key = 0; key < 237; ++key) ASSERT_EQ(manager.SetTimer(box, key, 10), 1) << key;
    EXPECT_EQ(manager.SetTimer(box, 237, 10), 0);  // no id left that is not taken
    Pump(300);
    EXPECT_EQ(window.seen.size(), 237u);
    for (unsigned reserved : {66u, 88u, 99u}) EXPECT_EQ(window.seen.count(reserved), 0u);

    // Removing the control stops its timers: no tick reaches a deleted control.
    manager.RemoveControl(box);
    Pump(50);
    window.seen.clear();
    Pump(100);
    EXPECT_TRUE(window.seen.empty());
}

TEST_F(PaintManagerTimers, MultimediaTicksReachListedControls) {
    HostWindow window(CRect(200, 200, 300, 300));
    auto& manager = window.manager;
    Box* box = window.Add(new Box(&window, 1, CRect(0, 0, 10, 10)));
    EXPECT_EQ(box->AddMTimer(), 1);
    ASSERT_NE(manager.SetMTimer(5), 0u);
    EXPECT_TRUE(TestSupport::WaitUntil([&] { return box->ticks > 2; }, 2000));
    EXPECT_EQ(manager.DeleteFSTimer(box), 1);
    EXPECT_EQ(manager.DeleteFSTimer(box), 0);
    const int left = box->ticks;
    ::Sleep(50);
    EXPECT_EQ(box->ticks, left);  // off the list: no more ticks
    manager.KillMTimer();
}

}  // namespace
