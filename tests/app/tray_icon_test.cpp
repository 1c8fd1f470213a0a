// The notification-area icon of the real Corvane.exe of the run layout (with the sensor
// stand-in and the simulated display): added at start, deleted and added once more
// about ten seconds later and then left alone, deleted by Exit before the process ends.
//
// This test plays the shell. Wine's shell32 hands each Shell_NotifyIconW call to the
// window of class "Shell_TrayWnd" on the caller's desktop as WM_COPYDATA (dwData is the
// NIM_ code, the data Wine's own record of the icon), and Wine's own notification area
// cannot be asked what it was told. So Corvane runs on a desktop of its own, where a
// thread of this test owns a Shell_TrayWnd that records every call. Wine's explorer puts
// a hidden Shell_TrayWnd of its own on each desktop it brings up; ours is topmost, so
// that the program's FindWindow finds it first.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/CorvaneProgram.h"
#include "support/TestPaths.h"

using TestSupport::ChildProcess;
using TestSupport::FindMainWindow;
using TestSupport::SetRefusingUpdateRoot;
using TestSupport::LayoutDir;
using TestSupport::WaitUntil;

namespace {

const DWORD kLimitMs = 20000;
// The icon goes to the shell again about ten seconds after start: allow a slow machine.
const DWORD kReaddLimitMs = 60000;
// The program is watched this long after start, and at least kQuietMs after the re-add.
const ULONGLONG kWatchMs = 25000;
const ULONGLONG kQuietMs = 10000;

const UINT kIconId = 109;
const UINT kTrayNotify = WM_USER + 666;
const UINT kExit = 100;

// Wine's record of an icon, as it arrives: the window (32 bits), the id, the flags, the
// callback message, the tip (128 characters); the icon's image, when the call carries
// one, is described from byte 944 on (width, height, planes, bits per pixel) and its
// bits follow the record's 960 bytes.
const size_t kWindowAt = 0;
const size_t kIdAt = 4;
const size_t kFlagsAt = 8;
const size_t kCallbackAt = 12;
const size_t kTipAt = 16;
const size_t kTipChars = 128;
const size_t kIconWidthAt = 944;
const size_t kIconHeightAt = 948;
const size_t kRecordSize = 960;

struct IconCall {
    ULONGLONG at = 0;  // GetTickCount64 when the shell got it
    DWORD code = 0;    // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
    HWND window = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callback = 0;
    std::wstring tip;
    UINT iconWidth = 0;
    UINT iconHeight = 0;
    bool iconBits = false;  // the image's bits came along
};

const char* CodeName(DWORD code) {
    switch (code) {
    case NIM_ADD: return "NIM_ADD";
    case NIM_MODIFY: return "NIM_MODIFY";
    case NIM_DELETE: return "NIM_DELETE";
    case NIM_SETFOCUS: return "NIM_SETFOCUS";
    case NIM_SETVERSION: return "NIM_SETVERSION";
    default: return "?";
    }
}

UINT ReadUint(const BYTE* data, size_t at) {
    UINT value = 0;
    std::memcpy(&value, data + at, sizeof(value));
    return value;
}

// The shell on a desktop of its own: a thread attached to it owns the Shell_TrayWnd and
// records the calls; it also answers the lookups that have to be made on that desktop.
class TrayShell {
public:
    explicit TrayShell(const std::wstring& desktop) : m_desktopName(desktop) {
        m_desktop = ::CreateDesktopW(desktop.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        if (m_desktop == nullptr) return;
        m_ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = ::CreateThread(nullptr, 0, &TrayShell::Run, this, 0, nullptr);
        ::WaitForSingleObject(m_ready, kLimitMs);
    }
    ~TrayShell() {
        if (m_window != nullptr) ::PostMessageW(m_window, WM_CLOSE, 0, 0);
        if (m_thread != nullptr) {
            ::WaitForSingleObject(m_thread, kLimitMs);
            ::CloseHandle(m_thread);
        }
        if (m_ready != nullptr) ::CloseHandle(m_ready);
        if (m_desktop != nullptr) ::CloseDesktop(m_desktop);
    }
    TrayShell(const TrayShell&) = delete;
    TrayShell& operator=(const TrayShell&) = delete;

    const std::wstring& Desktop() const { return m_desktopName; }
    HWND Window() const { return m_window; }

    // What FindWindow finds on the desktop: the shell window, the program's main window.
    HWND FoundShell() const { return Ask(kFindShell); }
    HWND FoundMainWindow() const { return Ask(kFindMain); }

    std::vector<IconCall> Calls() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

private:
    static const UINT kFindShell = WM_APP + 1;
    static const UINT kFindMain = WM_APP + 2;

    HWND Ask(UINT question) const {
        DWORD_PTR answer = 0;
        if (m_window == nullptr ||
            !::SendMessageTimeoutW(m_window, question, 0, 0, SMTO_NORMAL, kLimitMs, &answer)) {
            return nullptr;
        }
        return reinterpret_cast<HWND>(answer);
    }

    static DWORD WINAPI Run(void* self) {
        static_cast<TrayShell*>(self)->Serve();
        return 0;
    }

    void Serve() {
        if (::SetThreadDesktop(m_desktop)) {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = &TrayShell::WindowProc;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.lpszClassName = L"Shell_TrayWnd";
            ::RegisterClassW(&windowClass);
            m_window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"",
                                         WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                         windowClass.hInstance, this);
        }
        ::SetEvent(m_ready);
        if (m_window == nullptr) return;
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* shell = reinterpret_cast<TrayShell*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (message) {
        case WM_COPYDATA:
            shell->Record(*reinterpret_cast<const COPYDATASTRUCT*>(lparam));
            return TRUE;  // as the shell does: the call succeeded
        case kFindShell:
            return reinterpret_cast<LRESULT>(::FindWindowW(L"Shell_TrayWnd", nullptr));
        case kFindMain:
            return reinterpret_cast<LRESULT>(FindMainWindow());
        case WM_CLOSE:
            ::DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wparam, lparam);
        }
    }

