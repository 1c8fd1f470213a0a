// What the device tests share: hidsim's variables and logs for one test, and a writer
// of the sensor record that the program reads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "feed/SensorRecord.h"
#include "shell/Handle.h"
#include "support/CorvaneProgram.h"
#include "support/TestPaths.h"

namespace DeviceTest {

// Sets HIDSIM_DEVICES (and HIDSIM_LOG, HIDSIM_HANDLE_LOG to fresh files) in this
// process's environment for the life of the object; hidsim reads them at the next
// enumeration. Every other HIDSIM_ variable starts unset.
class Hidsim {
public:
    explicit Hidsim(const wchar_t* devices);
    ~Hidsim();
    Hidsim(const Hidsim&) = delete;
    Hidsim& operator=(const Hidsim&) = delete;

    void Set(const wchar_t* name, const wchar_t* value);
    // The lines of HIDSIM_LOG and HIDSIM_HANDLE_LOG so far.
    std::vector<std::string> ReportLines() const;
    std::vector<std::string> HandleLines() const;
    // Only the lines that start with prefix ("send ", "send 1 ", "get ").
    std::vector<std::string> ReportLines(const std::string& prefix) const;
    void ClearLogs();

private:
    TestSupport::ScratchDir m_scratch;
    std::wstring m_reportLog;
    std::wstring m_handleLog;
};

// Creates (or opens) the sensor server's named record with write access, as the
// server does, and writes its CPU temperature.
class SensorRecordWriter {
public:
    SensorRecordWriter();
    ~SensorRecordWriter();
    SensorRecordWriter(const SensorRecordWriter&) = delete;
    SensorRecordWriter& operator=(const SensorRecordWriter&) = delete;

    void SetCpuTemperature(float celsius);

private:
    Corvane::UniqueHandle m_mapping;     // owned
    Corvane::SensorRecord* m_view;       // owned: unmapped with the writer
};

using TestSupport::ReadLines;

// "07ffff000405" + "00" * 59: the hex of a report of size bytes that starts with head.
std::string ReportHex(const std::string& headHex, size_t size);

}  // namespace DeviceTest
