// UpdateService end to end against the update-server stand-in, with the server root
// taken from update_root in HKLM\SOFTWARE\Halvex as the program takes it: the two
// start-up checks and what they post to a window, the prompt's decision, and the
// download, unpack and start of an update.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "shell/Product.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"
#include "update/FileOps.h"
#include "update/UpdatePrompt.h"
#include "update/UpdateServer.h"
#include "update/UpdateService.h"
#include "update_fixtures.h"

using namespace Corvane;
using TestSupport::ScratchDir;
using TestSupport::TestsDir;
using TestSupport::WaitUntil;
using UpdateTests::ClosedPort;
using UpdateTests::FixturesDir;
using UpdateTests::ReadBytes;
using UpdateTests::ServerUrl;

namespace {

const wchar_t kCurrentVersion[] = L"1.0.0.11";

// Sets update_root in one registry view for the object's life and puts back what was
// there before.
class ScopedUpdateRoot {
public:
    explicit ScopedUpdateRoot(REGSAM view = KEY_WOW64_64KEY) {
        const std::wstring path = std::wstring(L"SOFTWARE\\") + kProductName;
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE | view, nullptr, &m_key, nullptr);
        BYTE old[4096];
        DWORD size = sizeof(old);
        m_hadValue = ::RegQueryValueExW(m_key, kUpdateRootValue, nullptr, &m_oldType, old, &size) == ERROR_SUCCESS;
        if (m_hadValue) m_old.assign(old, old + size);
    }
    ~ScopedUpdateRoot() {
        if (m_hadValue) {
            ::RegSetValueExW(m_key, kUpdateRootValue, 0, m_oldType, m_old.data(), static_cast<DWORD>(m_old.size()));
        } else {
            ::RegDeleteValueW(m_key, kUpdateRootValue);
        }
        ::RegCloseKey(m_key);
    }
    ScopedUpdateRoot(const ScopedUpdateRoot&) = delete;
    ScopedUpdateRoot& operator=(const ScopedUpdateRoot&) = delete;

    void Set(const std::wstring& root) {
        ::RegSetValueExW(m_key, kUpdateRootValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                         static_cast<DWORD>((root.size() + 1) * sizeof(wchar_t)));
    }
    void SetDword(DWORD value) {
        ::RegSetValueExW(m_key, kUpdateRootValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof(value));
    }
    void Remove() { ::RegDeleteValueW(m_key, kUpdateRootValue); }

private:
    HKEY m_key = nullptr;  // owned
    bool m_hadValue = false;
    DWORD m_oldType = REG_SZ;
    std::vector<BYTE> m_old;
};

// A message-only window that collects the update results posted to it.
class ResultWindow {
public:
    ResultWindow() {
        m_window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~ResultWindow() { ::DestroyWindow(m_window); }
    ResultWindow(const ResultWindow&) = delete;
    ResultWindow& operator=(const ResultWindow&) = delete;

    HWND hwnd() const { return m_window; }

    // The (wParam, lParam) of every update result waiting in the queue.
    std::vector<std::pair<WPARAM, LPARAM>> Take() {
        std::vector<std::pair<WPARAM, LPARAM>> results;
        MSG message;
        while (::PeekMessageW(&message, m_window, kUpdateResultMessage, kUpdateResultMessage, PM_REMOVE)) {
            results.emplace_back(message.wParam, message.lParam);
        }
        return results;
    }

private:
    HWND m_window = nullptr;  // owned
};

using Results = std::vector<std::pair<WPARAM, LPARAM>>;

// The user in front of the prompt.
class FakeConsent : public UpdateConsent {
public:
    explicit FakeConsent(int answer) : m_answer(answer) {}
    int AskUser(const std::wstring& text, const std::wstring& caption) override {
        ++asked;
        this->text = text;
        this->caption = caption;
        return m_answer;
    }
    int asked = 0;
    std::wstring text;
    std::wstring caption;

private:
    int m_answer;
};

class UpdateServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_server = ServerUrl();
        ASSERT_FALSE(m_server.empty()) << "the update-server stand-in is not running";
    }

    // Short waits so that the stalling answers end quickly (the stand-in holds them until
    // it stops); the product waits 15 s per step.
    static UpdateOptions Options(const std::wstring& dataFolder = std::wstring()) {
        UpdateOptions options;
        options.versionFile.stepTimeoutMs = 3000;
        options.archive.stepTimeoutMs = 3000;
        options.dataFolder = dataFolder;
        return options;
    }

    std::wstring m_server;
    ScopedUpdateRoot m_root;
    ResultWindow m_window;
};

