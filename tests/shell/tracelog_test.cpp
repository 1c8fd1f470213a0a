// Trace lines: exact format, the level threshold, the length limit, whole lines from
// two threads, and the size cap of the file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdarg>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "shell/TraceLog.h"
#include "support/CorvaneProgram.h"
#include "support/TestPaths.h"

using Corvane::AttachTraceFile;
using Corvane::DetachTraceFile;
using Corvane::TraceLog;
using TestSupport::ReadLines;
using TestSupport::ScratchDir;

namespace {

std::string Format(int level, const SYSTEMTIME& time, const char* format, ...) {
    char line[Corvane::kTraceLineSize];
    va_list args;
    va_start(args, format);
    const size_t length = Corvane::FormatTraceLine(line, level, time, format, args);
    va_end(args);
    EXPECT_EQ(length, std::string(line).size());
    return line;
}

SYSTEMTIME Time(WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    SYSTEMTIME t = {};
    t.wYear = 2026;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

// Attaches the trace to a scratch file for one test.
class TraceFileTest : public ::testing::Test {
protected:
    TraceFileTest() : m_scratch(L"trace"), m_path(m_scratch.path() + L"trace.log") {}
    ~TraceFileTest() override { DetachTraceFile(); }

    ScratchDir m_scratch;
    std::wstring m_path;
};

}  // namespace

TEST(TraceLineFormat, StampsLevelAndMessage) {
    struct Case {
        int level;
        SYSTEMTIME time;
        const char* expected;
    } cases[] = {
        {2, Time(3, 7, 14, 5, 9, 42), "[03-07 14:05:09.042][Info ]cpu_temperatures: 45.900000"},
        {0, Time(12, 31, 23, 59, 59, 999), "[12-31 23:59:59.999][Trace]cpu_temperatures: 45.900000"},
        {1, Time(1, 1, 0, 0, 0, 0), "[01-01 00:00:00.000][Debug]cpu_temperatures: 45.900000"},
        {3, Time(6, 9, 8, 7, 6, 5), "[06-09 08:07:06.005][Warn ]cpu_temperatures: 45.900000"},
        {4, Time(6, 9, 8, 7, 6, 50), "[06-09 08:07:06.050][Error]cpu_temperatures: 45.900000"},
        {5, Time(6, 9, 8, 7, 6, 500), "[06-09 08:07:06.500][Fatal]cpu_temperatures: 45.900000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Format(c.level, c.time, "cpu_temperatures: %f", 45.9));
    }
}

TEST(TraceLineFormat, LongMessageIsCutSoTheLineStaysWithin255) {
    const std::string message(400, 'x');
    const std::string line = Format(2, Time(3, 7, 14, 5, 9, 42), "%s", message.c_str());
    EXPECT_EQ(255u, line.size());
    EXPECT_EQ("[03-07 14:05:09.042][Info ]xxx", line.substr(0, 30));
}

TEST_F(TraceFileTest, LevelsBelowInfoWriteNothing) {
    AttachTraceFile(m_path);
    TraceLog(0, "trace %d", 0);
    TraceLog(1, "debug %d", 1);
    EXPECT_TRUE(ReadLines(m_path).empty());

    for (int level = 2; level <= 5; ++level) TraceLog(level, "level %d", level);
    const std::vector<std::string> lines = ReadLines(m_path);
    ASSERT_EQ(4u, lines.size());
    const char* names[] = {"[Info ]level 2", "[Warn ]level 3", "[Error]level 4", "[Fatal]level 5"};
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(names[i], lines[i].substr(20)) << lines[i];
    }
}

TEST_F(TraceFileTest, LinesFromTwoThreadsNeverInterleave) {
    AttachTraceFile(m_path, 64 * 1024 * 1024);
    const std::string a(200, 'a');
    const std::string b(200, 'b');
    const int perThread = 400;
    auto writer = [perThread](const std::string* text) {
        for (int i = 0; i < perThread; ++i) TraceLog(2, "%s", text->c_str());
    };
    std::thread first(writer, &a);
    std::thread second(writer, &b);
    first.join();
    second.join();

    int countA = 0;
    int countB = 0;
    for (const std::string& line : ReadLines(m_path)) {
        const std::string body = line.substr(27);
        if (body == a) {
            ++countA;
        } else if (body == b) {
            ++countB;
        } else {
            ADD_FAILURE() << "mixed line: " << line;
            break;
        }
    }
    EXPECT_EQ(perThread, countA);
    EXPECT_EQ(perThread, countB);
}

TEST_F(TraceFileTest, FileRollsOverAndKeepsTheNewestLines) {
    const size_t cap = 2000;
    AttachTraceFile(m_path, cap);
    for (int i = 0; i < 200; ++i) TraceLog(2, "line %03d", i);

    const std::vector<std::string> current = ReadLines(m_path);
    const std::vector<std::string> previous = ReadLines(m_scratch.path() + L"trace.1.log");
    ASSERT_FALSE(current.empty());
    ASSERT_FALSE(previous.empty());
    EXPECT_EQ("line 199", current.back().substr(27));
    // The older file ends right where the current one begins.
    const int lastOld = std::stoi(previous.back().substr(32));
    const int firstNew = std::stoi(current.front().substr(32));
    EXPECT_EQ(lastOld + 1, firstNew);

    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(::GetFileAttributesExW(m_path.c_str(), GetFileExInfoStandard, &data));
    EXPECT_LE(data.nFileSizeLow, cap);
}
