// The two ways the update code reads from the server: a small text into a wide string,
// and a body streamed into a file. Both go through HttpTransfer (same request, time-outs
// and size limit) and fail quietly.
#pragma once

#include <windows.h>

#include <string>

#include "update/HttpTransfer.h"

namespace Corvane {

// Fetches url and stores its body, read as UTF-8 up to the first zero byte, in out.
// Leaves out unchanged and returns false when the transfer fails (see HttpTransfer).
// stop: a manual-reset event that ends the transfer (as failed) once set; may be null.
bool FetchUrlText(const std::wstring& url, std::wstring& out,
                  const HttpLimits& limits = VersionFileLimits(), HANDLE stop = nullptr);

// Streams the body of url into a new file at path, replacing any file there. Nothing is
// created when the URL cannot be opened; a transfer that fails part-way (read failure,
// time-out, size limit, short body, failing write) deletes what it wrote, so a file at
// path afterwards always holds a complete body. Returns whether it does.
bool DownloadUrlToFile(const std::wstring& url, const std::wstring& path,
                       const HttpLimits& limits = ArchiveLimits(), HANDLE stop = nullptr);

}  // namespace Corvane