TEST_F(UpdateServiceTest, RootComesFromThe64BitViewWhenAcceptable) {
    ScopedUpdateRoot wow32(KEY_WOW64_32KEY);
    m_root.Set(L"http://127.0.0.1:1111/");
    wow32.Set(L"http://127.0.0.1:2222");
    EXPECT_EQ(L"http://127.0.0.1:1111", ReadUpdateRoot());
    const UpdateService service(ReadUpdateRoot(), kCurrentVersion, nullptr);
    EXPECT_EQ(L"http://127.0.0.1:1111/m21x/software/", service.SoftwareBaseUrl());
    EXPECT_EQ(L"http://127.0.0.1:1111/m21x/firmware/", service.FirmwareBaseUrl());

    for (const wchar_t* refused : {L"http://update.halvex.example", L"ftp://127.0.0.1/", L"", L"not a url"}) {
        m_root.Set(refused);
        EXPECT_EQ(kDefaultUpdateRoot, ReadUpdateRoot()) << refused;
    }
    m_root.SetDword(1);
    EXPECT_EQ(kDefaultUpdateRoot, ReadUpdateRoot());
    m_root.Remove();
    EXPECT_EQ(kDefaultUpdateRoot, ReadUpdateRoot());
}

struct SoftwareCase {
    std::wstring root;  // below the server; empty for the refusing port
    bool posted;
    const wchar_t* stored;
};

TEST_F(UpdateServiceTest, SoftwareCheckPostsOnlyForANewerPlainVersion) {
    ClosedPort refusing;
    const SoftwareCase cases[] = {
        {L"/sw-newer", true, L"1.0.0.12"},
        {L"/sw-same", false, L"1.0.0.11"},
        {L"/sw-older", false, L"1.0.0.10"},
        {L"/sw-line-end", true, L"1.0.0.12"},  // "1.0.0.12\r\n"
        {L"/sw-long", false, L""},             // 11 characters
        {L"/sw-not-plain", false, L""},        // "2.0 beta"
        {L"/-/status/404/sw-newer", false, L""},
        {L"/-/stall/3/sw-newer", false, L""},
        {L"/-/big/1048576/sw-newer", false, L""},
        {L"", false, L""},
    };
    for (const SoftwareCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "root " << (c.root.empty() ? L"(refusing port)" : c.root));
        m_root.Set(c.root.empty() ? refusing.Url() : m_server + c.root);
        UpdateService service(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options());
        service.CheckSoftwareAtStart();
        EXPECT_EQ((c.posted ? Results{{kSoftwareUpdate, 1}} : Results{}), m_window.Take());
        EXPECT_EQ(c.stored, service.LatestSoftwareVersion());
        EXPECT_EQ(L"", service.LatestFirmwareVersion());
    }
}

struct FirmwareCase {
    const wchar_t* root;
    int display;  // -1: no display
    bool posted;
    const wchar_t* stored;
    bool displayAsked;
};

TEST_F(UpdateServiceTest, FirmwareCheckComparesWithTheDisplay) {
    const FirmwareCase cases[] = {
        {L"/fw-105", 0x0104, true, L"105", true},
        {L"/fw-105", 0x0105, false, L"105", true},
        {L"/fw-2", 0x001A, true, L"2", true},
        {L"/fw-105", -1, false, L"105", true},
        {L"/fw-long", 0x0104, false, L"", false},
    };
    for (const FirmwareCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "root " << c.root << ", display " << c.display);
        m_root.Set(m_server + c.root);
        UpdateService service(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options());
        bool asked = false;
        service.CheckFirmwareAtStart([&] {
            asked = true;
            return c.display;
        });
        EXPECT_EQ((c.posted ? Results{{kFirmwareUpdate, 1}} : Results{}), m_window.Take());
        EXPECT_EQ(c.stored, service.LatestFirmwareVersion());
        EXPECT_EQ(c.displayAsked, asked);
    }
}

