// The close button of the real Corvane.exe of the run layout under the real pointer: the
// main window repaints once when the pointer enters the close button and once when it
// leaves it, and not for moves that stay inside or outside it. The paints are counted
// inside the program by repaint_hook.dll (see support/RepaintHook.h).
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "support/ChildProcess.h"
#include "support/CorvaneProgram.h"
#include "support/Pointer.h"
#include "support/RepaintHook.h"
#include "support/TestPaths.h"

using TestSupport::ChildProcess;
using TestSupport::CloseAndExpectOrderedExit;
using TestSupport::FindMainWindow;
using TestSupport::ShowFromTray;
using TestSupport::LayoutDir;
using TestSupport::RepaintCounters;
using TestSupport::ScratchDir;
using TestSupport::SetRefusingUpdateRoot;
using TestSupport::TestsDir;
using TestSupport::WaitUntil;

namespace {

const DWORD kLimitMs = 20000;
// A paint follows the move that asked for it within a few milliseconds: a window that has
// not painted for this long after a move has nothing more to paint for it.
const DWORD kQuietMs = 600;
// A move that has not reached the window by then is sent again (it is the same point, so
// it can add no crossing).
const DWORD kMoveResendMs = 3000;

// The close button's client rectangle: left and top inside, right and bottom outside.
const RECT kClose = {295, 25, 313, 42};

// The shared block the hook module writes into, made by the test before the hook exists.
class Counters {
public:
    Counters()
        : m_mapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         sizeof(RepaintCounters),
                                         TestSupport::kRepaintHookMapping)) {
        if (m_mapping != nullptr) {
            m_view = static_cast<RepaintCounters*>(
                ::MapViewOfFile(m_mapping, FILE_MAP_WRITE, 0, 0, sizeof(RepaintCounters)));
        }
        if (m_view != nullptr) ::ZeroMemory(m_view, sizeof(RepaintCounters));
    }
    ~Counters() {
        if (m_view != nullptr) ::UnmapViewOfFile(m_view);
        if (m_mapping != nullptr) ::CloseHandle(m_mapping);
    }
    Counters(const Counters&) = delete;
    Counters& operator=(const Counters&) = delete;

    RepaintCounters* get() const { return m_view; }

private:
    HANDLE m_mapping;
    RepaintCounters* m_view = nullptr;
};

class CloseHoverTest : public ::testing::Test {
protected:
    CloseHoverTest()
        : m_scratch(L"close-hover"), m_sensorFile(m_scratch.path() + L"sensor.txt") {}

    void SetUp() override {
        ASSERT_EQ(nullptr, FindMainWindow()) << "a Corvane from elsewhere is running";
        ASSERT_NE(nullptr, m_counters.get());
        ASSERT_TRUE(SetRefusingUpdateRoot());
        // A CPU value of 0.0 is no reading: the worker then neither feeds the display nor
        // repaints the window, so every paint counted comes from the pointer.
        {
            std::ofstream out(m_sensorFile.c_str(), std::ios::binary | std::ios::trunc);
            out << "cpu=0.0\nalive=1\n";
        }
        ::SetEnvironmentVariableW(L"SENSOR_STANDIN_FILE", m_sensorFile.c_str());
        ::SetEnvironmentVariableW(L"HIDSIM_LOG", (m_scratch.path() + L"hid.log").c_str());
        ::SetEnvironmentVariableW(L"HIDSIM_DEVICES", L"1A2C:444D:FF01:1");
    }

    void TearDown() override {
        if (m_queuedHook != nullptr) ::UnhookWindowsHookEx(m_queuedHook);
        if (m_sentHook != nullptr) ::UnhookWindowsHookEx(m_sentHook);
        if (m_module != nullptr) ::FreeLibrary(m_module);
        ::SetEnvironmentVariableW(L"SENSOR_STANDIN_FILE", nullptr);
        ::SetEnvironmentVariableW(L"HIDSIM_LOG", nullptr);
        ::SetEnvironmentVariableW(L"HIDSIM_DEVICES", nullptr);
    }

