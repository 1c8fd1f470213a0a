// The main window of the real Corvane.exe of the run layout, with the sensor stand-in
// and the simulated display: the reading it feeds to the display, the unit switch under
// a real pointer press and the background it shows, the unit kept from an earlier run,
// the close button, and the tray menu with the number of displays.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/CorvaneProgram.h"
#include "support/Pointer.h"
#include "support/ScreenPixels.h"
#include "support/TestPaths.h"

using TestSupport::CaptureScreen;
using TestSupport::ChildProcess;
using TestSupport::CloseAndExpectOrderedExit;
using TestSupport::ColourDistance;
using TestSupport::LoadImageFile;
using TestSupport::Pixels;
using TestSupport::FindMainWindow;
using TestSupport::ShowFromTray;
using TestSupport::ReadAll;
using TestSupport::TraceFile;
using TestSupport::LayoutDir;
using TestSupport::ScratchDir;
using TestSupport::WaitUntil;

namespace {

const DWORD kLimitMs = 20000;
// The display is fed on a timer and the stand-in re-reads its file every 200 ms: a new
// reading reaches the display well within this.
const DWORD kReportLimitMs = 30000;
const UINT kTrayNotify = WM_USER + 666;
const wchar_t kSettingsKey[] = L"SOFTWARE\\Halvex";

// A string value, or false when it is absent (or not a string).
bool ReadString(HKEY root, const wchar_t* name, REGSAM view, std::wstring* value) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, kSettingsKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    wchar_t data[256] = {};
    DWORD type = 0;
    DWORD size = sizeof(data) - sizeof(wchar_t);
    const LONG result =
        ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    *value = data;
    return true;
}

void WriteString(HKEY root, const wchar_t* name, REGSAM view, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(root, kSettingsKey, 0, nullptr, 0,
                                               KEY_SET_VALUE | view, nullptr, &key, nullptr));
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void DeleteValue(HKEY root, const wchar_t* name, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, kSettingsKey, 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS) return;
    ::RegDeleteValueW(key, name);
    ::RegCloseKey(key);
}

// A registry value as it was before a test, put back when the test ends.
class SavedValue {
public:
    SavedValue(HKEY root, const wchar_t* name, REGSAM view)
        : m_root(root), m_name(name), m_view(view) {
        m_present = ReadString(root, name, view, &m_value);
    }
    ~SavedValue() {
        if (m_present) {
            WriteString(m_root, m_name, m_view, m_value);
        } else {
            DeleteValue(m_root, m_name, m_view);
        }
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

private:
    HKEY m_root;
    const wchar_t* m_name;
    REGSAM m_view;
    bool m_present = false;
    std::wstring m_value;
};

std::wstring StoredUnit() {
    std::wstring value;
    return ReadString(HKEY_CURRENT_USER, L"tempe_type", 0, &value) ? value : L"<absent>";
}

// The log line of a temperature report to the first display showing the three digits
// (one byte each, e.g. "000405" for 45).
std::string ReportLine(const char* digits) {
    return std::string("send 0 65 07ffff") + digits + std::string(118, '0');
}

// True when the simulated display's log has the report line at or after offset.
bool LogHasReport(const std::wstring& log, size_t offset, const char* digits) {
    const std::string text = ReadAll(log);
    const std::string line = ReportLine(digits) + "\n";
    size_t at = text.find(line, offset);
    // A whole line: at the start of the log or right after a line end.
    while (at != std::string::npos && at != 0 && text[at - 1] != '\n') {
        at = text.find(line, at + 1);
    }
    return at != std::string::npos;
}

// The first temperature report line of the log ("" when there is none yet).
std::string FirstReport(const std::wstring& log) {
    const std::string text = ReadAll(log);
    const std::string prefix = "send 0 65 07ffff";
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) break;  // a line being written
        const std::string line = text.substr(start, end - start);
        if (line.compare(0, prefix.size(), prefix) == 0) return line;
        start = end + 1;
    }
    return {};
}

