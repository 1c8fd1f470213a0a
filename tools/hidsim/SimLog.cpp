#include "SimLog.h"

#include <windows.h>

#include <mutex>

namespace HidSim {

namespace {
std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}
}  // namespace

void AppendLine(const std::wstring& path, const std::string& line) {
    if (path.empty()) return;
    const std::string text = line + "\n";
    std::lock_guard<std::mutex> lock(LogLock());
    // Opened for each line, so the line is in the file when the call returns and a
    // reader may truncate or remove the file in between.
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string ReportLine(const char* verb, int index, const uint8_t* data, size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string line = std::string(verb) + " " + std::to_string(index) + " " + std::to_string(length) + " ";
    for (size_t i = 0; i < length; ++i) {
        line += kDigits[data[i] >> 4];
        line += kDigits[data[i] & 0x0F];
    }
    return line;
}

}  // namespace HidSim
