#include "shell/TraceLog.h"

#include <cstdio>
#include <cstring>
#include <mutex>

namespace Corvane {
namespace {

const char kLevelNames[6][6] = {"Trace", "Debug", "Info ", "Warn ", "Error", "Fatal"};

// Calls below this level write nothing; nothing in the program changes it.
const int kThreshold = kTraceInfo;

// The trace stream: one file shared by the window thread and the worker. The lock
// keeps every line whole.
class TraceFile {
public:
    void Attach(const std::wstring& path, size_t maxBytes) {
        std::lock_guard<std::mutex> lock(m_lock);
        CloseLocked();
        m_path = path;
        m_maxBytes = maxBytes;
        OpenLocked();
    }

    void Detach() {
        std::lock_guard<std::mutex> lock(m_lock);
        CloseLocked();
        m_path.clear();
    }

    void Write(const char* line, size_t length) {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_file == nullptr) return;
        const size_t needed = length + 2;
        if (m_size + needed > m_maxBytes && m_size > 0) RollOverLocked();
        if (m_file == nullptr) return;
        std::fwrite(line, 1, length, m_file);
        std::fwrite("\r\n", 1, 2, m_file);
        std::fflush(m_file);
        m_size += needed;
    }

    ~TraceFile() { CloseLocked(); }

private:
    void OpenLocked() {
        m_file = ::_wfopen(m_path.c_str(), L"ab");
        m_size = 0;
        if (m_file != nullptr && std::fseek(m_file, 0, SEEK_END) == 0) {
            const long at = std::ftell(m_file);
            if (at > 0) m_size = static_cast<size_t>(at);
        }
    }

    void CloseLocked() {
        if (m_file != nullptr) std::fclose(m_file);
        m_file = nullptr;
    }

    void RollOverLocked() {
        CloseLocked();
        ::MoveFileExW(m_path.c_str(), RolledName().c_str(), MOVEFILE_REPLACE_EXISTING);
        OpenLocked();
    }

    // "trace.log" -> "trace.1.log"; a name without extension gets ".1".
    std::wstring RolledName() const {
        const size_t slash = m_path.find_last_of(L"\\/");
        const size_t dot = m_path.find_last_of(L'.');
        if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
            return m_path + L".1";
        }
        return m_path.substr(0, dot) + L".1" + m_path.substr(dot);
    }

    std::mutex m_lock;
    FILE* m_file = nullptr;  // owned
    std::wstring m_path;
    size_t m_maxBytes = 0;
    size_t m_size = 0;
};

TraceFile& Stream() {
    static TraceFile stream;
    return stream;
}

}  // namespace

size_t FormatTraceLine(char* line, int level, const SYSTEMTIME& time, const char* format,
                       va_list args) {
    std::memset(line, 0, kTraceLineSize);
    const char* name = (level >= 0 && level <= 5) ? kLevelNames[level] : "?????";
    int prefix = std::snprintf(line, kTraceLineSize, "[%02d-%02d %02d:%02d:%02d.%03d][%s]",
                               time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                               time.wMilliseconds, name);
    if (prefix < 0) prefix = 0;
    if (static_cast<size_t>(prefix) >= kTraceLineSize - 1) return kTraceLineSize - 1;
    // A longer message is cut at the end of the buffer.
    std::vsnprintf(line + prefix, kTraceLineSize - static_cast<size_t>(prefix), format, args);
    return std::strlen(line);
}

void TraceLog(int level, const char* format, ...) {
    if (level < kThreshold) return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char line[kTraceLineSize];
    va_list args;
    va_start(args, format);
    const size_t length = FormatTraceLine(line, level, now, format, args);
    va_end(args);
    Stream().Write(line, length);
}

void AttachTraceFile(const std::wstring& path, size_t maxBytes) { Stream().Attach(path, maxBytes); }

void DetachTraceFile() { Stream().Detach(); }

}  // namespace Corvane
