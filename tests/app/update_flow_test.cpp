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

// The program's update prompt: a dialog box with YES and NO owned by the given process.
HWND FindPrompt(DWORD processId) {
    for (HWND hwnd = ::FindWindowExW(nullptr, nullptr, L"#32770", nullptr); hwnd != nullptr;
         hwnd = ::FindWindowExW(nullptr, hwnd, L"#32770", nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == processId && ::GetDlgItem(hwnd, IDYES) != nullptr && ::IsWindowVisible(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

std::wstring PromptText(HWND box) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 512);  // the box's message text
    return text;
}

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
    EXPECT_NE(std::wstring::npos, PromptText(m_box).find(L"v1.0.0.12")) << "prompt names the version";
    ::PostMessageW(::GetDlgItem(m_box, IDYES), BM_CLICK, 0, 0);
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
    ::PostMessageW(::GetDlgItem(m_box, IDNO), BM_CLICK, 0, 0);
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