size_t LogSize(const std::wstring& log) { return ReadAll(log).size(); }

// Moves the real pointer to a screen point and waits until it is there.
void MovePointer(POINT point) {
    ASSERT_TRUE(TestSupport::SendPointerTo(point));
    ASSERT_TRUE(WaitUntil(
        [&] {
            POINT at = {};
            ::GetCursorPos(&at);
            // The absolute scale may round by a pixel.
            return std::abs(at.x - point.x) <= 1 && std::abs(at.y - point.y) <= 1;
        },
        kLimitMs))
        << "the pointer did not reach " << point.x << "," << point.y;
}

// A press and release of the left button with the real pointer at a client point.
void ClickClient(HWND hwnd, int x, int y) {
    POINT point = {x, y};
    ::ClientToScreen(hwnd, &point);
    MovePointer(point);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    INPUT press[2] = {};
    press[0].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].type = INPUT_MOUSE;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(2u, ::SendInput(2, press, sizeof(INPUT)));
}

// The two backgrounds of the window differ only where the unit switch lights one unit.
// Holds the points where they differ clearly and tells which one the screen shows there.
class UnitBackgrounds {
public:
    UnitBackgrounds()
        : m_celsius(LoadImageFile(SkinFile(L"img_cpu_bkg5.png"))),
          m_fahrenheit(LoadImageFile(SkinFile(L"img_cpu_bkg6.png"))) {
        if (m_celsius.Empty() || m_celsius.width != m_fahrenheit.width ||
            m_celsius.height != m_fahrenheit.height) {
            return;
        }
        for (int y = 0; y < m_celsius.height; ++y) {
            for (int x = 0; x < m_celsius.width; ++x) {
                const uint32_t c = m_celsius.At(x, y);
                const uint32_t f = m_fahrenheit.At(x, y);
                // Opaque in both, so the screen shows the image's own colour there.
                if ((c >> 24) == 0xFF && (f >> 24) == 0xFF && ColourDistance(c, f) >= 150) {
                    m_points.push_back({x, y});
                }
            }
        }
    }

    size_t Points() const { return m_points.size(); }

    // Shares of those points at which the window on screen matches the Celsius and the
    // Fahrenheit background.
    void Shares(HWND hwnd, double* celsius, double* fahrenheit) const {
        *celsius = *fahrenheit = 0.0;
        RECT rect = {};
        ::GetWindowRect(hwnd, &rect);
        const Pixels shown = CaptureScreen(rect);
        if (shown.width != m_celsius.width || shown.height != m_celsius.height) return;
        int c = 0;
        int f = 0;
        for (const POINT& p : m_points) {
            const uint32_t pixel = shown.At(p.x, p.y);
            if (ColourDistance(pixel, m_celsius.At(p.x, p.y)) <= kMatch) ++c;
            if (ColourDistance(pixel, m_fahrenheit.At(p.x, p.y)) <= kMatch) ++f;
        }
        *celsius = static_cast<double>(c) / static_cast<double>(m_points.size());
        *fahrenheit = static_cast<double>(f) / static_cast<double>(m_points.size());
    }

    bool Shows(HWND hwnd, bool fahrenheit) const {
        double c = 0.0;
        double f = 0.0;
        Shares(hwnd, &c, &f);
        return fahrenheit ? (f > 0.95 && c < 0.05) : (c > 0.95 && f < 0.05);
    }

private:
    static const int kMatch = 24;  // colour distance still taken as the same pixel

    static std::wstring SkinFile(const wchar_t* name) {
        return LayoutDir() + L"skins\\theme1\\" + name;
    }

    Pixels m_celsius;
    Pixels m_fahrenheit;
    std::vector<POINT> m_points;
};

struct MenuSearch {
    DWORD thread;
    HWND found;
};

