// program_bench: what the real Corvane.exe of the run layout costs while it feeds one
// simulated display (hidsim as libhidapi.dll, the sensor stand-in as the sensor server).
//   1. processor time of the Corvane process over the feeding stretch, as a share of one core;
//   2. its private memory afterwards, beside that of a minimal window program;
//   3. the delay from a new value in the sensor record to the first report carrying it.
// Usage: program_bench [feeding seconds]   (default 60)
// The paths of the layout and of minimal_window.exe are compiled in.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const DWORD kStartLimitMs = 30000;
const DWORD kExitLimitMs = 20000;
const DWORD kChangeEveryMs = 2000;
const DWORD kReportLimitMs = 6000;  // a value not seen by then counts as missed
const DWORD kPollMs = 5;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Mib(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

ULONGLONG FileTimeValue(const FILETIME& t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

struct ProcessorTimes {
    ULONGLONG kernel = 0;  // 100 ns units
    ULONGLONG user = 0;
    int threads = 0;
};

ProcessorTimes TimesOf(const FILETIME& kernel, const FILETIME& user) {
    ProcessorTimes times;
    times.kernel = FileTimeValue(kernel);
    times.user = FileTimeValue(user);
    return times;
}

// What GetProcessTimes says of the process.
ProcessorTimes ProcessTimes(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return ProcessorTimes();
    return TimesOf(kernel, user);
}

// The sum over the threads the process has now. Wine 8 answers GetProcessTimes for another
// process with the caller's own times, but it reads each thread's times from the kernel; on
// Windows both agree while no thread ends.
ProcessorTimes ThreadTimesOf(DWORD processId) {
    ProcessorTimes sum;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return sum;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        HANDLE thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread == nullptr) continue;
        FILETIME created, exited, kernel, user;
        if (::GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
            const ProcessorTimes times = TimesOf(kernel, user);
            sum.kernel += times.kernel;
            sum.user += times.user;
            ++sum.threads;
        }
        ::CloseHandle(thread);
    }
    ::CloseHandle(snapshot);
    return sum;
}

double SpentMs(const ProcessorTimes& before, const ProcessorTimes& after) {
    return static_cast<double>((after.kernel + after.user) - (before.kernel + before.user)) /
           10000.0;
}

struct Memory {
    int threads = 0;
    SIZE_T privateUsage = 0;   // PrivateUsage
    SIZE_T pagefileUsage = 0;  // PagefileUsage: the same commit charge on Windows
    SIZE_T workingSet = 0;
    // Wine 8 leaves PrivateUsage at 0; PagefileUsage then stands for it.
    SIZE_T Private() const { return privateUsage != 0 ? privateUsage : pagefileUsage; }
};

Memory MemoryOf(HANDLE process) {
    Memory memory;
    memory.threads = ThreadTimesOf(::GetProcessId(process)).threads;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof(counters))) {
        memory.privateUsage = counters.PrivateUsage;
        memory.pagefileUsage = counters.PagefileUsage;
        memory.workingSet = counters.WorkingSetSize;
    }
    return memory;
}

bool WriteWholeFile(const std::wstring& path, const std::string& text) {
    // The stand-in may have the file open for reading at this moment: try again briefly.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            const BOOL ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written,
                                        nullptr);
            ::CloseHandle(file);
            if (ok && written == text.size()) return true;
        }
        ::Sleep(2);
    }
    return false;
}

void WriteSensorValue(const std::wstring& path, int celsius) {
    char text[64];
    std::snprintf(text, sizeof(text), "cpu=%d\nalive=1\n", celsius);
    if (!WriteWholeFile(path, text)) std::printf("  (could not write the sensor file)\n");
}

// Follows the hidsim log and hands back the number each temperature report shows.
class ReportLog {
public:
    explicit ReportLog(const std::wstring& path) : m_path(path) {}

