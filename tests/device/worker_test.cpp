// The worker: one command per pass in queue order, the refresh when none waits, the
// fast poll while there is no reading, and a stop that always waits for the thread's
// end but never waits out a refresh's one-second wait.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DeviceTestSupport.h"
#include "device/CThreadBasic.h"
#include "device/CommandQueue.h"
#include "device/DeviceLink.h"
#include "device/HidManager.h"
#include "device/WorkerCommand.h"
#include "shell/TraceLog.h"
#include "support/ChildProcess.h"
#include "vela/Manager.h"

using Corvane::CommandQueue;
using Corvane::DeviceLink;
using Corvane::HidManager;
using Corvane::StopSignal;
using DeviceTest::Hidsim;
using DeviceTest::SensorRecordWriter;
using TestSupport::WaitUntil;

namespace {

// Stands in for the main window: the worker's owner, recording the update commands.
class TestWorker : public Corvane::CThreadBasic, private Corvane::UpdateCommands {
public:
    TestWorker() : m_link(this) {}
    ~TestWorker() override { StopWorker(); }

    void RunPass() override {
        m_link.RunPass(WorkerStop());
        ++m_passes;
    }

    DeviceLink& link() { return m_link; }
    int passes() const { return m_passes.load(); }
    std::vector<std::string> calls() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_calls;
    }
    // What command 7 does: by default it returns at once.
    void SetDownload(std::function<void(const StopSignal&)> download) { m_download = download; }

private:
    void Record(const std::string& call) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.push_back(call);
    }
    void CheckSoftwareAtStart(const StopSignal&) override {
        Record("software check, displays " + std::to_string(HidManager::Instance().DisplayCount()));
    }
    void CheckFirmwareAtStart(const StopSignal& stop) override {
        uint16_t version = 0;
        const bool read = HidManager::Instance().ReadFirmwareVersion(&version, &stop);
        Record("firmware check, version " + (read ? std::to_string(version) : std::string("none")));
    }
    void DownloadSoftwareUpdate(const StopSignal& stop) override {
        if (m_download) m_download(stop);
        Record("software download");
    }
    void DownloadFirmwareUpdate(const StopSignal&) override { Record("firmware download"); }

    DeviceLink m_link;
    std::atomic<int> m_passes{0};
    std::mutex m_lock;
    std::vector<std::string> m_calls;
    std::function<void(const StopSignal&)> m_download;
};

int ThreadsOfThisProcess() {
    Corvane::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
         more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    }
    return count;
}

using Lines = std::vector<std::string>;

}  // namespace

TEST(WorkerQueue, KeepsEveryCodeInOrderAcrossThreads) {
    CommandQueue queue;
    const uint32_t kCodes = 200000;
    std::thread window([&] {
        for (uint32_t code = 1; code <= kCodes; ++code) queue.Post(code);
    });
    uint32_t expected = 1;
    while (expected <= kCodes) {
        uint32_t code = 0;
        if (!queue.TryTake(&code)) continue;
        ASSERT_EQ(code, expected);
        ++expected;
    }
    window.join();
    uint32_t code = 0;
    EXPECT_FALSE(queue.TryTake(&code));
}

TEST(WorkerPasses, RunOneCommandPerPassInQueueOrderThenRefresh) {
    Hidsim sim(L"1A2C:444D:FF01:1");
    SensorRecordWriter record;
    record.SetCpuTemperature(45.9f);
    HidManager::Instance().CloseAll();
    TestWorker worker;  // not started: the passes run here, one by one
    DeviceLink& link = worker.link();
    const StopSignal& stop = worker.WorkerStop();
    for (uint32_t code : {5u, 1u, 6u, 2u, 7u, 8u}) link.PostCommand(code);

    link.RunPass(stop);
    EXPECT_EQ(worker.calls(), (Lines{"software check, displays 0"}));
    link.RunPass(stop);  // connect
    EXPECT_EQ(HidManager::Instance().DisplayCount(), 1);
    EXPECT_NE(link.Record(), nullptr);
    link.RunPass(stop);
    EXPECT_EQ(worker.calls().back(), "firmware check, version 260");  // 0x0104
    link.RunPass(stop);  // code 2: removed and ignored
    link.RunPass(stop);
    link.RunPass(stop);
    EXPECT_EQ(worker.calls(), (Lines{"software check, displays 0", "firmware check, version 260",
                                     "software download", "firmware download"}));
    EXPECT_TRUE(sim.ReportLines("send 0 65 ").empty());  // no refresh while commands wait

    link.RunPass(stop);  // the queue is empty: a refresh
    EXPECT_EQ(sim.ReportLines("send 0 65 ").size(), 1u);
}

