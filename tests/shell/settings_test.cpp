// Settings in HKCU\SOFTWARE\Halvex and the program's folders.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <string>

#include "shell/Paths.h"
#include "shell/Settings.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

using Corvane::ReadSettingInt;
using Corvane::WriteSetting;
using TestSupport::ChildProcess;
using TestSupport::ScratchDir;
using TestSupport::TestsDir;

namespace {

const wchar_t kKey[] = L"SOFTWARE\\Halvex";

bool KeyExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

bool ValueExists(const wchar_t* name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const bool found = ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return found;
}

// Stores a REG_SZ value directly, bypassing the code under test.
void StoreRaw(const wchar_t* name, const std::wstring& text) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

// Replaces the key's access list, e.g. with one that only allows reading.
bool SetKeyAccess(const wchar_t* sddl) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    PSECURITY_DESCRIPTOR sd = nullptr;
    bool done = false;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) {
        done = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
        ::LocalFree(sd);
    }
    ::RegCloseKey(key);
    return done;
}

// Each test starts on a clean account: no settings key at all.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        SetKeyAccess(L"D:(A;;KA;;;WD)");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    }
};

std::wstring ReadUtf16File(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"<missing>";
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof(buffer) - sizeof(wchar_t), &read, nullptr);
    ::CloseHandle(file);
    return std::wstring(buffer, read / sizeof(wchar_t));
}

// Runs the probe copied to folder and returns the module directory it reports.
std::wstring ModuleDirectoryOfCopyIn(const std::wstring& folder) {
    const std::wstring exe = folder + L"corvane_probe.exe";
    EXPECT_TRUE(::CopyFileW((TestsDir() + L"corvane_probe.exe").c_str(), exe.c_str(), FALSE));
    const std::wstring out = folder + L"moduledir.txt";
    ChildProcess probe;
    EXPECT_TRUE(probe.Start(L"\"" + exe + L"\" moduledir \"" + out + L"\""));
    EXPECT_TRUE(probe.Wait(30000));
    EXPECT_EQ(0u, probe.ExitCode());
    return ReadUtf16File(out);
}

}  // namespace

TEST_F(SettingsTest, FirstReadCreatesTheKeyAndReadsZero) {
    ASSERT_FALSE(KeyExists());
    EXPECT_EQ(0, ReadSettingInt(L"led_switch"));
    EXPECT_TRUE(KeyExists());
    EXPECT_FALSE(ValueExists(L"led_switch"));
    EXPECT_EQ(0, ReadSettingInt(L"tempe_type"));
}

TEST_F(SettingsTest, StoredTextReadsAsLeadingDecimalNumber) {
    struct Case {
        std::wstring stored;
        int expected;
    } cases[] = {
        {L" 1abc", 1}, {L"abc", 0},  {L"", 0},   {L"1", 1},      {L"2", 2},
        {L"-5", -5},   {L"\t+7", 7}, {L"0", 0},  {L"12 34", 12},
        // 200 characters need 402 bytes: more than the 255-byte read buffer.
        {std::wstring(200, L'1'), 0},
    };
    for (const Case& c : cases) {
        StoreRaw(L"tempe_type", c.stored);
        EXPECT_EQ(c.expected, ReadSettingInt(L"tempe_type")) << "stored \"" << c.stored.size() << "\"";
    }
}

TEST_F(SettingsTest, WriteStoresTextWithItsNull) {
    ReadSettingInt(L"led_switch");  // creates the key
    WriteSetting(L"tempe_type", L"1");
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key));
    DWORD type = 0;
    wchar_t data[8] = {};
    DWORD size = sizeof(data);
    ASSERT_EQ(ERROR_SUCCESS, ::RegQueryValueExW(key, L"tempe_type", nullptr, &type,
                                                reinterpret_cast<BYTE*>(data), &size));
    ::RegCloseKey(key);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(2 * sizeof(wchar_t), size);
    EXPECT_STREQ(L"1", data);
    EXPECT_EQ(1, ReadSettingInt(L"tempe_type"));
}

TEST_F(SettingsTest, WriteWithoutTheKeyIsDropped) {
    WriteSetting(L"tempe_type", L"1");
    EXPECT_FALSE(KeyExists());
}

TEST_F(SettingsTest, KeyThatCannotBeOpenedReadsZeroAndDropsWrites) {
    StoreRaw(L"tempe_type", L"1");
    ASSERT_TRUE(SetKeyAccess(L"D:P(A;;KR;;;WD)"));  // read-only for everyone
    EXPECT_EQ(0, ReadSettingInt(L"tempe_type"));
    WriteSetting(L"led_switch", L"1");
    ASSERT_TRUE(SetKeyAccess(L"D:(A;;KA;;;WD)"));
    EXPECT_FALSE(ValueExists(L"led_switch"));
    EXPECT_EQ(1, ReadSettingInt(L"tempe_type"));
}

TEST(Paths, EnsureDirectoryCreatesMissingParents) {
    ScratchDir scratch(L"ensure");
    const std::wstring nested = scratch.path() + L"a\\b\\c\\";
    EXPECT_TRUE(Corvane::EnsureDirectory(nested));
    EXPECT_TRUE(::GetFileAttributesW((scratch.path() + L"a\\b\\c").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(Corvane::EnsureDirectory(nested)) << "an existing folder";
    EXPECT_TRUE(Corvane::EnsureDirectory(scratch.path() + L"x\\y"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((scratch.path() + L"x\\y").c_str()));

    // A folder cannot be made below a file.
    const std::wstring file = scratch.path() + L"plain.txt";
    ::CloseHandle(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    EXPECT_FALSE(Corvane::EnsureDirectory(file + L"\\sub\\"));
}

TEST(Paths, FoldersEndInOneBackslash) {
    wchar_t local[MAX_PATH + 1] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local);
    EXPECT_EQ(std::wstring(local) + L"\\Halvex Files\\", Corvane::GetDataFolder());

    const std::wstring module = Corvane::GetModuleDirectory();
    EXPECT_EQ(TestsDir(), module);
    EXPECT_EQ(module + L"skins\\theme1\\", Corvane::GetSkinFolder());
}

TEST(Paths, ModuleDirectoryOfAProgramInAFolderAndAtADriveRoot) {
    ScratchDir scratch(L"module dir");
    EXPECT_EQ(scratch.path(), ModuleDirectoryOfCopyIn(scratch.path()));

    // The test prefix maps drive R: onto an empty folder of its own.
    const std::wstring atRoot = ModuleDirectoryOfCopyIn(L"R:\\");
    ::DeleteFileW(L"R:\\corvane_probe.exe");
    ::DeleteFileW(L"R:\\moduledir.txt");
    EXPECT_EQ(L"R:\\", atRoot);
}