    // Reads what was appended since the last call; the number shown by the newest report
    // of display 0 goes to *shown (unchanged if none came). Returns the reports read.
    int Poll(int* shown) {
        HANDLE file = ::CreateFileW(m_path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 0;
        LARGE_INTEGER offset;
        offset.QuadPart = m_offset;
        ::SetFilePointerEx(file, offset, nullptr, FILE_BEGIN);
        char buffer[8192];
        DWORD read = 0;
        while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
            m_pending.append(buffer, read);
            m_offset += read;
        }
        ::CloseHandle(file);

        int reports = 0;
        size_t end;
        while ((end = m_pending.find('\n')) != std::string::npos) {
            const std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            int value = 0;
            if (ParseReport(line, &value)) {
                *shown = value;
                ++reports;
            }
        }
        return reports;
    }

private:
    // "send 0 <length> <hex>": bytes 3, 4 and 5 are the digits (anything above 9 is blank).
    static bool ParseReport(const std::string& line, int* value) {
        if (line.compare(0, 7, "send 0 ") != 0) return false;
        const size_t hex = line.find(' ', 7);
        if (hex == std::string::npos || line.size() < hex + 1 + 12) return false;
        int number = 0;
        for (int i = 3; i <= 5; ++i) {
            const int digit = static_cast<int>(std::strtol(line.substr(hex + 1 + 2 * i, 2).c_str(),
                                                           nullptr, 16));
            number = number * 10 + (digit <= 9 ? digit : 0);
        }
        *value = number;
        return true;
    }

    std::wstring m_path;
    LONGLONG m_offset = 0;
    std::string m_pending;
};

bool StartProcess(const std::wstring& exe, const std::wstring& arguments,
                  PROCESS_INFORMATION* pi, const std::wstring& folder = L"") {
    std::wstring command = L"\"" + exe + L"\"";
    if (!arguments.empty()) command += L" " + arguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    return ::CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &si, pi) != FALSE;
}

HWND WaitForWindow(const wchar_t* className, const wchar_t* title, HANDLE process, DWORD limitMs) {
    const ULONGLONG end = ::GetTickCount64() + limitMs;
    while (::GetTickCount64() < end) {
        if (HWND hwnd = ::FindWindowW(className, title)) return hwnd;
        if (::WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

// Ends what is left of the processes that the given process started (its sensor server).
int EndChildrenOf(DWORD parent) {
    int ended = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        if (HANDLE child = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            ::TerminateProcess(child, 1);
            ::WaitForSingleObject(child, 5000);
            ::CloseHandle(child);
            ++ended;
        }
    }
    ::CloseHandle(snapshot);
    return ended;
}

void SetRefusingUpdateRoot() {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvex", 0, nullptr, 0,
                          KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        std::printf("  (could not set update_root)\n");
        return;
    }
    const wchar_t root[] = L"http://127.0.0.1:9";
    ::RegSetValueExW(key, L"update_root", 0, REG_SZ, reinterpret_cast<const BYTE*>(root),
                     sizeof(root));
    ::RegCloseKey(key);
}

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    // nearest rank
    size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size())));
    rank = std::max<size_t>(1, std::min(rank, values.size()));
    return values[rank - 1];
}

