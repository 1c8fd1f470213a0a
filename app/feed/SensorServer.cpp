#include "feed/SensorServer.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "shell/Paths.h"

namespace Corvane {
namespace {

// Writes a line of GBK (code page 936) text to the standard error stream.
void ErrorLine(const wchar_t* text) {
    const int bytes = ::WideCharToMultiByte(936, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    std::vector<char> gbk(static_cast<size_t>(bytes));
    ::WideCharToMultiByte(936, 0, text, -1, gbk.data(), bytes, nullptr, nullptr);
    std::fputs(gbk.data(), stderr);
    std::fputs("\n", stderr);
    std::fflush(stderr);
}

using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);

}  // namespace

bool IsWindows10OrLater() {
    HMODULE ntdll = ::LoadLibraryW(L"ntdll.dll");
    if (ntdll == nullptr) {
        ErrorLine(L"\u65e0\u6cd5\u52a0\u8f7d ntdll.dll");  // cannot load ntdll.dll
        return false;
    }
    auto query = reinterpret_cast<RtlGetNtVersionNumbersFn>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    if (query == nullptr) {
        // cannot get the address of RtlGetNtVersionNumbers
        ErrorLine(L"\u65e0\u6cd5\u83b7\u53d6 RtlGetNtVersionNumbers \u51fd\u6570\u7684\u5730\u5740");
        ::FreeLibrary(ntdll);
        return false;
    }
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
    query(&major, &minor, &build);
    ::FreeLibrary(ntdll);
    return major >= 10;
}

void LaunchSensorServer() {
    // The module directory ends in a backslash, so the path holds a doubled one, which
    // Windows accepts. The command line is not quoted: a folder with spaces is found by
    // the system's search over the space-separated prefixes.
    wchar_t command[MAX_PATH * 2];
    std::swprintf(command, MAX_PATH * 2,
                  IsWindows10OrLater() ? L"%ls\\Fennick\\SentrelServer.exe"
                                       : L"%ls\\FennickWin7\\SentrelServer.exe",
                  GetModuleDirectory().c_str());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info)) {
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
}

SensorWatch::SensorWatch(Launcher launch) : m_launch(std::move(launch)) {}

bool SensorWatch::Tick(const SensorRecord* record) {
    if (record != nullptr && !IsServerPublishing(record)) m_launch();
    return m_ticks++ <= 10;
}

}  // namespace Corvane
