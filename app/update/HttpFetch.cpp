#include "update/HttpFetch.h"

#include <windows.h>

#include <cstring>

#include "shell/Handle.h"
#include "update/FileOps.h"

namespace Corvane {

bool FetchUrlText(const std::wstring& url, std::wstring& out, const HttpLimits& limits,
                  HANDLE stop) {
    HttpTransfer transfer;
    if (!transfer.Open(url, limits, stop)) return false;
    std::string body;
    std::string chunk;
    for (;;) {
        const HttpTransfer::ReadResult result = transfer.Read(&chunk);
        if (result == HttpTransfer::ReadResult::kFailed) return false;
        if (result == HttpTransfer::ReadResult::kEnd) break;
        body += chunk;
    }
    // The text ends at the first zero byte.
    body.resize(std::strlen(body.c_str()));
    std::wstring text;
    if (!body.empty()) {
        const int size = ::MultiByteToWideChar(CP_UTF8, 0, body.data(), static_cast<int>(body.size()),
                                               nullptr, 0);
        if (size <= 0) return false;
        text.resize(static_cast<size_t>(size));
        ::MultiByteToWideChar(CP_UTF8, 0, body.data(), static_cast<int>(body.size()), &text[0], size);
    }
    out = text;
    return true;
}

bool DownloadUrlToFile(const std::wstring& url, const std::wstring& path, const HttpLimits& limits,
                       HANDLE stop) {
    HttpTransfer transfer;
    if (!transfer.Open(url, limits, stop)) return false;
    if (!RemoveFileIfPresent(path)) return false;
    // CREATE_NEW after the delete: a name that came back meanwhile (or a link that could
    // not be removed) is never written through. No sharing while the body comes in.
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;

    bool complete = false;
    std::string chunk;
    for (;;) {
        const HttpTransfer::ReadResult result = transfer.Read(&chunk);
        if (result == HttpTransfer::ReadResult::kFailed) break;
        if (result == HttpTransfer::ReadResult::kEnd) {
            complete = true;
            break;
        }
        DWORD written = 0;
        if (!::WriteFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written,
                         nullptr) ||
            written != chunk.size()) {
            break;
        }
    }
    file.reset();
    if (!complete) ::DeleteFileW(path.c_str());
    return complete;
}

}  // namespace Corvane
