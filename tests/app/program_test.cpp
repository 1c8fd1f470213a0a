// The real Corvane.exe of the run layout (with the sensor stand-in): one instance per
// session, its window, its settings on first start, the sensor server it starts and
// stops, and an ordered shutdown that leaves nothing behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <fstream>
#include <string>

#include "support/ChildProcess.h"
#include "support/CorvaneProgram.h"
#include "support/TestPaths.h"

using TestSupport::ChildProcess;
using TestSupport::CloseAndExpectOrderedExit;
using TestSupport::FindMainWindow;
using TestSupport::SetRefusingUpdateRoot;
using TestSupport::ReadAll;
using TestSupport::TraceFile;
using TestSupport::LayoutDir;
using TestSupport::ScratchDir;
using TestSupport::TestsDir;
using TestSupport::WaitUntil;

namespace {

const DWORD kLimitMs = 20000;

int CountMainWindows() {
    int count = 0;
    for (HWND hwnd = ::FindWindowExW(nullptr, nullptr, L"DeviceMainDlg", nullptr); hwnd != nullptr;
         hwnd = ::FindWindowExW(nullptr, hwnd, L"DeviceMainDlg", nullptr)) {
        ++count;
    }
    return count;
}

int CountProcesses(const wchar_t* name) {
    int count = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (::_wcsicmp(entry.szExeFile, name) == 0) ++count;
    }
    ::CloseHandle(snapshot);
    return count;
}

bool MutexExists() {
    HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Halvex");
    if (mutex == nullptr) return false;
    ::CloseHandle(mutex);
    return true;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(nullptr, FindMainWindow()) << "a Corvane from elsewhere is running";
        ASSERT_TRUE(SetRefusingUpdateRoot());
    }

    ChildProcess StartCorvane() {
        ChildProcess corvane;
        EXPECT_TRUE(corvane.Start(L"\"" + LayoutDir() + L"Corvane.exe\"", LayoutDir()));
        return corvane;
    }

};

}  // namespace

TEST_F(ProgramTest, SecondInstanceLeavesAtOnceAndTheFirstRunsOn) {
    ChildProcess first = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    const HWND window = FindMainWindow();

    ChildProcess second = StartCorvane();
    ASSERT_TRUE(second.Wait(kLimitMs));
    EXPECT_EQ(0u, second.ExitCode());
    EXPECT_EQ(1, CountMainWindows());
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(window, FindMainWindow());

    CloseAndExpectOrderedExit(first, kLimitMs);
}

TEST_F(ProgramTest, MainWindowIsHiddenAtTheWorkAreaCornerAndGeometryIsTraced) {
    ::DeleteFileW(TraceFile().c_str());
    ChildProcess corvane = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    const HWND hwnd = FindMainWindow();

    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT placed;
    ::GetWindowRect(hwnd, &placed);
    EXPECT_EQ(work.right - 343, placed.left);
    EXPECT_EQ(work.bottom - 253, placed.top);
    EXPECT_EQ(work.right - 3, placed.right);
    EXPECT_EQ(work.bottom - 3, placed.bottom);
    // Created as popup | visible | clip-siblings | clip-children, then hidden by the modal run.
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(hwnd); }, kLimitMs));
    EXPECT_EQ(0x96000000u & ~static_cast<DWORD>(WS_VISIBLE),
              static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)) & 0xFFFF0000u);
    EXPECT_NE(0u, static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE)) & WS_EX_TOOLWINDOW);

    char expected[128];
    std::snprintf(expected, sizeof(expected),
                  "[Info ]screen_width: %d, screen_height: %d, workArea(%ld-%ld-%ld-%ld)",
                  ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), work.left,
                  work.top, work.right, work.bottom);
    EXPECT_NE(std::string::npos, ReadAll(TraceFile()).find(expected)) << expected;

    CloseAndExpectOrderedExit(corvane, kLimitMs);
}

TEST_F(ProgramTest, StartStopsAStaleSensorServer) {
    ScratchDir scratch(L"stale");
    const std::wstring stale = scratch.path() + L"SentrelServer.exe";
    ASSERT_TRUE(::CopyFileW((TestsDir() + L"idle_process.exe").c_str(), stale.c_str(), FALSE));
    ChildProcess server;
    ASSERT_TRUE(server.Start(L"\"" + stale + L"\""));

    ChildProcess corvane = StartCorvane();
    EXPECT_TRUE(server.Wait(kLimitMs)) << "start-up must stop the sensor server of an earlier run";
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    CloseAndExpectOrderedExit(corvane, kLimitMs);
}

TEST_F(ProgramTest, RepeatedRunsLeaveNoProcessWindowOrMutexBehind) {
    for (int run = 0; run < 20; ++run) {
        ChildProcess corvane = StartCorvane();
        ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs)) << run;
        CloseAndExpectOrderedExit(corvane, kLimitMs);
        if (HasFatalFailure()) return;
        EXPECT_EQ(nullptr, FindMainWindow()) << run;
        EXPECT_EQ(0, CountProcesses(L"Corvane.exe")) << run;
        EXPECT_EQ(0, CountProcesses(L"SentrelServer.exe")) << run;
        EXPECT_FALSE(MutexExists()) << run;
    }
}

