// hidsim's two logs: one line per call, appended to the file and flushed at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace HidSim {

// Appends line and "\n" to the file at path; nothing when path is empty.
void AppendLine(const std::wstring& path, const std::string& line);

// "<verb> <index> <length> <hex bytes>" with lower-case hex and no spaces in the bytes.
std::string ReportLine(const char* verb, int index, const uint8_t* data, size_t length);

}  // namespace HidSim
