// device_bench: what feeding the displays costs.
//   1. one refresh pass without its one-second wait (FeedDisplays), with 1 and with 8
//      simulated displays: time per pass and heap allocations per pass;
//   2. the worker thread's processor time over a stretch of feeding (default 60 s).
// Run beside hidsim's libhidapi.dll: device_bench [feeding seconds] [displays while feeding]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "device/CThreadBasic.h"
#include "device/DeviceLink.h"
#include "device/HidManager.h"
#include "device/WorkerCommand.h"
#include "shell/TraceLog.h"

namespace {

// Every operator new of this program (and of the static libraries it links) counts.
std::atomic<long> g_allocations{0};

void* Allocate(size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    ++g_allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    ++g_allocations;
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

// The sensor server's side of the record, writing a steady reading.
class RecordWriter {
public:
    RecordWriter()
        : m_mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         Corvane::kSensorRecordSize, Corvane::kSensorMappingName)) {
        if (m_mapping) {
            m_view = static_cast<Corvane::SensorRecord*>(
                ::MapViewOfFile(m_mapping.get(), FILE_MAP_WRITE, 0, 0, Corvane::kSensorRecordSize));
        }
    }
    ~RecordWriter() {
        if (m_view != nullptr) ::UnmapViewOfFile(m_view);
    }
    bool Write(float celsius) {
        if (m_view == nullptr) return false;
        *static_cast<volatile float*>(&m_view->cpuTemperature) = celsius;
        return true;
    }

private:
    Corvane::UniqueHandle m_mapping;         // owned
    Corvane::SensorRecord* m_view = nullptr;  // owned
};

std::wstring DisplayList(int displays) {
    std::wstring list;
    for (int i = 0; i < displays; ++i) list += (i ? L"," : L"") + std::wstring(L"1A2C:444D:FF01:1");
    return list;
}

double Microseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

void MeasurePass(int displays) {
    ::SetEnvironmentVariableW(L"HIDSIM_DEVICES", DisplayList(displays).c_str());
    Corvane::DeviceLink link(nullptr);
    link.ConnectDisplay();
    const int opened = Corvane::HidManager::Instance().DisplayCount();
    for (int i = 0; i < 50; ++i) link.FeedDisplays();  // warm up

    const int kPasses = 2000;
    std::vector<LONGLONG> ticks(kPasses);
    int fed = 0;
    const long allocationsBefore = g_allocations.load();
    for (int i = 0; i < kPasses; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        fed += link.FeedDisplays() ? 1 : 0;
        ::QueryPerformanceCounter(&end);
        ticks[i] = end.QuadPart - start.QuadPart;
    }
    const long allocations = g_allocations.load() - allocationsBefore;
    std::sort(ticks.begin(), ticks.end());
    LONGLONG total = 0;
    for (LONGLONG t : ticks) total += t;
    std::printf("refresh pass, %d display%s (%d open, %d of %d passes fed):\n", displays,
                displays == 1 ? "" : "s", opened, fed, kPasses);
    std::printf("  median %.1f us, mean %.1f us, 99th percentile %.1f us, min %.1f us, max %.1f us\n",
                Microseconds(ticks[kPasses / 2]), Microseconds(total) / kPasses,
                Microseconds(ticks[kPasses * 99 / 100]), Microseconds(ticks[0]),
                Microseconds(ticks[kPasses - 1]));
    std::printf("  heap allocations (operator new) during %d passes: %ld\n", kPasses, allocations);
}

double Seconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

// The main window's part for the bench: the worker with the link, and the worker's
// own processor time as of its latest pass.
class BenchWorker : public Corvane::CThreadBasic {
public:
    BenchWorker() : m_link(nullptr) {}
    ~BenchWorker() override { StopWorker(); }
    void RunPass() override {
        m_link.RunPass(WorkerStop());
        ++m_passes;
        FILETIME created, exited, kernel, user;
        if (::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) {
            m_cpuSeconds.store(Seconds(kernel) + Seconds(user));
        }
    }
    Corvane::DeviceLink& link() { return m_link; }
    int passes() const { return m_passes.load(); }
    double cpuSeconds() const { return m_cpuSeconds.load(); }

private:
    Corvane::DeviceLink m_link;
    std::atomic<int> m_passes{0};
    std::atomic<double> m_cpuSeconds{0.0};
};

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

void MeasureFeeding(int seconds, int displays) {
    ::SetEnvironmentVariableW(L"HIDSIM_DEVICES", DisplayList(displays).c_str());
    BenchWorker worker;
    worker.link().PostCommand(Corvane::kConnectDisplay);
    const double processBefore = ProcessCpuSeconds();
    const ULONGLONG start = ::GetTickCount64();
    worker.StartWorker();
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    const double workerCpu = worker.cpuSeconds();
    const int passes = worker.passes();
    worker.StopWorker();
    const double elapsed = static_cast<double>(::GetTickCount64() - start) / 1000.0;
    const double processCpu = ProcessCpuSeconds() - processBefore;
    std::printf("feeding %d display%s for %.1f s: %d passes (about one refresh a second)\n",
                displays, displays == 1 ? "" : "s", elapsed, passes);
    std::printf("  worker thread CPU %.3f s (%.3f%% of one core); whole process %.3f s\n",
                workerCpu, 100.0 * workerCpu / elapsed, processCpu);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const int feedingDisplays = argc > 2 ? std::atoi(argv[2]) : 1;
    RecordWriter record;
    if (!record.Write(45.9f)) {
        std::printf("device_bench: cannot create the sensor record\n");
        return 1;
    }
    // The product writes its trace to a file; so does the bench, to a temporary one.
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring trace = std::wstring(temp) + L"device_bench_trace.log";
    Corvane::AttachTraceFile(trace);

    MeasurePass(1);
    MeasurePass(8);
    if (seconds > 0) MeasureFeeding(seconds, feedingDisplays);

    Corvane::DetachTraceFile();
    ::DeleteFileW(trace.c_str());
    ::DeleteFileW((std::wstring(temp) + L"device_bench_trace.1.log").c_str());
    return 0;
}
