// HttpTransfer: one HTTP GET through WinINet whose every step waits a bounded time.
//
// WinINet runs on a helper thread; the caller waits for it with a time-out for each step
// (opening the URL, each read) and a deadline for the whole transfer. The same time-outs
// are set on the WinINet handles, which bounds the helper thread on Windows. Wine's
// WinINet ignores them and a blocked read cannot be cancelled there, so the waits on the
// caller's side are what keep a stalling server from holding the worker. A transfer that
// runs out of time is abandoned: its helper thread ends on its own once WinINet returns
// and touches nothing but the state it shares with this object. A stop event, when one is
// given, ends every wait of the caller as soon as it is set (a program that shuts down does
// not wait out a stalling server).
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

namespace Corvane {

struct HttpLimits {
    DWORD stepTimeoutMs;     // connect, send and receive, and each wait of the caller
    DWORD totalTimeoutMs;    // the whole transfer, from Open to the last read
    ULONGLONG maxBodyBytes;  // a larger body (announced or received) fails the transfer
};

// For the version files: 15 s steps, 60 s in all, 64 KiB.
HttpLimits VersionFileLimits();
// For the update archives: 15 s steps, 30 min in all, 512 MiB.
HttpLimits ArchiveLimits();

class HttpTransfer {
public:
    enum class ReadResult { kData, kEnd, kFailed };

    HttpTransfer();
    ~HttpTransfer();  // abandons a transfer that is still running
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    // Opens url the way the update code always does: user agent "VIZ2.0/PC 5.5.0000",
    // access type by the system's proxy state, the "Accept: */*" header, flags
    // RELOAD | NO_CACHE_WRITE | PRAGMA_NOCACHE. True when the server answered 200 for an
    // acceptable URL (IsAcceptableUpdateUrl, also after redirects) with a body that may
    // fit the limit. Only the first call opens anything. stop: a manual-reset event that
    // abandons the transfer once set (also during Read); may be null.
    bool Open(const std::wstring& url, const HttpLimits& limits, HANDLE stop = nullptr);

    // The next piece of the body (at most 10240 bytes) into *chunk. kEnd once the body is
    // complete; kFailed on a failing read, a time-out, a body over the limit, or a body
    // shorter than its announced length. After kEnd or kFailed every read fails.
    ReadResult Read(std::string* chunk);

private:
    struct Shared;
    void Abandon();
    DWORD WaitBudgetMs() const;
    bool StopRequested() const;
    // Waits on the shared state for done, for one step's budget at most; false when the
    // budget ran out or a stop was requested first.
    template <typename Done>
    bool WaitForHelper(std::unique_lock<std::mutex>& guard, Done done);

    std::shared_ptr<Shared> m_shared;  // owned together with the helper thread
    HttpLimits m_limits = {};
    HANDLE m_stop = nullptr;             // not owned
    ULONGLONG m_deadline = 0;            // tick count that ends the transfer
    ULONGLONG m_received = 0;            // body bytes handed out so far
    ULONGLONG m_announced = ~0ULL;       // Content-Length, ~0 when none was sent
    bool m_started = false;              // Open was called
    bool m_finished = false;             // ended, failed or abandoned
};

}  // namespace Corvane
