// TraceLog: the program's levelled diagnostic lines,
//   [MM-DD hh:mm:ss.mmm][Level]message
// at most 255 characters each. Lines go to the attached trace file; before a file is
// attached (and when it cannot be written) they are discarded.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <string>

namespace Corvane {

enum TraceLevel : int {
    kTraceTrace = 0,
    kTraceDebug = 1,
    kTraceInfo = 2,
    kTraceWarn = 3,
    kTraceError = 4,
    kTraceFatal = 5,
};

// Capacity of one line including its terminating null.
inline constexpr size_t kTraceLineSize = 256;

// Writes one line when level is at least the threshold (Info).
void TraceLog(int level, const char* format, ...);

// Formats one line (without line end) into line[kTraceLineSize]; returns its length.
size_t FormatTraceLine(char* line, int level, const SYSTEMTIME& time, const char* format,
                       va_list args);

// Sends later lines to the file at path (appended). When the file would grow past
// maxBytes it is renamed to its ".1" sibling (trace.log -> trace.1.log, replacing an
// older one) and a new file is started, so the newest lines are always kept.
void AttachTraceFile(const std::wstring& path, size_t maxBytes = 1024 * 1024);
void DetachTraceFile();

}  // namespace Corvane
