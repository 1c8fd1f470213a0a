// FetchUrlText and DownloadUrlToFile against the update-server stand-in on 127.0.0.1:
// the request they send, bodies of many reads, and servers that answer badly.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "support/TestPaths.h"
#include "update/HttpFetch.h"
#include "update_fixtures.h"

using namespace Corvane;
using TestSupport::ScratchDir;
using UpdateTests::ClosedPort;
using UpdateTests::ReadBytes;
using UpdateTests::ServerUrl;
using UpdateTests::WriteBytes;

namespace {

// Short waits so the stalling answers end the test quickly (the stand-in holds them until
// it stops). The product waits 15 s per step; the wait is a parameter for this reason.
HttpLimits Impatient(HttpLimits limits) {
    limits.stepTimeoutMs = 2000;
    limits.totalTimeoutMs = 20000;
    return limits;
}

class Transfer : public ::testing::Test {
protected:
    void SetUp() override {
        m_server = ServerUrl();
        ASSERT_FALSE(m_server.empty()) << "the update-server stand-in is not running";
    }
    std::wstring m_server;
};

TEST_F(Transfer, SendsTheUpdateRequest) {
    std::wstring echo;
    ASSERT_TRUE(FetchUrlText(m_server + L"/-/echo/check", echo));
    EXPECT_EQ(0u, echo.find(L"GET /-/echo/check HTTP/1.1\r\n")) << echo;
    EXPECT_NE(std::wstring::npos, echo.find(L"User-Agent: VIZ2.0/PC 5.5.0000\r\n")) << echo;
    EXPECT_NE(std::wstring::npos, echo.find(L"Accept: */*\r\n")) << echo;
    EXPECT_NE(std::wstring::npos, echo.find(L"Pragma: no-cache\r\n")) << echo;  // INTERNET_FLAG_PRAGMA_NOCACHE
}

TEST_F(Transfer, TextOfManyReadsIsDecodedAsUtf8) {
    std::wstring expected;
    for (int i = 0; i < 4000; ++i) expected += L"0123456789\u20ac";
    std::wstring text;
    ASSERT_TRUE(FetchUrlText(m_server + L"/text/chunks.txt", text));
    EXPECT_EQ(expected, text);

    ASSERT_TRUE(FetchUrlText(m_server + L"/text/zero.txt", text));
    EXPECT_EQ(L"1.0", text);  // the text ends at the first zero byte
}

struct FailureCase {
    const wchar_t* path;  // below the server; null for the refusing port
    const char* what;
};

const FailureCase kFailures[] = {
    {nullptr, "connection refused"},
    {L"/-/status/404/sw-newer/m21x/software/version", "a valid version under status 404"},
    {L"/-/status/500/x", "an error page"},
    {L"/-/stall/3/text/chunks.txt", "a body that stalls after 3 bytes"},
    {L"/-/hang/x", "no answer at all"},
    {L"/-/short/3/text/chunks.txt", "a body shorter than announced"},
    {L"/-/big/1048576/x", "1 MiB announced"},
    {L"/-/stream/1048576/x", "1 MiB without a length"},
};

TEST_F(Transfer, FailedFetchLeavesTheTextAlone) {
    ClosedPort refusing;
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.what);
        std::wstring text = L"unchanged";
        const std::wstring url = c.path != nullptr ? m_server + c.path : refusing.Url() + L"/version";
        EXPECT_FALSE(FetchUrlText(url, text, Impatient(VersionFileLimits())));
        EXPECT_EQ(L"unchanged", text);
    }
    // Not the loopback address over plain http: refused without a request.
    std::wstring text = L"unchanged";
    EXPECT_FALSE(FetchUrlText(L"http://update.halvex.example/m21x/software/version", text));
    EXPECT_EQ(L"unchanged", text);
}

TEST_F(Transfer, DownloadWritesTheBodyByteForByteReplacingAFile) {
    ScratchDir scratch(L"download");
    const std::wstring path = scratch.path() + L"pattern.bin";
    ASSERT_TRUE(WriteBytes(path, "an older file"));
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);

    ASSERT_TRUE(DownloadUrlToFile(m_server + L"/bin/pattern.bin", path));
    std::string expected;
    for (int i = 0; i < 300000; ++i) expected += static_cast<char>((i * 7 + i / 256) % 256);
    EXPECT_TRUE(expected == ReadBytes(path)) << "the file differs from the served body";
}

TEST_F(Transfer, FailedDownloadLeavesNoFile) {
    ScratchDir scratch(L"download-failures");
    const std::wstring path = scratch.path() + L"archive.zip";
    HttpLimits limits = Impatient(ArchiveLimits());
    limits.maxBodyBytes = 64 * 1024;  // so the oversized bodies are small to serve
    ClosedPort refusing;
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.what);
        const std::wstring url = c.path != nullptr ? m_server + c.path : refusing.Url() + L"/a.zip";
        EXPECT_FALSE(DownloadUrlToFile(url, path, limits));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(path.c_str()));
    }
}

TEST_F(Transfer, AStopEndsAStalledTransferWithoutWaitingOutItsLimits) {
    ScratchDir scratch(L"download-stop");
    const std::wstring path = scratch.path() + L"archive.zip";
    HttpLimits patient = ArchiveLimits();
    patient.stepTimeoutMs = 120000;  // far longer than the test may take
    HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, stop);

    const struct {
        const wchar_t* path;
        const char* what;
    } cases[] = {
        {L"/-/hang/x", "while waiting for the answer"},
        {L"/-/stall/3/bin/pattern.bin", "while waiting for more of the body"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::ResetEvent(stop);
        std::thread stopper([stop] {
            ::Sleep(500);
            ::SetEvent(stop);
        });
        const ULONGLONG start = ::GetTickCount64();
        EXPECT_FALSE(DownloadUrlToFile(m_server + c.path, path, patient, stop));
        const ULONGLONG spent = ::GetTickCount64() - start;
        stopper.join();
        EXPECT_LT(spent, patient.stepTimeoutMs / 4) << "the stop did not end the transfer";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(path.c_str()));
    }

    // Already set: nothing is fetched.
    std::wstring text = L"unchanged";
    EXPECT_FALSE(FetchUrlText(m_server + L"/text/chunks.txt", text, VersionFileLimits(), stop));
    EXPECT_EQ(L"unchanged", text);
    ::CloseHandle(stop);
}

}  // namespace