    void Record(const COPYDATASTRUCT& data) {
        IconCall call;
        call.at = ::GetTickCount64();
        call.code = static_cast<DWORD>(data.dwData);
        const auto* bytes = static_cast<const BYTE*>(data.lpData);
        if (bytes != nullptr && data.cbData >= kRecordSize) {
            const ULONG_PTR window = ReadUint(bytes, kWindowAt);
            call.window = reinterpret_cast<HWND>(window);
            call.id = ReadUint(bytes, kIdAt);
            call.flags = ReadUint(bytes, kFlagsAt);
            call.callback = ReadUint(bytes, kCallbackAt);
            wchar_t tip[kTipChars + 1] = {};
            std::memcpy(tip, bytes + kTipAt, kTipChars * sizeof(wchar_t));
            call.tip = tip;
            call.iconWidth = ReadUint(bytes, kIconWidthAt);
            call.iconHeight = ReadUint(bytes, kIconHeightAt);
            call.iconBits = data.cbData > kRecordSize;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
    }

    std::wstring m_desktopName;
    HDESK m_desktop = nullptr;
    HANDLE m_ready = nullptr;
    HANDLE m_thread = nullptr;
    HWND m_window = nullptr;  // written by the shell thread before m_ready is set
    mutable std::mutex m_mutex;
    std::vector<IconCall> m_calls;
};

std::string Describe(const std::vector<IconCall>& calls, ULONGLONG start) {
    std::string text;
    for (const IconCall& call : calls) {
        char line[160];
        std::snprintf(line, sizeof(line), "  +%llu ms %s id %u flags %u window %p callback %u\n",
                      call.at - start, CodeName(call.code), call.id, call.flags,
                      static_cast<void*>(call.window), call.callback);
        text += line;
    }
    return text.empty() ? "  (none)\n" : text;
}

size_t CountCalls(const TrayShell& shell) { return shell.Calls().size(); }

// Ends the processes that parent started and that still run.
void EndChildrenOf(DWORD parent) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        HANDLE child =
            ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (child == nullptr) continue;
        ::TerminateProcess(child, 0xDEAD);
        ::WaitForSingleObject(child, 5000);
        ::CloseHandle(child);
    }
    ::CloseHandle(snapshot);
}

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() : m_shell(L"tray-shell-" + std::to_wstring(::GetCurrentProcessId())) {}

    void SetUp() override {
        ASSERT_EQ(nullptr, FindMainWindow()) << "a Corvane from elsewhere is running";
        ASSERT_TRUE(SetRefusingUpdateRoot());
    }

    // Whatever way the test ends, neither the program nor the sensor server it started
    // stays behind (Exit leaves the server running for the next start to stop).
    void TearDown() override {
        m_corvane.Terminate();
        if (m_corvane.Id() != 0) EndChildrenOf(m_corvane.Id());
    }

    TrayShell m_shell;
    ChildProcess m_corvane;
};

}  // namespace

