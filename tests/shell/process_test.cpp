// Start-up's process helpers against real processes and real (virtual) screens.
#include <gtest/gtest.h>

#include <windows.h>

#include "shell/Process.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

using TestSupport::ChildProcess;
using TestSupport::ScratchDir;
using TestSupport::TestsDir;
using TestSupport::WaitUntil;

namespace {

// Copies the idle helper to dir\name and starts it there.
ChildProcess StartIdleAs(const std::wstring& dir, const std::wstring& name) {
    ::CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring exe = dir + L"\\" + name;
    EXPECT_TRUE(::CopyFileW((TestsDir() + L"idle_process.exe").c_str(), exe.c_str(), FALSE));
    ChildProcess child;
    EXPECT_TRUE(child.Start(L"\"" + exe + L"\""));
    return child;
}

}  // namespace

TEST(KillProcessByName, StopsOnlyTheFirstMatchIgnoringCase) {
    ScratchDir scratch(L"kill");
    // Two folders: the file system ignores case, so the two names cannot share one.
    ChildProcess mixed = StartIdleAs(scratch.path() + L"a", L"SentrelServer.exe");
    ChildProcess upper = StartIdleAs(scratch.path() + L"b", L"SENTRELSERVER.EXE");
    ASSERT_TRUE(mixed.Running());
    ASSERT_TRUE(upper.Running());

    ASSERT_TRUE(Corvane::KillProcessByName(L"SentrelServer.exe"));
    ASSERT_TRUE(WaitUntil([&] { return !mixed.Running() || !upper.Running(); }, 5000));
    ::Sleep(300);  // a second kill, if any, would have landed by now
    EXPECT_NE(mixed.Running(), upper.Running()) << "exactly one of the two must be stopped";
    const DWORD killedCode = mixed.Running() ? upper.ExitCode() : mixed.ExitCode();
    EXPECT_EQ(0u, killedCode);

    ASSERT_TRUE(Corvane::KillProcessByName(L"sentrelserver.EXE"));
    EXPECT_TRUE(WaitUntil([&] { return !mixed.Running() && !upper.Running(); }, 5000));
}

TEST(KillProcessByName, NoMatchLeavesOthersRunning) {
    ScratchDir scratch(L"nomatch");
    ChildProcess other = StartIdleAs(scratch.path() + L"a", L"SentrelServer2.exe");
    EXPECT_TRUE(Corvane::KillProcessByName(L"SentrelServer.exe"));
    ::Sleep(300);
    EXPECT_TRUE(other.Running());
}

struct ScreenCase {
    int width;
    int height;
    bool declaresAware;
};

class DpiRule : public ::testing::TestWithParam<ScreenCase> {};

// Wine reports every process as DPI aware whatever it declares, so the probe reports
// the rule's own decision, taken on a real virtual screen of the case's size.
TEST_P(DpiRule, DeclaresAwarenessOnlyOnSmallScreens) {
    const ScreenCase c = GetParam();
    ChildProcess probe;
    ASSERT_TRUE(probe.Start(L"\"" + TestsDir() + L"corvane_probe.exe\" dpi", L"",
                            TestSupport::ScreenDesktop(c.width, c.height)));
    ASSERT_TRUE(probe.Wait(30000));
    const DWORD code = probe.ExitCode();
    EXPECT_EQ(static_cast<DWORD>(c.width), code >> 16);
    EXPECT_EQ(static_cast<DWORD>(c.height), (code & 0xFFFF) >> 1);
    EXPECT_EQ(c.declaresAware, (code & 1) != 0);
}

INSTANTIATE_TEST_SUITE_P(Screens, DpiRule,
                         ::testing::Values(ScreenCase{1366, 768, true},
                                           ScreenCase{1280, 1024, true},
                                           ScreenCase{1600, 768, true},
                                           ScreenCase{1400, 800, false},
                                           ScreenCase{1920, 1080, false}));
