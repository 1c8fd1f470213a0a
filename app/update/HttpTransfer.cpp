#include "update/HttpTransfer.h"

#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "update/InternetHandle.h"
#include "update/UpdateServer.h"

namespace Corvane {
namespace {

const char kUserAgent[] = "VIZ2.0/PC 5.5.0000";
const char kRequestHeaders[] = "Accept: */*\r\n\r\n";  // 15 bytes, length given
const DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;  // 0x84000100
const DWORD kChunkBytes = 10240;

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                          nullptr, nullptr);
    return utf8;
}

std::wstring FromUtf8(const char* text) {
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (size <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], size);
    wide.resize(static_cast<size_t>(size - 1));
    return wide;
}

void SetTimeouts(HINTERNET session, DWORD ms) {
    ::InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &ms, sizeof(ms));
    ::InternetSetOptionA(session, INTERNET_OPTION_SEND_TIMEOUT, &ms, sizeof(ms));
    ::InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof(ms));
}

// The Content-Length the server announced, or ~0 when it sent none.
ULONGLONG AnnouncedLength(HINTERNET request) {
    char text[32] = {};
    DWORD size = sizeof(text) - 1;
    if (!::HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return ~0ULL;
    ULONGLONG value = 0;
    size_t digits = 0;
    for (const char* c = text; *c >= '0' && *c <= '9' && digits < 19; ++c, ++digits) {
        value = value * 10 + static_cast<ULONGLONG>(*c - '0');
    }
    return digits == 0 ? ~0ULL : value;
}

// The URL WinINet ended at after any redirects.
std::wstring FinalUrl(HINTERNET request) {
    char url[2100] = {};
    DWORD size = sizeof(url) - 1;
    if (!::InternetQueryOptionA(request, INTERNET_OPTION_URL, url, &size)) return std::wstring();
    url[sizeof(url) - 1] = '\0';
    return FromUtf8(url);
}

}  // namespace

HttpLimits VersionFileLimits() { return HttpLimits{15000, 60000, 64 * 1024}; }

HttpLimits ArchiveLimits() { return HttpLimits{15000, 30 * 60 * 1000, 512ULL * 1024 * 1024}; }

// What the caller and the helper thread share. The helper owns the WinINet handles (as
// locals of its thread function); the caller never touches them.
struct HttpTransfer::Shared {
    enum class State {
        kOpening,        // helper opens the URL
        kOpened,         // opened; waits for a read request
        kReadRequested,  // caller asked for the next piece
        kChunkReady,     // helper delivered a piece in chunk
        kEnded,          // the body is complete
        kFailed,         // opening or a read failed
    };

    std::mutex lock;
    std::condition_variable changed;
    State state = State::kOpening;
    bool abandoned = false;  // the caller gave up; the helper returns at its next look
    std::string chunk;
    ULONGLONG announced = ~0ULL;

    // The helper thread's whole life.
    static void Run(std::shared_ptr<Shared> shared, std::string url, DWORD stepTimeoutMs) {
        InternetHandle session;
        InternetHandle request;
        ULONGLONG announced = ~0ULL;
        const bool opened = OpenUrl(url, stepTimeoutMs, &session, &request, &announced);
        {
            std::lock_guard<std::mutex> guard(shared->lock);
            if (shared->abandoned) return;
            shared->announced = announced;
            shared->state = opened ? State::kOpened : State::kFailed;
        }
        shared->changed.notify_all();
        if (!opened) return;

        std::string buffer(kChunkBytes, '\0');
        for (;;) {
            {
                std::unique_lock<std::mutex> guard(shared->lock);
                shared->changed.wait(guard, [&] {
                    return shared->abandoned || shared->state == State::kReadRequested;
                });
                if (shared->abandoned) return;
            }
            DWORD got = 0;
            const BOOL read = ::InternetReadFile(request.get(), &buffer[0], kChunkBytes, &got);
            State next = State::kChunkReady;
            {
                std::lock_guard<std::mutex> guard(shared->lock);
                if (shared->abandoned) return;
                if (!read) {
                    next = State::kFailed;
                } else if (got == 0) {
                    next = State::kEnded;
                } else {
                    shared->chunk.assign(buffer.data(), got);
                }
                shared->state = next;
            }
            shared->changed.notify_all();
            if (next != State::kChunkReady) return;
        }
    }