TEST_F(UpdateServiceTest, PostedResultLeadsToThePromptAndTheCommand) {
    m_root.Set(m_server + L"/sw-newer");
    UpdateService software(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options());
    software.CheckSoftwareAtStart();
    const Results posted = m_window.Take();
    ASSERT_EQ(1u, posted.size());

    FakeConsent yes(1);
    EXPECT_EQ(kDownloadSoftwareCommand, DecideUpdateResult(posted[0].first, posted[0].second, software, yes));
    EXPECT_EQ(L"Detected the latest version:v1.0.0.12, update now?", yes.text);
    EXPECT_EQ(L"Software Updates", yes.caption);

    FakeConsent no(2);
    EXPECT_EQ(kNoUpdateCommand, DecideUpdateResult(posted[0].first, posted[0].second, software, no));
    EXPECT_EQ(1, no.asked);

    FakeConsent unasked(1);
    EXPECT_EQ(kNoUpdateCommand, DecideUpdateResult(kSoftwareUpdate, 0, software, unasked));
    EXPECT_EQ(kNoUpdateCommand, DecideUpdateResult(3, 1, software, unasked));
    EXPECT_EQ(0, unasked.asked);

    m_root.Set(m_server + L"/fw-105");
    UpdateService firmware(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options());
    firmware.CheckFirmwareAtStart([] { return 0x0104; });
    const Results firmwarePosted = m_window.Take();
    ASSERT_EQ(1u, firmwarePosted.size());
    FakeConsent firmwareYes(1);
    EXPECT_EQ(kDownloadFirmwareCommand,
              DecideUpdateResult(firmwarePosted[0].first, firmwarePosted[0].second, firmware, firmwareYes));
    EXPECT_EQ(L"Detected the latest version:v105, update now?", firmwareYes.text);
    EXPECT_EQ(L"Firmware Updates", firmwareYes.caption);
}

// The requests the stand-in has logged so far.
std::string RequestLog() { return ReadBytes(FixturesDir() + L"requests.log"); }

bool Ran(const std::wstring& program) { return FileExists(program + L".ran"); }

TEST_F(UpdateServiceTest, AcceptedSoftwareUpdateIsDownloadedUnpackedAndStarted) {
    ScratchDir data(L"update-software");
    m_root.Set(m_server + L"/sw-newer");
    UpdateService service(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options(data.path()));
    service.CheckSoftwareAtStart();
    ASSERT_EQ(L"1.0.0.12", service.LatestSoftwareVersion());

    EXPECT_EQ(DownloadOutcome::kEndProcess, service.DownloadSoftwareUpdate());
    const std::wstring temp = data.path() + L"temp\\";
    EXPECT_NE(std::string::npos, RequestLog().find("GET /sw-newer/m21x/software///Software-1.0.0.12.zip\n"));
    EXPECT_FALSE(FileExists(temp + L"Software-1.0.0.12.zip"));  // deleted after the unpack
    EXPECT_EQ("installer notes\r\n", ReadBytes(temp + L"readme.txt"));
    EXPECT_TRUE(WaitUntil([&] { return Ran(temp + L"Software-1.0.0.12.exe"); }, 30000));
}

TEST_F(UpdateServiceTest, AcceptedFirmwareUpdateIsDownloadedUnpackedAndStarted) {
    ScratchDir data(L"update-firmware");
    m_root.Set(m_server + L"/fw-105");
    UpdateService service(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options(data.path()));
    service.CheckFirmwareAtStart([] { return 0x0104; });

    EXPECT_EQ(DownloadOutcome::kEndProcess, service.DownloadFirmwareUpdate());
    const std::wstring temp = data.path() + L"temp\\";
    EXPECT_NE(std::string::npos, RequestLog().find("GET /fw-105/m21x/firmware///FirmwareUpdateTool-105.zip\n"));
    EXPECT_FALSE(FileExists(temp + L"FirmwareUpdateTool-105.zip"));
    EXPECT_TRUE(WaitUntil([&] { return Ran(temp + L"FirmwareUpdateTool-105.exe"); }, 30000));
}

