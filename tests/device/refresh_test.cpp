// The refresh pass end to end: a CPU reading written into the sensor record reaches
// hidsim's display as the 65-byte report, the window's readout as the shown value,
// the trace as two lines, and the window as a repaint request.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "device/DeviceLink.h"
#include "shell/TraceLog.h"
#include "support/TestPaths.h"
#include "vela/Manager.h"

using Corvane::DeviceLink;
using DeviceTest::Hidsim;
using DeviceTest::ReportHex;
using DeviceTest::SensorRecordWriter;

namespace {

// The message part of each trace line, behind "[MM-DD hh:mm:ss.mmm][Info ]".
std::vector<std::string> TraceMessages(const std::wstring& path) {
    std::vector<std::string> messages;
    for (const std::string& line : DeviceTest::ReadLines(path)) {
        const size_t at = line.find("][Info ]");
        messages.push_back(at == std::string::npos ? line : line.substr(at + 8));
    }
    return messages;
}

bool HasUpdateRegion(HWND window) { return ::GetUpdateRect(window, nullptr, FALSE) != FALSE; }

// One display, the record mapped by a connect, the trace in a scratch file, and a
// window for the pass to repaint.
class RefreshTest : public ::testing::Test {
protected:
    RefreshTest()
        : m_sim(L"1A2C:444D:FF01:1"), m_scratch(L"refresh"), m_trace(m_scratch.path() + L"trace.log"),
          m_link(nullptr) {
        // Shown: a hidden window collects no update region.
        m_window = ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, L"STATIC", L"readout",
                                     WS_POPUP, 0, 0, 340, 250, nullptr, nullptr, nullptr, nullptr);
        ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
        m_link.SetRepaintWindow(m_window);
        m_link.ConnectDisplay();
        Corvane::AttachTraceFile(m_trace);
    }
    ~RefreshTest() override {
        Corvane::DetachTraceFile();
        ::DestroyWindow(m_window);
    }

    // Sets up one refresh: clean logs, the window painted, the readout unset.
    void Prepare(float celsius, bool fahrenheit) {
        m_record.SetCpuTemperature(celsius);
        m_link.SetFahrenheit(fahrenheit);
        m_sim.ClearLogs();
        Corvane::DetachTraceFile();
        ::DeleteFileW(m_trace.c_str());
        Corvane::AttachTraceFile(m_trace);
        ::ValidateRect(m_window, nullptr);
        Vela::Manager::SetCPUTemp(-1.0f);
    }

    Hidsim m_sim;
    SensorRecordWriter m_record;
    TestSupport::ScratchDir m_scratch;
    std::wstring m_trace;
    DeviceLink m_link;
    HWND m_window = nullptr;
};

}  // namespace

TEST_F(RefreshTest, AReadingReachesDisplayReadoutTraceAndWindow) {
    struct Case {
        float celsius;
        bool fahrenheit;
        int shown;
        const char* head;  // report bytes 0 to 5
        const char* traced;
    } cases[] = {
        {45.9f, false, 45, "07ffff000405", "45.900000"},
        {45.9f, true, 113, "07ffff010103", "45.900000"},   // 45 -> 113
        {46.0f, true, 114, "07ffff010104", "46.000000"},   // 114.8 -> 114
        {5.5f, false, 5, "07ffff000005", "5.500000"},
        {150.0f, false, 150, "07ffff010500", "150.000000"},
        {100.0f, true, 199, "07ffff010909", "100.000000"},  // 212 capped
        {0.4f, false, 0, "07ffff000000", "0.400000"},      // not 0.0: a reading of 0
        // The display shows 0 ... 199: lower and huge readings are clamped.
        {-5.0f, false, 0, "07ffff000000", "-5.000000"},
        {-3.7f, true, 26, "07ffff000206", "-3.700000"},   // -3 -> 26.6
        {-40.0f, true, 0, "07ffff000000", "-40.000000"},
        {1e30f, false, 199, "07ffff010909", "1000000000000000019884624838656.000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.traced);
        Prepare(c.celsius, c.fahrenheit);
        EXPECT_TRUE(m_link.FeedDisplays());
        EXPECT_EQ(m_sim.ReportLines(),
                  (std::vector<std::string>{"send 0 65 " + ReportHex(c.head, 65)}));
        EXPECT_EQ(Vela::Manager::GetCPUTemp(), static_cast<float>(c.shown));
        const std::string digits = "buffer[3]: " + std::to_string(c.shown / 100) +
                                   ", buffer[4]: " + std::to_string(c.shown / 10 % 10) +
                                   ", buffer[5]: " + std::to_string(c.shown % 10);
        EXPECT_EQ(TraceMessages(m_trace),
                  (std::vector<std::string>{std::string("cpu_temperatures: ") + c.traced, digits}));
        EXPECT_TRUE(HasUpdateRegion(m_window));
    }
}

TEST_F(RefreshTest, NoReadingDoesNothing) {
    const float cases[] = {0.0f, -0.0f, std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity()};
    for (const float celsius : cases) {
        SCOPED_TRACE(celsius);
        Prepare(celsius, false);
        EXPECT_FALSE(m_link.FeedDisplays());
        EXPECT_TRUE(m_sim.ReportLines().empty());
        EXPECT_EQ(Vela::Manager::GetCPUTemp(), -1.0f);
        EXPECT_TRUE(TraceMessages(m_trace).empty());
        EXPECT_FALSE(HasUpdateRegion(m_window));
    }
}

TEST_F(RefreshTest, NothingHappensBeforeTheRecordIsMapped) {
    DeviceLink unmapped(nullptr);  // no connect yet
    unmapped.SetRepaintWindow(m_window);
    Prepare(45.9f, false);
    EXPECT_EQ(unmapped.Record(), nullptr);
    EXPECT_FALSE(unmapped.FeedDisplays());
    EXPECT_TRUE(m_sim.ReportLines().empty());
    EXPECT_FALSE(HasUpdateRegion(m_window));
    EXPECT_NE(m_link.Record(), nullptr);
}
