// The real Corvane.exe against the update-server stand-in: a newer software version is
// offered at start; YES downloads, unpacks and starts the installer and ends the
// program, NO leaves it running.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "support/ChildProcess.h"
#include "support/TestPaths.h"
#include "update/update_fixtures.h"

using TestSupport::ChildProcess;
using TestSupport::LayoutDir;
using TestSupport::WaitUntil;

namespace {

const DWORD kLimitMs = 30000;

void SetUpdateRoot(const std::wstring& root) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvex", 0, nullptr, 0,
                                KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr));
    ::RegSetValueExW(key, L"update_root", 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                     static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

std::wstring TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
    return std::wstring(base) + L"\\Halvex Files\\temp\\";
}

// The program's update prompt: its own message box, a visible top-level window with the
// text "MessageBox" of the given process.
struct PromptSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK MatchPrompt(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<PromptSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    wchar_t text[32] = {};
    ::GetWindowTextW(hwnd, text, 32);
    if (owner == search->process && ::IsWindowVisible(hwnd) && std::wstring(text) == L"MessageBox") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindPrompt(DWORD processId) {
    PromptSearch search = {processId, nullptr};
    ::EnumWindows(MatchPrompt, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Clicks a point of the box's 380 x 200 client area the way the mouse does.
void ClickAt(HWND box, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageW(box, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(box, WM_LBUTTONUP, 0, at);
}

// The centres of "YES" (70..170) and "NO" (210..310), both at 160..190.
const int kYesX = 120;
const int kNoX = 260;
const int kButtonY = 175;

class UpdateFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(UpdateTests::ServerUrl().empty()) << "the update-server stand-in is not running";
        SetUpdateRoot(UpdateTests::ServerUrl() + L"/sw-newer");
        ::DeleteFileW((TempFolder() + L"Software-1.0.0.12.exe.ran").c_str());
        ASSERT_TRUE(m_corvane.Start(L"\"" + LayoutDir() + L"Corvane.exe\"", LayoutDir()));
        ASSERT_TRUE(WaitUntil([&] { return FindPrompt(m_corvane.Id()) != nullptr; }, kLimitMs))
            << "no update prompt";
        m_box = FindPrompt(m_corvane.Id());
    }
    void TearDown() override { SetUpdateRoot(L"http://127.0.0.1:9"); }

    ChildProcess m_corvane;
    HWND m_box = nullptr;
};

}  // namespace

TEST_F(UpdateFlowTest, YesStartsTheDownloadedInstallerAndEndsTheProgram) {
    RECT client;
    ::GetClientRect(m_box, &client);
    EXPECT_EQ(380, client.right);
    EXPECT_EQ(200, client.bottom);
    ClickAt(m_box, kYesX, kButtonY);
    ASSERT_TRUE(m_corvane.Wait(kLimitMs));
    EXPECT_EQ(0u, m_corvane.ExitCode());
    EXPECT_TRUE(WaitUntil(
        [] {
            return ::GetFileAttributesW((TempFolder() + L"Software-1.0.0.12.exe.ran").c_str()) !=
                   INVALID_FILE_ATTRIBUTES;
        },
        kLimitMs))
        << "the installer from the archive was started";
}

TEST_F(UpdateFlowTest, NoKeepsTheProgramRunning) {
    ClickAt(m_box, kNoX, kButtonY);
    ASSERT_TRUE(WaitUntil([&] { return FindPrompt(m_corvane.Id()) == nullptr; }, kLimitMs));
    ::Sleep(1000);
    EXPECT_TRUE(m_corvane.Running());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
              ::GetFileAttributesW((TempFolder() + L"Software-1.0.0.12.exe.ran").c_str()));
    const HWND main = ::FindWindowW(L"DeviceMainDlg", L"DIGITAL");
    ASSERT_NE(nullptr, main);
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_corvane.Wait(kLimitMs));
    EXPECT_EQ(1u, m_corvane.ExitCode());
}