// A copy of the marker program where an earlier run (or anyone who can write the user's
// data folder) could have left one.
void PlantProgram(const std::wstring& path) {
    ASSERT_TRUE(::CopyFileW((TestsDir() + L"update_launch_marker.exe").c_str(), path.c_str(), FALSE));
}

struct BrokenArchiveCase {
    const wchar_t* root;
    const wchar_t* version;
    bool archiveKept;  // the unpack failed
    const wchar_t* unpacked;  // a file the archive put there, or null
};

TEST_F(UpdateServiceTest, ArchiveWithoutTheProgramEndsTheRunWithoutStartingAnything) {
    const BrokenArchiveCase cases[] = {
        {L"/sw-broken", L"1.0.0.14", true, nullptr},
        {L"/sw-subfolder", L"1.0.0.13", false, L"inner\\Software-1.0.0.13.exe"},
    };
    for (const BrokenArchiveCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "root " << c.root);
        ScratchDir data(L"update-broken");
        const std::wstring temp = data.path() + L"temp\\";
        const std::wstring program = temp + L"Software-" + c.version + L".exe";
        ::CreateDirectoryW(temp.c_str(), nullptr);
        PlantProgram(program);

        m_root.Set(m_server + c.root);
        UpdateService service(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options(data.path()));
        service.CheckSoftwareAtStart();
        ASSERT_EQ(c.version, service.LatestSoftwareVersion());

        EXPECT_EQ(DownloadOutcome::kEndProcess, service.DownloadSoftwareUpdate());
        EXPECT_EQ(c.archiveKept, FileExists(temp + L"Software-" + c.version + L".zip"));
        if (c.unpacked != nullptr) {
            EXPECT_TRUE(FileExists(temp + c.unpacked));
        }
        // The planted program is gone and nothing was started.
        EXPECT_FALSE(FileExists(program));
        ::Sleep(1000);  // a start, had there been one, would have left its marker by now
        EXPECT_FALSE(Ran(program));
        if (c.unpacked != nullptr) {
            EXPECT_FALSE(Ran(temp + c.unpacked));
        }
    }
}

struct MissingArchiveCase {
    const wchar_t* root;
    const char* what;
};

TEST_F(UpdateServiceTest, NoCompleteArchiveKeepsTheProgramRunning) {
    const MissingArchiveCase cases[] = {
        {L"/sw-no-archive", "no archive on the server"},
        {L"/-/only-zip/status/404/sw-newer", "the archive under status 404"},
        {L"/-/only-zip/stall/1000/sw-newer", "the archive stalls"},
        {L"/-/only-zip/short/1000/sw-newer", "the archive is cut short"},
    };
    for (const MissingArchiveCase& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir data(L"update-missing");
        m_root.Set(m_server + c.root);
        UpdateService service(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options(data.path()));
        service.CheckSoftwareAtStart();
        const std::wstring version = service.LatestSoftwareVersion();
        ASSERT_FALSE(version.empty());

        EXPECT_EQ(DownloadOutcome::kKeepRunning, service.DownloadSoftwareUpdate());
        EXPECT_FALSE(FileExists(data.path() + L"temp\\Software-" + version + L".zip"));
    }

    // Without a check there is no version to name a package: nothing is requested.
    ScratchDir data(L"update-unchecked");
    UpdateService unchecked(ReadUpdateRoot(), kCurrentVersion, m_window.hwnd(), Options(data.path()));
    EXPECT_EQ(DownloadOutcome::kKeepRunning, unchecked.DownloadFirmwareUpdate());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((data.path() + L"temp").c_str()));
}

}  // namespace