TEST_F(TrayIconTest, AddedAtStartAddedOnceMoreTenSecondsLaterAndDeletedByExit) {
    ASSERT_NE(nullptr, m_shell.Window()) << "no shell window on a desktop of its own";
    ASSERT_EQ(m_shell.Window(), m_shell.FoundShell())
        << "the program would hand its icon to another Shell_TrayWnd";

    const ULONGLONG start = ::GetTickCount64();
    ASSERT_TRUE(m_corvane.Start(L"\"" + LayoutDir() + L"Corvane.exe\"", LayoutDir(),
                                m_shell.Desktop()));
    ASSERT_TRUE(WaitUntil([&] { return m_shell.FoundMainWindow() != nullptr; }, kLimitMs))
        << "no main window on the program's desktop";
    const HWND mainWindow = m_shell.FoundMainWindow();

    // The start's icon, then its deletion and the second add; then nothing for a while.
    ASSERT_TRUE(WaitUntil([&] { return CountCalls(m_shell) >= 3; }, kReaddLimitMs))
        << Describe(m_shell.Calls(), start)
        << (m_shell.FoundShell() == m_shell.Window() ? "" : "another Shell_TrayWnd is in front\n");
    const ULONGLONG readdAt = m_shell.Calls()[2].at;
    const ULONGLONG quietEnd = std::max(start + kWatchMs, readdAt + kQuietMs);
    ::Sleep(static_cast<DWORD>(quietEnd - std::min(quietEnd, ::GetTickCount64())));
    ASSERT_TRUE(m_corvane.Running());
    const std::vector<IconCall> running = m_shell.Calls();
    ASSERT_EQ(3u, running.size()) << "after the re-add the icon is left alone\n"
                                  << Describe(running, start);

    // Both adds are the same icon of the main window, with its picture and tip, and the
    // callback message the window takes as its tray notification.
    const DWORD expected[] = {NIM_ADD, NIM_DELETE, NIM_ADD};
    for (size_t i = 0; i < running.size(); ++i) {
        const IconCall& call = running[i];
        EXPECT_EQ(expected[i], call.code) << "call " << i << "\n" << Describe(running, start);
        EXPECT_EQ(kIconId, call.id) << "call " << i;
        EXPECT_EQ(mainWindow, call.window) << "call " << i;
        if (call.code != NIM_ADD) continue;
        EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), call.flags) << "call " << i;
        EXPECT_EQ(kTrayNotify, call.callback) << "call " << i;
        EXPECT_EQ(L"Halvex", call.tip) << "call " << i;
        EXPECT_TRUE(call.iconWidth > 0 && call.iconHeight > 0 && call.iconBits)
            << "call " << i << " carries no icon: " << call.iconWidth << "x" << call.iconHeight;
    }
    // About ten seconds after start, not at once: loosely.
    EXPECT_GE(running[1].at - start, 5000u) << Describe(running, start);

    // Exit as the tray menu's item sends it. The shell gets each call while the program
    // waits for its answer, so a deletion that arrives came from the living process.
    ASSERT_TRUE(::PostMessageW(mainWindow, WM_COMMAND, kExit, 0));
    ASSERT_TRUE(m_corvane.Wait(kLimitMs));
    EXPECT_EQ(0u, m_corvane.ExitCode());
    const std::vector<IconCall> all = m_shell.Calls();
    ASSERT_EQ(4u, all.size()) << Describe(all, start);
    EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), all[3].code) << Describe(all, start);
    EXPECT_EQ(kIconId, all[3].id);
    EXPECT_EQ(mainWindow, all[3].window);
    EXPECT_EQ(m_shell.Window(), m_shell.FoundShell()) << "another Shell_TrayWnd came in front";
}