// The minimal window program, with idleThreads threads beside its window thread.
Memory MeasureMinimalWindow(int idleThreads) {
    PROCESS_INFORMATION pi = {};
    if (!StartProcess(PROGRAM_BENCH_MINIMAL_W, std::to_wstring(idleThreads), &pi)) {
        std::printf("minimal window program: could not start (%lu)\n", ::GetLastError());
        return Memory();
    }
    const HWND hwnd = WaitForWindow(L"CorvaneBenchMinimalWindow", nullptr, pi.hProcess, kStartLimitMs);
    ::Sleep(2000);  // let it settle like Corvane does over its run
    const Memory memory = MemoryOf(pi.hProcess);
    if (hwnd != nullptr) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(pi.hProcess, kExitLimitMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(pi.hProcess, 1);
        ::WaitForSingleObject(pi.hProcess, 5000);
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return memory;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 60;
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    const std::wstring layout = PROGRAM_BENCH_LAYOUT_W;
    wchar_t tempBase[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, tempBase);
    const std::wstring scratch =
        std::wstring(tempBase) + L"program_bench_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(scratch.c_str(), nullptr);
    const std::wstring sensorFile = scratch + L"sensor.txt";
    const std::wstring hidLog = scratch + L"hidsim.log";

    std::printf("program_bench: Corvane.exe of %ls, one simulated display, %d s of feeding\n",
                layout.c_str(), seconds);

    // The yardstick first, while nothing else of ours runs.
    const Memory minimal = MeasureMinimalWindow(0);

    if (::FindWindowW(L"DeviceMainDlg", L"DIGITAL") != nullptr) {
        std::printf("a Corvane is already running in this Wine session; stop it first\n");
        return 1;
    }
    SetRefusingUpdateRoot();
    int value = 40;
    WriteSensorValue(sensorFile, value);
    ::DeleteFileW(hidLog.c_str());
    ::SetEnvironmentVariableW(L"SENSOR_STANDIN_FILE", sensorFile.c_str());
    ::SetEnvironmentVariableW(L"HIDSIM_LOG", hidLog.c_str());
    // The stand-in publishes a new value within 10 ms, so the delays are the program's own.
    ::SetEnvironmentVariableW(L"SENSOR_STANDIN_PERIOD_MS", L"10");

    PROCESS_INFORMATION pi = {};
    const double startedMs = NowMs();
    if (!StartProcess(layout + L"Corvane.exe", L"", &pi, layout)) {
        std::printf("Corvane.exe: could not start (%lu)\n", ::GetLastError());
        return 1;
    }
    HWND hwnd = WaitForWindow(L"DeviceMainDlg", L"DIGITAL", pi.hProcess, kStartLimitMs);
    if (hwnd == nullptr) {
        std::printf("Corvane.exe: no main window within %lu ms\n", kStartLimitMs);
        ::TerminateProcess(pi.hProcess, 1);
        EndChildrenOf(pi.dwProcessId);
        return 1;
    }
    const double windowMs = NowMs();

    // Feeding is under way once the first report shows the starting value.
    ReportLog log(hidLog);
    int shown = -1;
    const double waitEnd = NowMs() + kStartLimitMs;
    while (shown != value && NowMs() < waitEnd) {
        log.Poll(&shown);
        ::Sleep(20);
    }
    if (shown != value) {
        std::printf("no report showing %d within %lu ms (last shown: %d)\n", value, kStartLimitMs,
                    shown);
    }
    std::printf("start: main window after %.0f ms, first report of %d after %.0f ms\n",
                windowMs - startedMs, value, NowMs() - startedMs);

    // The measured stretch: a new whole number every two seconds.
    std::vector<double> delays;
    int missed = 0;
    int reports = 0;
    const ProcessorTimes cpuBefore = ThreadTimesOf(pi.dwProcessId);
    const ProcessorTimes reportedBefore = ProcessTimes(pi.hProcess);
    const ProcessorTimes ownBefore = ProcessTimes(::GetCurrentProcess());
    const double t0 = NowMs();
    const double t1 = t0 + seconds * 1000.0;
    int step = 0;
    while (NowMs() + kChangeEveryMs <= t1 + 1.0) {
        ++step;
        value = 40 + (step * 7) % 40;  // always differs from the one before
        const double changeMs = NowMs();
        WriteSensorValue(sensorFile, value);
        const double nextChange = changeMs + kChangeEveryMs;
        bool seen = false;
        while (NowMs() < nextChange) {
            reports += log.Poll(&shown);
            if (!seen && shown == value) {
                delays.push_back(NowMs() - changeMs);
                seen = true;
            }
            ::Sleep(kPollMs);
        }
        if (!seen) {
            // Keep waiting on the same value a while longer before calling it missed.
            const double giveUp = changeMs + kReportLimitMs;
            while (!seen && NowMs() < giveUp) {
                reports += log.Poll(&shown);
                if (shown == value) {
                    delays.push_back(NowMs() - changeMs);
                    seen = true;
                }
                ::Sleep(kPollMs);
            }
            if (!seen) ++missed;
        }
    }
    while (NowMs() < t1) {
        reports += log.Poll(&shown);
        ::Sleep(20);
    }
    const double elapsedMs = NowMs() - t0;
    const ProcessorTimes cpuAfter = ThreadTimesOf(pi.dwProcessId);
    const ProcessorTimes reportedAfter = ProcessTimes(pi.hProcess);
    const ProcessorTimes ownAfter = ProcessTimes(::GetCurrentProcess());
    const Memory corvane = MemoryOf(pi.hProcess);

    // Ordered end: close the main window and let the program leave by itself.
    hwnd = ::FindWindowW(L"DeviceMainDlg", L"DIGITAL");
    if (hwnd != nullptr) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    const double closeMs = NowMs();
    const bool exited = ::WaitForSingleObject(pi.hProcess, kExitLimitMs) == WAIT_OBJECT_0;
    const double exitMs = NowMs() - closeMs;
    DWORD exitCode = 0;
    if (!exited) {
        ::TerminateProcess(pi.hProcess, 1);
        ::WaitForSingleObject(pi.hProcess, 5000);
    }
    ::GetExitCodeProcess(pi.hProcess, &exitCode);
    const int leftOver = EndChildrenOf(pi.dwProcessId);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);

    // The same number of threads in the yardstick: what is left is not the price of a thread.
    const Memory minimalThreads = MeasureMinimalWindow(std::max(0, corvane.threads - 1));

    const double kernelMs = static_cast<double>(cpuAfter.kernel - cpuBefore.kernel) / 10000.0;
    const double userMs = static_cast<double>(cpuAfter.user - cpuBefore.user) / 10000.0;
    const double cpuMs = kernelMs + userMs;
    std::printf("\n1. processor time of Corvane.exe (the sum over its %d threads)\n",
                cpuAfter.threads);
    std::printf("   %.1f ms over %.1f s = %.4f %% of one core   (target: under 0.1 %%)\n", cpuMs,
                elapsedMs / 1000.0, 100.0 * cpuMs / elapsedMs);
    std::printf("   (kernel %.1f ms, user %.1f ms; %d reports to the display in that time;\n"
                "   the times count in the scheduler's 10 ms ticks, so small figures are coarse)\n",
                kernelMs, userMs, reports);
    const double reportedMs = SpentMs(reportedBefore, reportedAfter);
    const double ownMs = SpentMs(ownBefore, ownAfter);
    std::printf("   (GetProcessTimes on Corvane.exe: %.1f ms; on this bench itself: %.1f ms%s)\n",
                reportedMs, ownMs,
                reportedMs == ownMs && reportedMs != cpuMs ? " - the same: it is not Corvane's" : "");

    std::printf("\n2. private memory (PROCESS_MEMORY_COUNTERS_EX via GetProcessMemoryInfo)\n");
    if (corvane.privateUsage == 0 || minimal.privateUsage == 0) {
        std::printf("   (PrivateUsage reads 0 under this Wine: PagefileUsage, the same commit\n"
                    "   charge on Windows, stands in for it)\n");
    }
    std::printf("   Corvane.exe after the run:   %8.2f MiB private, %2d threads   (working set %.2f MiB)\n",
                Mib(corvane.Private()), corvane.threads, Mib(corvane.workingSet));
    std::printf("   minimal window program:      %8.2f MiB private, %2d thread    (working set %.2f MiB)\n",
                Mib(minimal.Private()), minimal.threads, Mib(minimal.workingSet));
    std::printf("   difference:                  %8.2f MiB   (target: under 4 MiB)\n",
                Mib(corvane.Private()) - Mib(minimal.Private()));
    std::printf("   the same program with %d idle threads: %.2f MiB private, %.2f MiB per thread;\n"
                "   Corvane.exe above it: %.2f MiB\n",
                std::max(0, minimalThreads.threads - 1), Mib(minimalThreads.Private()),
                minimalThreads.threads > 1
                    ? (Mib(minimalThreads.Private()) - Mib(minimal.Private())) /
                          (minimalThreads.threads - 1)
                    : 0.0,
                Mib(corvane.Private()) - Mib(minimalThreads.Private()));

    std::printf("\n3. latency from a new sensor value to its report at the display\n");
    std::printf("   (the sensor stand-in publishes a written value within 10 ms)\n");
    if (delays.empty()) {
        std::printf("   no samples\n");
    } else {
        std::printf("   samples %u, missed %d\n", static_cast<unsigned>(delays.size()), missed);
        std::printf("   p50 %.0f ms, p95 %.0f ms, max %.0f ms   (target p95: under 1100 ms)\n",
                    Percentile(delays, 0.50), Percentile(delays, 0.95),
                    *std::max_element(delays.begin(), delays.end()));
    }

    std::printf("\nend: %s after %.0f ms, exit code %lu", exited ? "left by itself" : "terminated",
                exitMs, exitCode);
    if (leftOver > 0) std::printf(", %d process(es) it started had to be ended", leftOver);
    std::printf("\n");

    ::DeleteFileW(sensorFile.c_str());
    ::DeleteFileW(hidLog.c_str());
    ::RemoveDirectoryW(scratch.c_str());
    return 0;
}
