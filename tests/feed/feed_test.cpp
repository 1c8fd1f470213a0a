// The temperature feed: the shared record read in place, and the supervision of the
// sensor server, against the real stand-in server and real processes.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "feed/SensorRecord.h"
#include "feed/SensorServer.h"
#include "shell/Process.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

using Corvane::IsServerPublishing;
using Corvane::ReadCpuTemperature;
using Corvane::SensorRecord;
using TestSupport::ChildProcess;
using TestSupport::ScratchDir;
using TestSupport::TestsDir;
using TestSupport::WaitUntil;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// Full image paths of every running process named SentrelServer.exe.
std::vector<std::wstring> RunningServers() {
    std::vector<std::wstring> paths;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (::_wcsicmp(entry.szExeFile, L"SentrelServer.exe") != 0) continue;
        std::wstring path = L"?";
        HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (process != nullptr) {
            wchar_t buffer[MAX_PATH * 2];
            DWORD size = MAX_PATH * 2;
            if (::QueryFullProcessImageNameW(process, 0, buffer, &size)) path.assign(buffer, size);
            ::CloseHandle(process);
        }
        paths.push_back(path);
    }
    ::CloseHandle(snapshot);
    return paths;
}

void StopAllServers() {
    for (int i = 0; i < 50 && !RunningServers().empty(); ++i) {
        Corvane::KillProcessByName(L"SentrelServer.exe");
        ::Sleep(50);
    }
}

// A values file for the stand-in, and the stand-in reading it.
class StandinFile {
public:
    StandinFile() : m_scratch(L"standin"), m_path(m_scratch.path() + L"values.txt") {
        Write("cpu=0\nalive=0\n");
        ::SetEnvironmentVariableW(L"SENSOR_STANDIN_FILE", m_path.c_str());
    }
    ~StandinFile() { ::SetEnvironmentVariableW(L"SENSOR_STANDIN_FILE", nullptr); }

    void Write(const std::string& text) const {
        HANDLE file = ::CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    }

private:
    ScratchDir m_scratch;
    std::wstring m_path;
};

bool ReadsDegrees(const SensorRecord* record, int expected) {
    int degrees = 0;
    return ReadCpuTemperature(record, &degrees) && degrees == expected;
}

bool ReadsNothing(const SensorRecord* record) {
    int degrees = 0;
    return !ReadCpuTemperature(record, &degrees);
}

class FeedTest : public ::testing::Test {
protected:
    void SetUp() override { StopAllServers(); }
    void TearDown() override { StopAllServers(); }
};

}  // namespace

TEST(SensorRecordReading, CpuTemperatureRules) {
    struct Case {
        float stored;
        bool reading;
        int degrees;
    } cases[] = {
        {45.9f, true, 45},   {0.4f, true, 0},      {-3.7f, true, -3},  {199.9f, true, 199},
        {0.0f, false, 0},    {-0.0f, false, 0},    {kNaN, false, 0},   {kInf, false, 0},
        {-kInf, false, 0},   {1e30f, true, 2147483647}, {-1e30f, true, -2147483647},
    };
    for (const Case& c : cases) {
        SensorRecord record = {};
        record.cpuTemperature = c.stored;
        int degrees = -999;
        EXPECT_EQ(c.reading, ReadCpuTemperature(&record, &degrees)) << c.stored;
        if (c.reading) {
            EXPECT_EQ(c.degrees, degrees) << c.stored;
        }
    }
}

TEST(SensorRecordReading, LivenessRules) {
    struct Case {
        float stored;
        bool publishing;
    } cases[] = {{0.0f, false}, {-1.0f, false}, {-kInf, false}, {1.0f, true},
                 {1e-30f, true}, {kNaN, true},   {kInf, true}};
    for (const Case& c : cases) {
        SensorRecord record = {};
        record.liveness = c.stored;
        EXPECT_EQ(c.publishing, IsServerPublishing(&record)) << c.stored;
    }
}

TEST_F(FeedTest, ProgramFirstSeesAZeroBlockThenTheServersValues) {
    HANDLE handle = nullptr;
    const SensorRecord* record = nullptr;
    ASSERT_TRUE(Corvane::OpenSensorMapping(&handle, &record));
    ASSERT_NE(nullptr, handle);
    EXPECT_TRUE(ReadsNothing(record)) << "a fresh block is all zero";
    EXPECT_FALSE(IsServerPublishing(record));

    StandinFile values;
    values.Write("cpu=45.9\nalive=1\n");
    ChildProcess server;
    ASSERT_TRUE(server.Start(L"\"" + TestsDir() + L"Fennick\\SentrelServer.exe\""));
    EXPECT_TRUE(WaitUntil([&] { return ReadsDegrees(record, 45); }, 10000));
    EXPECT_TRUE(IsServerPublishing(record));

    values.Write("cpu=0.4\n");  // liveness keeps its last value
    EXPECT_TRUE(WaitUntil([&] { return ReadsDegrees(record, 0); }, 10000));
    EXPECT_TRUE(IsServerPublishing(record));

    values.Write("cpu=0\nalive=0\n");
    EXPECT_TRUE(WaitUntil([&] { return ReadsNothing(record); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return !IsServerPublishing(record); }, 10000));

    values.Write("cpu=nan\nalive=nan\n");
    EXPECT_TRUE(WaitUntil([&] { return std::isnan(Corvane::LoadCpuTemperature(record)); }, 10000));
    EXPECT_TRUE(ReadsNothing(record));
    EXPECT_TRUE(IsServerPublishing(record)) << "a liveness that is not a number counts as publishing";

    values.Write("cpu=-40\nalive=1\n");
    EXPECT_TRUE(WaitUntil([&] { return ReadsDegrees(record, -40); }, 10000));
    ::UnmapViewOfFile(record);
    ::CloseHandle(handle);
}