BOOL CALLBACK FindMenuOfThread(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<MenuSearch*>(param);
    wchar_t name[16] = {};
    ::GetClassNameW(hwnd, name, 16);
    if (std::wstring(name) == L"#32768" && ::IsWindowVisible(hwnd) &&
        ::GetWindowThreadProcessId(hwnd, nullptr) == search->thread) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The visible popup menu window that a thread of this process or another one opened.
HWND OpenMenuWindowOf(DWORD threadId) {
    MenuSearch search = {threadId, nullptr};
    ::EnumWindows(FindMenuOfThread, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// What the open menu of that thread looks like once it has stopped changing; the menu is
// closed again. Empty when none opened.
Pixels CaptureMenuOf(DWORD threadId) {
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = OpenMenuWindowOf(threadId)) != nullptr; }, kLimitMs)) {
        return Pixels();
    }
    Pixels last;
    Pixels now;
    WaitUntil(
        [&] {
            ::Sleep(150);
            RECT rect = {};
            ::GetWindowRect(menu, &rect);
            last = now;
            now = CaptureScreen(rect);
            return !now.Empty() && now == last;
        },
        kLimitMs);
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitUntil([&] { return OpenMenuWindowOf(threadId) == nullptr; }, kLimitMs);
    return now;
}

// The tray menu as this test draws it itself at the pointer: "Version: 1.0.0.11",
// "<count> Device", "Exit".
Pixels ReferenceMenu(int count) {
    DWORD threadId = 0;
    HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread owner([&] {
        threadId = ::GetCurrentThreadId();
        HWND hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"menu owner", WS_POPUP, 0, 0,
                                      1, 1, nullptr, nullptr, nullptr, nullptr);
        HMENU menu = ::CreatePopupMenu();
        ::AppendMenuW(menu, MF_STRING, 203, L"Version: 1.0.0.11");
        ::AppendMenuW(menu, MF_STRING, 202, (std::to_wstring(count) + L" Device").c_str());
        ::AppendMenuW(menu, MF_STRING, 100, L"Exit");
        POINT at = {};
        ::GetCursorPos(&at);
        ::SetEvent(ready);
        ::SetForegroundWindow(hwnd);
        ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr);
        ::DestroyMenu(menu);
        ::DestroyWindow(hwnd);
    });
    ::WaitForSingleObject(ready, kLimitMs);
    const Pixels pixels = CaptureMenuOf(threadId);
    owner.join();
    ::CloseHandle(ready);
    return pixels;
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
        : m_scratch(L"main-window"),
          m_updateRoot(HKEY_LOCAL_MACHINE, L"update_root", KEY_WOW64_64KEY),
          m_unit(HKEY_CURRENT_USER, L"tempe_type", 0),
          m_sensorFile(m_scratch.path() + L"sensor.txt"),
          m_hidLog(m_scratch.path() + L"hid.log") {}

    void SetUp() override {
        ASSERT_EQ(nullptr, FindMainWindow()) << "a Corvane from elsewhere is running";
        // Update checks go to a loopback port that refuses connections, so they fail at once.
        WriteString(HKEY_LOCAL_MACHINE, L"update_root", KEY_WOW64_64KEY, L"http://127.0.0.1:9");
        WriteSensor("45.9");
        ::DeleteFileW(TraceFile().c_str());
        // Corvane inherits these, and passes them on to the sensor stand-in it starts.
        ::SetEnvironmentVariableW(L"SENSOR_STANDIN_FILE", m_sensorFile.c_str());
        ::SetEnvironmentVariableW(L"HIDSIM_LOG", m_hidLog.c_str());
        ::SetEnvironmentVariableW(L"HIDSIM_DEVICES", L"1A2C:444D:FF01:1");
    }

    void TearDown() override {
        ::SetEnvironmentVariableW(L"SENSOR_STANDIN_FILE", nullptr);
        ::SetEnvironmentVariableW(L"HIDSIM_LOG", nullptr);
        ::SetEnvironmentVariableW(L"HIDSIM_DEVICES", nullptr);
    }

    void WriteSensor(const char* cpu) {
        // Written aside and moved in, so the stand-in never reads half a file.
        const std::wstring part = m_sensorFile + L".part";
        {
            std::ofstream out(part.c_str(), std::ios::binary | std::ios::trunc);
            out << "cpu=" << cpu << "\nalive=1\n";
        }
        ASSERT_TRUE(::MoveFileExW(part.c_str(), m_sensorFile.c_str(), MOVEFILE_REPLACE_EXISTING));
    }

    ChildProcess StartCorvane() {
        ChildProcess corvane;
        EXPECT_TRUE(corvane.Start(L"\"" + LayoutDir() + L"Corvane.exe\"", LayoutDir()));
        EXPECT_TRUE(WaitUntil([] { return FindMainWindow() != nullptr; }, kLimitMs));
        return corvane;
    }

    ScratchDir m_scratch;
    SavedValue m_updateRoot;
    SavedValue m_unit;
    const std::wstring m_sensorFile;
    const std::wstring m_hidLog;
};

}  // namespace