    // Has the system load the hook module into the program's window thread, with both hooks.
    void HookWindow(HWND hwnd, DWORD processId) {
        m_counters.get()->window = static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd));
        m_module = ::LoadLibraryW((TestsDir() + L"repaint_hook.dll").c_str());
        ASSERT_NE(nullptr, m_module);
        const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
        ASSERT_TRUE(Hook(WH_GETMESSAGE, TestSupport::kQueuedHookProc, thread, &m_queuedHook));
        ASSERT_TRUE(Hook(WH_CALLWNDPROC, TestSupport::kSentHookProc, thread, &m_sentHook));
        // The module is loaded when the thread next takes a message from its queue.
        ASSERT_TRUE(WaitUntil(
            [&] {
                ::PostMessageW(hwnd, WM_NULL, 0, 0);
                return m_counters.get()->loadedInto == static_cast<LONG>(processId);
            },
            kLimitMs))
            << "the hook module was not loaded into the program";
    }

    bool Hook(int type, const char* procName, DWORD thread, HHOOK* hook) {
        const auto proc = reinterpret_cast<HOOKPROC>(
            reinterpret_cast<void*>(::GetProcAddress(m_module, procName)));
        if (proc == nullptr) return false;
        *hook = ::SetWindowsHookExW(type, proc, m_module, thread);
        return *hook != nullptr;
    }

    LONG Paints() const { return m_counters.get()->paints; }

    // Moves the real pointer to a client point, waits until the window has taken the move
    // there and then for the window to be quiet.
    void MoveTo(HWND hwnd, int x, int y) {
        POINT point = {x, y};
        ::ClientToScreen(hwnd, &point);
        const LONG expected = static_cast<LONG>(MAKELPARAM(x, y));
        bool arrived = false;
        for (DWORD waited = 0; !arrived && waited < kLimitMs; waited += kMoveResendMs) {
            ASSERT_TRUE(TestSupport::SendPointerTo(point));
            arrived = WaitUntil([&] { return m_counters.get()->lastMove == expected; },
                                kMoveResendMs);
        }
        ASSERT_TRUE(arrived) << "the window took no move to " << x << "," << y << " (last "
                             << LOWORD(m_counters.get()->lastMove) << ","
                             << HIWORD(m_counters.get()->lastMove) << ")" << CursorText(hwnd);
        WaitQuiet();
        if (HasFatalFailure()) return;
        // The last move the window took is still this one: nothing moved the pointer on.
        ASSERT_EQ(expected, m_counters.get()->lastMove)
            << "after the move to " << x << "," << y << " the window took one to "
            << LOWORD(m_counters.get()->lastMove) << "," << HIWORD(m_counters.get()->lastMove)
            << CursorText(hwnd);
    }

    // Moves the pointer through the client points in turn.
    template <size_t N>
    void MoveThrough(HWND hwnd, const POINT (&points)[N]) {
        for (const POINT& point : points) {
            MoveTo(hwnd, point.x, point.y);
            if (HasFatalFailure()) return;
        }
    }

    static std::string CursorText(HWND hwnd) {
        POINT at = {};
        ::GetCursorPos(&at);
        ::ScreenToClient(hwnd, &at);
        return " cursor " + std::to_string(at.x) + "," + std::to_string(at.y);
    }

    // Waits until neither a paint nor a move has reached the window for kQuietMs.
    void WaitQuiet() {
        LONG paints = -1;
        LONG moves = -1;
        ULONGLONG since = 0;
        ASSERT_TRUE(WaitUntil(
            [&] {
                const RepaintCounters& c = *m_counters.get();
                const ULONGLONG now = ::GetTickCount64();
                if (c.paints != paints || c.moves != moves) {
                    paints = c.paints;
                    moves = c.moves;
                    since = now;
                }
                return now - since >= kQuietMs;
            },
            kLimitMs))
            << "the window went on painting: " << m_counters.get()->paints << " paints";
    }

    ScratchDir m_scratch;
    const std::wstring m_sensorFile;
    Counters m_counters;
    HMODULE m_module = nullptr;
    HHOOK m_queuedHook = nullptr;
    HHOOK m_sentHook = nullptr;
};

}  // namespace

TEST_F(CloseHoverTest, TheWindowRepaintsOnceEachTimeThePointerEntersOrLeavesTheCloseButton) {
    ChildProcess corvane;
    ASSERT_TRUE(corvane.Start(L"\"" + LayoutDir() + L"Corvane.exe\"", LayoutDir()));
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    const HWND hwnd = ShowFromTray(kLimitMs);
    ASSERT_NE(nullptr, hwnd);
    HookWindow(hwnd, corvane.Id());
    ASSERT_FALSE(HasFatalFailure());
    MoveTo(hwnd, 170, 100);
    ASSERT_FALSE(HasFatalFailure());

    // Around the close button, each point one pixel outside one of its edges.
    LONG before = Paints();
    const POINT outside[] = {{250, 60}, {kClose.left - 1, 33}, {kClose.right, 33},
                             {304, kClose.top - 1}, {304, kClose.bottom}, {170, 120}};
    MoveThrough(hwnd, outside);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(before, Paints()) << "moves outside the close button repainted the window";

    before = Paints();
    MoveTo(hwnd, 304, 33);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(before + 1, Paints()) << "entering the close button";
    before = Paints();
    // Its four corners and more: all inside.
    const POINT inside[] = {{kClose.left, kClose.top}, {kClose.right - 1, kClose.bottom - 1},
                            {kClose.right - 1, kClose.top}, {kClose.left, kClose.bottom - 1},
                            {300, 30}};
    MoveThrough(hwnd, inside);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(before, Paints()) << "moves inside the close button";

    before = Paints();
    MoveTo(hwnd, kClose.right, 33);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(before + 1, Paints()) << "leaving the close button";
    before = Paints();
    const POINT away[] = {{325, 60}, {250, 40}};
    MoveThrough(hwnd, away);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(before, Paints()) << "moves outside after leaving";

    before = Paints();
    MoveTo(hwnd, 304, kClose.top);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(before + 1, Paints()) << "entering again, through the top edge";
    before = Paints();
    MoveTo(hwnd, 304, kClose.bottom);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(before + 1, Paints()) << "leaving again, through the bottom edge";

    CloseAndExpectOrderedExit(corvane, kLimitMs);
}