TEST(WorkerLoop, PollsWithoutWaitingWhileThereIsNoReading) {
    Hidsim sim(L"1A2C:444D:FF01:1");
    SensorRecordWriter record;
    record.SetCpuTemperature(0.0f);
    TestSupport::ScratchDir scratch(L"worker");
    const std::wstring trace = scratch.path() + L"trace.log";
    Corvane::AttachTraceFile(trace);
    Vela::Manager::SetCPUTemp(-1.0f);

    TestWorker worker;
    worker.link().PostCommand(Corvane::kConnectDisplay);
    ASSERT_TRUE(worker.StartWorker());
    // A refresh with a reading waits a second; without one the worker comes back
    // after its 16 ms pause, so these passes take a fraction of the limit.
    EXPECT_TRUE(WaitUntil([&] { return worker.passes() >= 40; }, 20000));
    EXPECT_NE(worker.link().Record(), nullptr);
    EXPECT_TRUE(sim.ReportLines("send ").empty());
    EXPECT_TRUE(DeviceTest::ReadLines(trace).empty());
    EXPECT_EQ(Vela::Manager::GetCPUTemp(), -1.0f);

    record.SetCpuTemperature(45.9f);
    EXPECT_TRUE(WaitUntil([&] { return !sim.ReportLines("send ").empty(); }, 5000));
    EXPECT_EQ(Vela::Manager::GetCPUTemp(), 45.0f);
    worker.StopWorker();
    Corvane::DetachTraceFile();
}

TEST(WorkerStop, WaitsForAPassThatIgnoresTheStop) {
    TestWorker worker;
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    // Longer than any fixed limit a stop might wait; it does not look at the stop.
    worker.SetDownload([&](const StopSignal&) {
        started = true;
        ::Sleep(1500);
        finished = true;
    });
    worker.link().PostCommand(Corvane::kDownloadSoftwareUpdate);
    ASSERT_TRUE(worker.StartWorker());
    ASSERT_TRUE(WaitUntil([&] { return started.load(); }, 10000));
    worker.StopWorker();
    EXPECT_TRUE(finished.load());
    EXPECT_FALSE(worker.IsWorkerRunning());
}

TEST(WorkerStop, StartsAndStopsRepeatedlyWithoutLeavingAThread) {
    Hidsim sim(L"1A2C:444D:FF01:1");
    SensorRecordWriter record;
    record.SetCpuTemperature(45.9f);
    auto cycle = [&](int round) {
        auto worker = std::make_unique<TestWorker>();
        std::atomic<bool> downloading{false};
        // A download that honours the stop: it ends as soon as the stop comes.
        worker->SetDownload([&](const StopSignal& stop) {
            downloading = true;
            stop.Wait(INFINITE);
        });
        Vela::Manager::SetCPUTemp(-1.0f);
        ASSERT_TRUE(worker->StartWorker());
        for (uint32_t code : {5u, 1u, 6u, 2u}) worker->link().PostCommand(code);
        switch (round % 3) {
        case 0:  // stopped with commands still queued
            break;
        case 1:  // stopped during the refresh's one-second wait
            ASSERT_TRUE(WaitUntil([] { return Vela::Manager::GetCPUTemp() == 45.0f; }, 10000));
            break;
        case 2:  // stopped inside a long command
            worker->link().PostCommand(Corvane::kDownloadSoftwareUpdate);
            ASSERT_TRUE(WaitUntil([&] { return downloading.load(); }, 10000));
            break;
        }
        worker->StopWorker();
        ASSERT_FALSE(worker->IsWorkerRunning());
    };
    cycle(1);
    const int baseline = ThreadsOfThisProcess();
    for (int round = 0; round < 200; ++round) {
        cycle(round);
        if (HasFatalFailure()) return;
    }
    // Each connect ends the previous display's thread; nothing else may be left.
    EXPECT_TRUE(WaitUntil([&] { return ThreadsOfThisProcess() <= baseline; }, 5000))
        << ThreadsOfThisProcess() << " threads, " << baseline << " before";
}
