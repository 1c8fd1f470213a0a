#include "DeviceTestSupport.h"

namespace DeviceTest {

namespace {

const wchar_t* const kHidsimVariables[] = {
    L"HIDSIM_DEVICES",   L"HIDSIM_FIRMWARE",  L"HIDSIM_LOG",       L"HIDSIM_REPLY_IDS",
    L"HIDSIM_FAIL_OPEN", L"HIDSIM_FAIL_SEND", L"HIDSIM_FAIL_GET",  L"HIDSIM_HANG",
    L"HIDSIM_HANDLE_LOG",
};

}  // namespace

Hidsim::Hidsim(const wchar_t* devices)
    : m_scratch(L"hidsim"),
      m_reportLog(m_scratch.path() + L"reports.log"),
      m_handleLog(m_scratch.path() + L"handles.log") {
    for (const wchar_t* name : kHidsimVariables) ::SetEnvironmentVariableW(name, nullptr);
    ::SetEnvironmentVariableW(L"HIDSIM_DEVICES", devices);
    ::SetEnvironmentVariableW(L"HIDSIM_LOG", m_reportLog.c_str());
    ::SetEnvironmentVariableW(L"HIDSIM_HANDLE_LOG", m_handleLog.c_str());
}

Hidsim::~Hidsim() {
    for (const wchar_t* name : kHidsimVariables) ::SetEnvironmentVariableW(name, nullptr);
}

void Hidsim::Set(const wchar_t* name, const wchar_t* value) {
    ::SetEnvironmentVariableW(name, value);
}

std::vector<std::string> Hidsim::ReportLines() const { return ReadLines(m_reportLog); }

std::vector<std::string> Hidsim::HandleLines() const { return ReadLines(m_handleLog); }

std::vector<std::string> Hidsim::ReportLines(const std::string& prefix) const {
    std::vector<std::string> matching;
    for (const std::string& line : ReportLines()) {
        if (line.compare(0, prefix.size(), prefix) == 0) matching.push_back(line);
    }
    return matching;
}

void Hidsim::ClearLogs() {
    ::DeleteFileW(m_reportLog.c_str());
    ::DeleteFileW(m_handleLog.c_str());
}

SensorRecordWriter::SensorRecordWriter()
    : m_mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     Corvane::kSensorRecordSize, Corvane::kSensorMappingName)),
      m_view(nullptr) {
    if (m_mapping) {
        m_view = static_cast<Corvane::SensorRecord*>(
            ::MapViewOfFile(m_mapping.get(), FILE_MAP_WRITE, 0, 0, Corvane::kSensorRecordSize));
    }
}

SensorRecordWriter::~SensorRecordWriter() {
    if (m_view != nullptr) ::UnmapViewOfFile(m_view);
}

void SensorRecordWriter::SetCpuTemperature(float celsius) {
    if (m_view != nullptr) *static_cast<volatile float*>(&m_view->cpuTemperature) = celsius;
}

std::string ReportHex(const std::string& headHex, size_t size) {
    std::string hex = headHex;
    hex.resize(size * 2, '0');
    return hex;
}

}  // namespace DeviceTest