    static bool OpenUrl(const std::string& url, DWORD stepTimeoutMs, InternetHandle* session,
                        InternetHandle* request, ULONGLONG* announced) {
        DWORD connection = 0;
        ::InternetGetConnectedState(&connection, 0);
        const DWORD access = (connection & INTERNET_CONNECTION_PROXY) != 0
                                 ? INTERNET_OPEN_TYPE_PRECONFIG
                                 : INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY;
        session->reset(::InternetOpenA(kUserAgent, access, nullptr, nullptr, 0));
        if (!*session) return false;
        SetTimeouts(session->get(), stepTimeoutMs);
        request->reset(::InternetOpenUrlA(session->get(), url.c_str(), kRequestHeaders,
                                          static_cast<DWORD>(std::strlen(kRequestHeaders)),
                                          kRequestFlags, 0));
        if (!*request) return false;

        // Only a 200 answer carries the resource: an error page is not a version file
        // or an archive, whatever its length.
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (!::HttpQueryInfoA(request->get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                              &status, &size, nullptr) ||
            status != HTTP_STATUS_OK) {
            return false;
        }
        if (!IsAcceptableUpdateUrl(FinalUrl(request->get()))) return false;
        *announced = AnnouncedLength(request->get());
        return true;
    }
};

HttpTransfer::HttpTransfer() : m_shared(std::make_shared<Shared>()) {}

HttpTransfer::~HttpTransfer() { Abandon(); }

void HttpTransfer::Abandon() {
    {
        std::lock_guard<std::mutex> guard(m_shared->lock);
        m_shared->abandoned = true;
    }
    m_shared->changed.notify_all();
    m_finished = true;
}

DWORD HttpTransfer::WaitBudgetMs() const {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= m_deadline) return 0;
    const ULONGLONG left = m_deadline - now;
    return left < m_limits.stepTimeoutMs ? static_cast<DWORD>(left) : m_limits.stepTimeoutMs;
}

bool HttpTransfer::StopRequested() const {
    return m_stop != nullptr && ::WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0;
}

template <typename Done>
bool HttpTransfer::WaitForHelper(std::unique_lock<std::mutex>& guard, Done done) {
    // The stop event cannot be waited on together with the condition: look at it between
    // short waits.
    const DWORD kStopLookMs = 50;
    const ULONGLONG stepEnd = ::GetTickCount64() + WaitBudgetMs();
    for (;;) {
        if (done()) return true;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= stepEnd || StopRequested()) return false;
        const ULONGLONG left = stepEnd - now;
        m_shared->changed.wait_for(
            guard, std::chrono::milliseconds(left < kStopLookMs ? left : kStopLookMs), done);
    }
}

bool HttpTransfer::Open(const std::wstring& url, const HttpLimits& limits, HANDLE stop) {
    const bool first = !m_started;
    m_started = true;
    m_stop = stop;
    if (!first || !IsAcceptableUpdateUrl(url) || StopRequested()) {
        m_finished = true;
        return false;
    }
    m_limits = limits;
    m_deadline = ::GetTickCount64() + limits.totalTimeoutMs;
    try {
        std::thread(&Shared::Run, m_shared, ToUtf8(url), limits.stepTimeoutMs).detach();
    } catch (const std::system_error&) {
        m_finished = true;
        return false;
    }
    std::unique_lock<std::mutex> guard(m_shared->lock);
    const bool answered =
        WaitForHelper(guard, [&] { return m_shared->state != Shared::State::kOpening; });
    const bool opened = answered && m_shared->state == Shared::State::kOpened;
    m_announced = m_shared->announced;
    guard.unlock();
    if (!opened || (m_announced != ~0ULL && m_announced > m_limits.maxBodyBytes)) {
        Abandon();
        return false;
    }
    return true;
}

HttpTransfer::ReadResult HttpTransfer::Read(std::string* chunk) {
    if (!m_started || m_finished) return ReadResult::kFailed;
    std::unique_lock<std::mutex> guard(m_shared->lock);
    m_shared->state = Shared::State::kReadRequested;
    m_shared->changed.notify_all();
    const bool answered = WaitForHelper(
        guard, [&] { return m_shared->state != Shared::State::kReadRequested; });
    const Shared::State state = m_shared->state;
    if (answered && state == Shared::State::kChunkReady) {
        chunk->swap(m_shared->chunk);
        m_shared->chunk.clear();
        m_shared->state = Shared::State::kOpened;
    }
    guard.unlock();

    if (!answered || state == Shared::State::kFailed) {
        Abandon();
        return ReadResult::kFailed;
    }
    if (state == Shared::State::kEnded) {
        m_finished = true;
        // A connection that closed early ends the body short of its announced length.
        if (m_announced != ~0ULL && m_received != m_announced) return ReadResult::kFailed;
        return ReadResult::kEnd;
    }
    m_received += chunk->size();
    if (m_received > m_limits.maxBodyBytes ||
        (m_announced != ~0ULL && m_received > m_announced)) {
        Abandon();
        return ReadResult::kFailed;
    }
    return ReadResult::kData;
}

}  // namespace Corvane