namespace {
const wchar_t kSettingsKey[] = L"SOFTWARE\\Halvex";

// The value as stored, or "<absent>".
std::wstring StoredSetting(const wchar_t* name) {
    wchar_t data[64] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
        return L"<absent>";
    }
    return data;
}
}  // namespace

TEST_F(ProgramTest, FirstStartOnACleanAccountSwitchesTheLedsOnAndKeepsCelsius) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    ChildProcess corvane = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    EXPECT_EQ(L"1", StoredSetting(L"led_switch"));
    EXPECT_EQ(L"<absent>", StoredSetting(L"tempe_type"));
    CloseAndExpectOrderedExit(corvane, kLimitMs);

    // "0" is rewritten as "1" at the next start.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key));
    ::RegSetValueExW(key, L"led_switch", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"0"), 4);
    ::RegCloseKey(key);
    ChildProcess again = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    EXPECT_EQ(L"1", StoredSetting(L"led_switch"));
    CloseAndExpectOrderedExit(again, kLimitMs);
}

TEST_F(ProgramTest, StartsTheSensorServerAndStopsItAtShutdown) {
    ChildProcess corvane = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"SentrelServer.exe") == 1; }, kLimitMs));
    CloseAndExpectOrderedExit(corvane, kLimitMs);
    EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"SentrelServer.exe") == 0; }, kLimitMs));
}

namespace {
const UINT kTrayNotify = WM_USER + 666;

// The visible popup menu window of the system menu class, if one is open.
HWND OpenMenuWindow() {
    HWND menu = ::FindWindowW(L"#32768", nullptr);
    return (menu != nullptr && ::IsWindowVisible(menu)) ? menu : nullptr;
}

}  // namespace

TEST_F(ProgramTest, TrayLeftPressShowsTheWindowBackAtItsCorner) {
    ChildProcess corvane = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    const HWND hwnd = FindMainWindow();
    ::SetWindowPos(hwnd, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    ::PostMessageW(hwnd, kTrayNotify, 109, WM_RBUTTONDOWN);  // ignored
    ::PostMessageW(hwnd, kTrayNotify, 109, WM_LBUTTONDBLCLK);  // ignored
    ::Sleep(300);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_EQ(nullptr, OpenMenuWindow()) << "a right press alone opens no menu";

    ::PostMessageW(hwnd, kTrayNotify, 109, WM_LBUTTONDOWN);
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT placed = {};
    // Shown first, then moved: wait for both.
    EXPECT_TRUE(WaitUntil(
        [&] {
            ::GetWindowRect(hwnd, &placed);
            return ::IsWindowVisible(hwnd) && placed.left == work.right - 343;
        },
        kLimitMs));
    EXPECT_EQ(work.right - 343, placed.left);
    EXPECT_EQ(work.bottom - 253, placed.top);
    EXPECT_EQ(340, placed.right - placed.left);
    EXPECT_EQ(250, placed.bottom - placed.top);
    CloseAndExpectOrderedExit(corvane, kLimitMs);
}

TEST_F(ProgramTest, TrayRightReleaseOpensAMenuAndTheInfoItemsDoNothing) {
    ChildProcess corvane = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    const HWND hwnd = FindMainWindow();

    ::PostMessageW(hwnd, kTrayNotify, 109, WM_RBUTTONUP);
    ASSERT_TRUE(WaitUntil([] { return OpenMenuWindow() != nullptr; }, kLimitMs));
    // The items themselves are checked in-process: menus do not cross processes here.
    ::PostMessageW(OpenMenuWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([] { return OpenMenuWindow() == nullptr; }, kLimitMs));

    ::PostMessageW(hwnd, WM_COMMAND, 203, 0);
    ::PostMessageW(hwnd, WM_COMMAND, 202, 0);
    ::Sleep(500);
    EXPECT_TRUE(corvane.Running());
    CloseAndExpectOrderedExit(corvane, kLimitMs);
}

TEST_F(ProgramTest, ExitEndsAtOnceAndLeavesTheSensorServerForTheNextStart) {
    ChildProcess corvane = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    ASSERT_TRUE(WaitUntil([] { return CountProcesses(L"SentrelServer.exe") == 1; }, kLimitMs));
    ::PostMessageW(FindMainWindow(), WM_COMMAND, 100, 0);
    ASSERT_TRUE(corvane.Wait(kLimitMs));
    EXPECT_EQ(0u, corvane.ExitCode());
    EXPECT_EQ(nullptr, FindMainWindow());
    EXPECT_EQ(1, CountProcesses(L"SentrelServer.exe")) << "Exit leaves the sensor server running";

    // The next start stops the old server and starts its own.
    ChildProcess next = StartCorvane();
    ASSERT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
    ::Sleep(500);
    EXPECT_EQ(1, CountProcesses(L"SentrelServer.exe"));
    CloseAndExpectOrderedExit(next, kLimitMs);
    EXPECT_TRUE(WaitUntil([] { return CountProcesses(L"SentrelServer.exe") == 0; }, kLimitMs));
}