TEST_F(MainWindowTest, FeedsTheCpuReadingToTheDisplayAndFollowsItsChanges) {
    WriteString(HKEY_CURRENT_USER, L"tempe_type", 0, L"0");
    ChildProcess corvane = StartCorvane();
    ASSERT_NE(nullptr, FindMainWindow());

    EXPECT_TRUE(WaitUntil([&] { return LogHasReport(m_hidLog, 0, "000405"); }, kReportLimitMs))
        << ReadAll(m_hidLog);
    EXPECT_TRUE(WaitUntil(
        [] {
            const std::string trace = ReadAll(TraceFile());
            return trace.find("cpu_temperatures: 45.900000") != std::string::npos &&
                   trace.find("buffer[3]: 0, buffer[4]: 4, buffer[5]: 5") != std::string::npos;
        },
        kLimitMs))
        << ReadAll(TraceFile());

    const size_t before = LogSize(m_hidLog);
    WriteSensor("61.2");
    EXPECT_TRUE(WaitUntil([&] { return LogHasReport(m_hidLog, before, "000601"); }, kReportLimitMs))
        << ReadAll(m_hidLog).substr(before);

    CloseAndExpectOrderedExit(corvane, kLimitMs);
}

TEST_F(MainWindowTest, APressOnTheUnitAreaSwitchesToFahrenheitAndBack) {
    const UnitBackgrounds backgrounds;
    ASSERT_GT(backgrounds.Points(), 500u) << "the two backgrounds should differ in the unit switch";
    WriteString(HKEY_CURRENT_USER, L"tempe_type", 0, L"0");
    ChildProcess corvane = StartCorvane();
    ASSERT_TRUE(WaitUntil([&] { return LogHasReport(m_hidLog, 0, "000405"); }, kReportLimitMs));
    const HWND hwnd = ShowFromTray(kLimitMs);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_TRUE(WaitUntil([&] { return backgrounds.Shows(hwnd, false); }, kLimitMs))
        << "the Celsius background at start";

    // 45.9 degrees Celsius: 45 * 9 / 5 + 32 = 113 degrees Fahrenheit.
    size_t before = LogSize(m_hidLog);
    ClickClient(hwnd, 170, 182);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([] { return StoredUnit() == L"1"; }, kLimitMs)) << StoredUnit();
    EXPECT_TRUE(WaitUntil([&] { return backgrounds.Shows(hwnd, true); }, kLimitMs))
        << "the Fahrenheit background after the press";
    EXPECT_TRUE(WaitUntil([&] { return LogHasReport(m_hidLog, before, "010103"); }, kReportLimitMs))
        << ReadAll(m_hidLog).substr(before);

    // Far enough apart that the second press is not taken for a double click.
    ::Sleep(::GetDoubleClickTime() + 100);
    before = LogSize(m_hidLog);
    ClickClient(hwnd, 170, 182);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([] { return StoredUnit() == L"0"; }, kLimitMs)) << StoredUnit();
    EXPECT_TRUE(WaitUntil([&] { return backgrounds.Shows(hwnd, false); }, kLimitMs))
        << "the Celsius background after the second press";
    EXPECT_TRUE(WaitUntil([&] { return LogHasReport(m_hidLog, before, "000405"); }, kReportLimitMs))
        << ReadAll(m_hidLog).substr(before);

    CloseAndExpectOrderedExit(corvane, kLimitMs);
}