TEST_F(FeedTest, ServerFirstIsSeenAtOnce) {
    StandinFile values;
    values.Write("cpu=61.2\nalive=1\n");
    ChildProcess server;
    ASSERT_TRUE(server.Start(L"\"" + TestsDir() + L"Fennick\\SentrelServer.exe\""));
    ::Sleep(500);  // the server has created and written the block

    HANDLE handle = nullptr;
    const SensorRecord* record = nullptr;
    ASSERT_TRUE(Corvane::OpenSensorMapping(&handle, &record));
    EXPECT_TRUE(ReadsDegrees(record, 61));
    EXPECT_TRUE(IsServerPublishing(record));
    ::UnmapViewOfFile(record);
    ::CloseHandle(handle);
}

TEST_F(FeedTest, LaunchPicksTheFolderOfTheWindowsVersionEvenInAFolderWithSpaces) {
    ScratchDir scratch(L"program folder");
    const std::wstring dir = scratch.path();
    for (const wchar_t* sub : {L"Fennick", L"FennickWin7"}) {
        ::CreateDirectoryW((dir + sub).c_str(), nullptr);
        ASSERT_TRUE(::CopyFileW((TestsDir() + L"idle_process.exe").c_str(),
                                (dir + sub + L"\\SentrelServer.exe").c_str(), FALSE));
    }
    // The second copy of the probe runs as Windows 7 through Wine's per-program setting.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\probe_win7.exe", 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"win7"),
                     5 * sizeof(wchar_t));
    ::RegCloseKey(key);

    struct Case {
        const wchar_t* probe;
        DWORD windows10;
        const wchar_t* folder;
    } cases[] = {{L"probe_win10.exe", 1, L"\\Fennick\\SentrelServer.exe"},
                 {L"probe_win7.exe", 0, L"\\FennickWin7\\SentrelServer.exe"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(::CopyFileW((TestsDir() + L"corvane_probe.exe").c_str(), (dir + c.probe).c_str(),
                                FALSE));
        ChildProcess probe;
        ASSERT_TRUE(probe.Start(L"\"" + dir + c.probe + L"\" launch"));
        ASSERT_TRUE(probe.Wait(30000));
        EXPECT_EQ(c.windows10, probe.ExitCode()) << c.probe;
        ASSERT_TRUE(WaitUntil([] { return !RunningServers().empty(); }, 10000)) << c.probe;
        const std::vector<std::wstring> servers = RunningServers();
        ASSERT_EQ(1u, servers.size());
        const std::wstring& path = servers[0];
        ASSERT_GE(path.size(), std::wstring(c.folder).size());
        EXPECT_EQ(0, ::_wcsicmp(c.folder, path.c_str() + path.size() - std::wstring(c.folder).size()))
            << "started " << std::string(path.begin(), path.end());
        StopAllServers();
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\probe_win7.exe");
}

TEST(SensorWatch, SilentServerIsLaunchedOnTwelveTicksThenNever) {
    int launches = 0;
    Corvane::SensorWatch watch([&] { ++launches; });
    SensorRecord silent = {};
    int ticksUntilStop = 0;
    for (int tick = 1; tick <= 20; ++tick) {
        if (!watch.Tick(&silent)) {
            ticksUntilStop = tick;
            break;
        }
    }
    EXPECT_EQ(12, ticksUntilStop);
    EXPECT_EQ(12, launches) << "with the launch at start-up, 13 attempts in all";
}

TEST(SensorWatch, UnmappedRecordIsNotReadAndPublishingServerIsLeftAlone) {
    int launches = 0;
    Corvane::SensorWatch watch([&] { ++launches; });
    EXPECT_TRUE(watch.Tick(nullptr));
    EXPECT_EQ(0, launches);
    SensorRecord publishing = {};
    publishing.liveness = 1.0f;
    for (int i = 0; i < 5; ++i) watch.Tick(&publishing);
    EXPECT_EQ(0, launches);
    EXPECT_EQ(6, watch.Ticks());
}

TEST_F(FeedTest, ServerThatPublishesIsLaunchedExactlyOnce) {
    HANDLE handle = nullptr;
    const SensorRecord* record = nullptr;
    ASSERT_TRUE(Corvane::OpenSensorMapping(&handle, &record));
    // Started as the program starts it: from the Fennick folder beside this program.
    Corvane::LaunchSensorServer();
    ASSERT_TRUE(WaitUntil([&] { return IsServerPublishing(record); }, 5000));

    Corvane::SensorWatch watch;  // the real launcher
    for (int tick = 0; tick < 12; ++tick) watch.Tick(record);
    ::Sleep(500);
    EXPECT_EQ(1u, RunningServers().size());
    ::UnmapViewOfFile(record);
    ::CloseHandle(handle);
}
