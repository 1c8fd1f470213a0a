// RKTimer: multimedia ticks on the timer service's thread, named and application timers,
// killing, and owners that go away.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "vela/RKTimer.h"

using Vela::RKTimer;

namespace {

// Records its ticks. Kills its timers before its members go (see RKTimer.h).
class TickRecorder : public RKTimer {
public:
    explicit TickRecorder(std::atomic<int>* ticksSeen = nullptr)
        : m_ticksSeen(ticksSeen), m_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~TickRecorder() {
        KillTimer();
        ::CloseHandle(m_event);
    }

    void OnMTimer(unsigned id) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_ticks.push_back(id);
            m_threads.insert(::GetCurrentThreadId());
        }
        if (m_ticksSeen != nullptr) ++*m_ticksSeen;
        ::SetEvent(m_event);
    }
    void OnMTimer(unsigned id, const std::wstring& name) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_named.emplace_back(id, name);
    }

    // Waits (bounded) until the timer with that id ticked at least count times.
    bool WaitForTicks(unsigned id, int count) {
        for (int i = 0; i < 500; ++i) {
            if (Ticks(id) >= count) return true;
            ::WaitForSingleObject(m_event, 20);
        }
        return false;
    }
    int Ticks(unsigned id) {
        std::lock_guard<std::mutex> lock(m_mutex);
        int n = 0;
        for (unsigned t : m_ticks) n += t == id;
        return n;
    }
    std::set<DWORD> Threads() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_threads;
    }
    std::vector<std::pair<unsigned, std::wstring>> Named() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_named;
    }

private:
    std::atomic<int>* m_ticksSeen;  // not owned
    HANDLE m_event;                 // owned
    std::mutex m_mutex;
    std::vector<unsigned> m_ticks;
    std::set<DWORD> m_threads;
    std::vector<std::pair<unsigned, std::wstring>> m_named;
};

}  // namespace

TEST(RKTimer, TicksArriveOnTheServicesThreadAndStopOnKill) {
    TickRecorder owner;
    const unsigned id = owner.SetTimer(10, L"", 0);
    ASSERT_NE(0u, id);
    EXPECT_EQ(1, owner.GetTimerIsRun(id));
    ASSERT_TRUE(owner.WaitForTicks(id, 3));
    const std::set<DWORD> threads = owner.Threads();
    EXPECT_EQ(0u, threads.count(::GetCurrentThreadId()));

    EXPECT_EQ(0, owner.KillTimer(id));  // none left
    const int ticks = owner.Ticks(id);
    ::Sleep(100);  // ten periods: a timer that still ran would have ticked
    EXPECT_EQ(ticks, owner.Ticks(id));
    EXPECT_EQ(0, owner.GetTimerIsRun(id));
}

TEST(RKTimer, OnlyApplicationTimersAlsoGetTheirName) {
    TickRecorder owner;
    const unsigned plain = owner.SetTimer(10, L"plain", 0);
    const unsigned app = owner.SetTimer(10, L"anim", 1);
    ASSERT_NE(0u, plain);
    ASSERT_NE(0u, app);
    EXPECT_EQ(L"anim", owner.GetTimerName(app));
    EXPECT_EQ(1, owner.IsAppTimer(app));
    EXPECT_EQ(0, owner.IsAppTimer(plain));
    ASSERT_TRUE(owner.WaitForTicks(plain, 2));
    ASSERT_TRUE(owner.WaitForTicks(app, 2));
    owner.KillTimer();
    const auto named = owner.Named();
    ASSERT_FALSE(named.empty());
    for (const auto& call : named) {
        EXPECT_EQ(app, call.first);
        EXPECT_EQ(L"anim", call.second);
    }
    EXPECT_EQ(0, owner.GetTimerIsRun(plain));
    EXPECT_EQ(0, owner.GetTimerIsRun(app));
    EXPECT_EQ(0, owner.GetTimerIsRun(L"anim"));
}

TEST(RKTimer, KillingByNameOrIdRemovesTheFirstMatchAndReportsWhatIsLeft) {
    TickRecorder owner;
    const unsigned first = owner.SetTimer(1000, L"twin", 0);
    const unsigned second = owner.SetTimer(1000, L"twin", 0);
    const unsigned other = owner.SetTimer(1000, L"other", 0);
    EXPECT_EQ(2, owner.KillTimer(L"twin"));
    EXPECT_EQ(0, owner.GetTimerIsRun(first));
    EXPECT_EQ(1, owner.GetTimerIsRun(second));
    EXPECT_EQ(1, owner.GetTimerIsRun(L"twin"));
    EXPECT_EQ(0, owner.GetTimerIsRun(L"Twin"));  // names compare exactly
    EXPECT_EQ(2, owner.KillTimer(first));        // no longer there: nothing changes
    EXPECT_EQ(2, owner.KillTimer(L"nobody"));
    EXPECT_EQ(L"", owner.GetTimerName(first));
    EXPECT_EQ(1, owner.KillTimer(other));

    // A delay the service refuses gives id 0, and an entry that KillTimer(0) removes.
    EXPECT_EQ(0u, owner.SetTimer(70000, L"refused", 0));
    EXPECT_EQ(1, owner.GetTimerIsRun(L"refused"));
    EXPECT_EQ(1, owner.KillTimer(0u));
    EXPECT_EQ(0, owner.GetTimerIsRun(L"refused"));
}

TEST(RKTimer, GetFSTimerFindsTheOwnerOfAnId) {
    TickRecorder a, b;
    const unsigned ida = a.SetTimer(1000, L"", 0);
    const unsigned idb = b.SetTimer(1000, L"", 0);
    EXPECT_EQ(&a, RKTimer::GetFSTimer(ida));
    EXPECT_EQ(&b, RKTimer::GetFSTimer(idb));
    b.KillTimer();
    EXPECT_EQ(nullptr, RKTimer::GetFSTimer(idb));
    {
        TickRecorder c;
        const unsigned idc = c.SetTimer(1000, L"", 0);
        EXPECT_EQ(&c, RKTimer::GetFSTimer(idc));
        c.KillTimer();
    }
    EXPECT_EQ(&a, RKTimer::GetFSTimer(ida));
}

TEST(RKTimer, AnOwnerThatGoesAwayLeavesNoTicksAndNoThreadBehind) {
    std::atomic<int> ticks{0};
    std::vector<HANDLE> tickThreads;
    {
        auto owner = std::make_unique<TickRecorder>(&ticks);
        const unsigned id = owner->SetTimer(10, L"", 0);
        owner->SetTimer(3, L"second", 1);
        ASSERT_TRUE(owner->WaitForTicks(id, 3));
        for (DWORD thread : owner->Threads()) {
            tickThreads.push_back(::OpenThread(SYNCHRONIZE, FALSE, thread));
        }
        owner.reset();  // destroyed while its timers tick
    }
    const int ticksAtDestruction = ticks.load();
    ::Sleep(50);
    EXPECT_EQ(ticksAtDestruction, ticks.load());
    // The service's thread ends once no timer is left.
    ASSERT_FALSE(tickThreads.empty());
    for (HANDLE thread : tickThreads) {
        ASSERT_NE(nullptr, thread);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread, 5000));
        ::CloseHandle(thread);
    }
}