TEST_F(MainWindowTest, StartsInFahrenheitWhenThatWasStored) {
    WriteString(HKEY_CURRENT_USER, L"tempe_type", 0, L"1");
    ChildProcess corvane = StartCorvane();
    std::string first;
    EXPECT_TRUE(WaitUntil(
        [&] {
            first = FirstReport(m_hidLog);
            return !first.empty();
        },
        kReportLimitMs))
        << ReadAll(m_hidLog);
    EXPECT_EQ(ReportLine("010103"), first);
    EXPECT_EQ(L"1", StoredUnit());
    CloseAndExpectOrderedExit(corvane, kLimitMs);
}

TEST_F(MainWindowTest, ThePressOnTheCloseButtonHidesTheWindow) {
    ChildProcess corvane = StartCorvane();
    const HWND hwnd = ShowFromTray(kLimitMs);
    ASSERT_NE(nullptr, hwnd);
    ClickClient(hwnd, 304, 33);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(hwnd); }, kLimitMs));
    EXPECT_TRUE(corvane.Running()) << "closing the window leaves the program in the tray";
    EXPECT_EQ(hwnd, FindMainWindow());
    CloseAndExpectOrderedExit(corvane, kLimitMs);
}

TEST_F(MainWindowTest, TheTrayMenuShowsTheNumberOfConnectedDisplays) {
    // The menu is drawn by the program's own process; it is compared pixel for pixel with
    // menus of the three texts that this test draws at the same place.
    MovePointer({400, 300});
    ASSERT_FALSE(HasFatalFailure());
    std::vector<Pixels> references;
    for (int count = 0; count <= 2; ++count) {
        references.push_back(ReferenceMenu(count));
        ASSERT_FALSE(references.back().Empty()) << "no reference menu for " << count;
    }
    ASSERT_NE(references[0], references[1]);
    ASSERT_NE(references[1], references[2]);

    const struct {
        const wchar_t* devices;  // HIDSIM_DEVICES
        int count;
    } cases[] = {
        {L"", 0},
        {L"1A2C:444D:FF01:1", 1},
        {L"1A2C:444D:FF01:1,1A2C:444D:FF01:1", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " display(s)");
        ::SetEnvironmentVariableW(L"HIDSIM_DEVICES", c.devices);
        ::DeleteFileW(m_hidLog.c_str());
        ::DeleteFileW(TraceFile().c_str());
        ChildProcess corvane = StartCorvane();
        // Feeding has begun once the reading is traced: the displays are connected by then.
        ASSERT_TRUE(WaitUntil(
            [] { return ReadAll(TraceFile()).find("cpu_temperatures:") != std::string::npos; },
            kReportLimitMs));
        if (c.count > 0) {
            const std::string last = "send " + std::to_string(c.count - 1) + " 65 07ffff";
            ASSERT_TRUE(WaitUntil([&] { return ReadAll(m_hidLog).find(last) != std::string::npos; },
                                  kReportLimitMs))
                << ReadAll(m_hidLog);
        }
        const HWND hwnd = FindMainWindow();
        ASSERT_NE(nullptr, hwnd);
        ::PostMessageW(hwnd, kTrayNotify, 109, WM_RBUTTONUP);
        const Pixels menu = CaptureMenuOf(::GetWindowThreadProcessId(hwnd, nullptr));
        ASSERT_FALSE(menu.Empty()) << "the right release opened no menu";
        for (int count = 0; count <= 2; ++count) {
            EXPECT_EQ(count == c.count, menu == references[count])
                << "the menu compared with the one for " << count << " display(s)";
        }
        CloseAndExpectOrderedExit(corvane, kLimitMs);
    }
}
