// The lock rule between the multimedia timer's thread and the window's thread: a tick never
// waits for a control's child-list lock and never reaches the window's own locks; repaint
// requests made off the window thread are handed to it and delivered there.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "vela/MWindow.h"
#include "vela/Manager.h"
#include "vela/RKTimer.h"
#include "vela/controls/ControlKit.h"
#include "vela/render/Canvas.h"

using Vela::CRect;
using VelaTest::Box;
using VelaTest::Canvas;
using VelaTest::Recorder;

namespace {

::testing::Environment* const gdiplus =
    ::testing::AddGlobalTestEnvironment(new VelaTest::GdiplusSession);

// Takes the messages that are waiting, at most limit of them (ticks keep adding more).
void PumpMessages(int limit = 1000) {
    MSG msg;
    while (limit-- > 0 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// A window whose flush message hands the recorded repaint requests of one tree upward.
class FlushWindow : public Vela::MWindow {
public:
    explicit FlushWindow(VelaTest::TestHost& host) : m_host(host) {}
    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == m_host.flushMessage && tree != nullptr) {
            m_host.BeginFlush();
            tree->FlushUpdateRequests();
            return 0;
        }
        return MWindow::OnWindowMessage(message, wparam, lparam);
    }
    Vela::MControl* tree = nullptr;  // not owned

private:
    VelaTest::TestHost& m_host;
};

}  // namespace

TEST(MControlThreads, ARepaintRequestFromAnotherThreadArrivesOnTheWindowThread) {
    Vela::Manager::SetInstance(::GetModuleHandleW(nullptr));
    VelaTest::TestHost host;
    host.flushMessage = ::RegisterWindowMessageW(L"VelaTestFlush");
    FlushWindow window(host);
    ASSERT_NE(nullptr, window.Create(nullptr, L"flush", WS_POPUP, 0, CRect(0, 0, 50, 50)));
    host.window = window.GetSafeHwnd();

    Recorder top;
    Box root(&top, 3, CRect(0, 0, 100, 100));
    root.forwardUpdates = true;
    root.SetManager(&host);
    Box* child = root.Add(new Box(nullptr, 4, CRect(10, 10, 20, 20)));
    window.tree = &root;

    std::thread other([&] {
        child->UpdateControl(0, 0);
        child->UpdateControl(CRect(30, 30, 40, 40), 1, 0);
    });
    other.join();
    EXPECT_TRUE(top.updates.empty());  // nothing reached the parents on the other thread
    EXPECT_EQ(1, host.posts);          // the two requests wait together

    PumpMessages();
    ASSERT_EQ(1u, top.updates.size());
    EXPECT_EQ(CRect(10, 10, 40, 40), top.updates[0].rect);
    EXPECT_EQ(1, top.updates[0].flag);
    EXPECT_EQ(::GetCurrentThreadId(), top.updates[0].thread);

    child->UpdateControl(1, 0);  // on the window thread: straight up
    EXPECT_EQ(2u, top.updates.size());
    EXPECT_EQ(1, host.posts);
    window.DestroyWindow();
}

namespace {

// A control that asks for a repaint on every tick, alternating the two kinds of request.
class Ticker : public Box {
public:
    using Box::Box;
    int OnControlTimer() override {
        if (++m_ticks % 2) {
            UpdateControl(1, 0);
        } else {
            UpdateControl(CRect(m_rect.left, m_rect.top, m_rect.left + 2, m_rect.top + 2), 0, 0);
        }
        return 1;
    }

private:
    std::atomic<int> m_ticks{0};
};

// A stand-in for the paint manager, only as large as the lock rule needs: two locked lists
// of top-level controls, a multimedia tick over a timer list under its lock, repaint requests
// that take both list locks, and a paint pass over both lists under their locks. The order in
// which it takes them is the paint manager's: areas, then controls; controls, then a child
// list; controls, then the timer list (when a removed control leaves it).
class StressHost : public Vela::MWindow, public Vela::MObject, public VelaTest::TestHost,
                   public Vela::RKTimer {
public:
    StressHost() {
        ::InitializeCriticalSection(&m_areaLock);
        ::InitializeCriticalSection(&m_controlLock);
        flushMessage = ::RegisterWindowMessageW(L"VelaTestFlush");
        Create(nullptr, L"stress", WS_POPUP, 0, CRect(0, 0, 200, 200));
        window = GetSafeHwnd();
        m_windowThread = ::GetCurrentThreadId();
    }
    ~StressHost() {
        RKTimer::KillTimer();
        for (Vela::MControl* c : m_areas) delete c;
        for (Vela::MControl* c : m_controls) delete c;
        m_areas.clear();
        m_controls.clear();
        DestroyWindow();
        ::DeleteCriticalSection(&m_controlLock);
        ::DeleteCriticalSection(&m_areaLock);
    }

    void Start(unsigned period) { m_timer = RKTimer::SetTimer(period, L"", 0); }
    void Stop() { RKTimer::KillTimer(); }

    void Add(Vela::MControl* control, bool area) {
        CRITICAL_SECTION* lock = area ? &m_areaLock : &m_controlLock;
        ::EnterCriticalSection(lock);
        (area ? m_areas : m_controls).push_back(control);
        ::LeaveCriticalSection(lock);
        control->SetParent(this);
        control->SetManager(this);
    }
    // As the paint manager removes: under the control lock, off the timer list, deleted.
    void Remove(Vela::MControl* control) {
        ::EnterCriticalSection(&m_controlLock);
        auto it = std::find(m_controls.begin(), m_controls.end(), control);
        if (it != m_controls.end()) {
            m_controls.erase(it);
            control->LeaveMTimer();
            delete control;
        }
        ::LeaveCriticalSection(&m_controlLock);
    }
    std::vector<Vela::MControl*>& Controls() { return m_controls; }
    size_t AreaCount() const { return m_areas.size(); }

    void Paint(HDC& dc) {
        const CRect all(0, 0, 200, 200);
        ::EnterCriticalSection(&m_areaLock);
        for (Vela::MControl* c : m_areas) c->Draw(dc, all);
        ::LeaveCriticalSection(&m_areaLock);
        ::EnterCriticalSection(&m_controlLock);
        for (Vela::MControl* c : m_controls) c->Draw(dc, all);
        ::LeaveCriticalSection(&m_controlLock);
    }

    // The paint manager's repaint request: mark, walk both lists under their locks, invalidate.
    long OnControlUpdate(CRect rect, int mark, Vela::MControl* control) override {
        if (::GetCurrentThreadId() != m_windowThread) ++offThreadRequests;
        ++requests;
        if (control == nullptr) return 0;
        if (mark) control->SetUpdate(0, 0);
        bool met = false;
        for (auto* list : {&m_areas, &m_controls}) {
            CRITICAL_SECTION* lock = list == &m_areas ? &m_areaLock : &m_controlLock;
            ::EnterCriticalSection(lock);
            for (Vela::MControl* c : *list) {
                if (c == control) {
                    met = true;
                    continue;
                }
                const CRect other = c->GetRect();
                RECT common;
                if (met && c->IsVisible() && ::IntersectRect(&common, &rect, &other)) {
                    c->SetUpdate(0, 0);
                }
            }
            ::LeaveCriticalSection(lock);
        }
        ::InvalidateRect(window, &rect, FALSE);
        return 0;
    }

    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message != flushMessage) return MWindow::OnWindowMessage(message, wparam, lparam);
        BeginFlush();
        ::EnterCriticalSection(&m_areaLock);
        for (Vela::MControl* c : m_areas) c->FlushUpdateRequests();
        ::LeaveCriticalSection(&m_areaLock);
        ::EnterCriticalSection(&m_controlLock);
        for (Vela::MControl* c : m_controls) c->FlushUpdateRequests();
        ::LeaveCriticalSection(&m_controlLock);
        return 0;
    }

    // The tick, on the multimedia timer's thread, under the timer list's lock.
    void OnMTimer(unsigned id) override {
        if (id != m_timer) return;
        ::EnterCriticalSection(&timerLock);
        for (Vela::MControl* c : timerList) c->OnTimer();
        ::LeaveCriticalSection(&timerLock);
        ++ticks;
    }

    std::atomic<long> ticks{0};
    std::atomic<long> offThreadRequests{0};
    long requests = 0;  // window thread only

private:
    CRITICAL_SECTION m_areaLock;
    CRITICAL_SECTION m_controlLock;
    std::vector<Vela::MControl*> m_areas;     // owned
    std::vector<Vela::MControl*> m_controls;  // owned
    DWORD m_windowThread = 0;
    unsigned m_timer = 0;
};

// Ends the process with a message when the window thread makes no progress for a while: a
// deadlock would otherwise only show as the test's time running out.
class Watchdog {
public:
    explicit Watchdog(std::atomic<long>& progress) : m_progress(progress) {
        m_thread = std::thread([this] { Watch(); });
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        long seen = -1;
        while (!m_done) {
            m_wake.wait_for(lock, std::chrono::seconds(20));
            if (m_done) break;
            const long now = m_progress.load();
            if (now == seen) {
                std::fprintf(stderr, "the window thread is stuck: deadlock\n");
                std::fflush(stderr);
                ::TerminateProcess(::GetCurrentProcess(), 3);
            }
            seen = now;
        }
    }

    std::atomic<long>& m_progress;  // not owned
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

// A container with two ticking children (one with a child of its own) that forwards their
// repaint requests up, as containers do.
Ticker* MakeContainer(int n) {
    const int x = (n * 37) % 150, y = (n * 53) % 150;
    auto* container = new Ticker(nullptr, 100 + n, CRect(x, y, x + 50, y + 50));
    container->forwardUpdates = true;
    return container;
}

void AddChildren(Ticker* container, int n) {
    const CRect r = container->GetRect();
    auto* a = new Ticker(nullptr, 1000 + n, CRect(r.left, r.top, r.left + 30, r.top + 30));
    auto* b = new Ticker(nullptr, 2000 + n, CRect(r.left + 10, r.top + 10, r.right, r.bottom));
    a->forwardUpdates = true;
    a->SetRunTimer(1);
    b->SetRunTimer(1);
    container->Add(a);
    container->Add(b);
    auto* grandchild = new Ticker(nullptr, 3000 + n, CRect(r.left, r.top, r.left + 10, r.top + 10));
    grandchild->SetRunTimer(1);
    a->Add(grandchild);
}

}  // namespace

TEST(MControlThreads, TicksAtOneMillisecondWhileTheWindowThreadPaintsAddsAndRemoves) {
    Vela::Manager::SetInstance(::GetModuleHandleW(nullptr));
    StressHost host;
    ASSERT_NE(nullptr, host.GetSafeHwnd());
    Canvas canvas(200, 200);
    std::atomic<long> progress{0};
    Watchdog watchdog(progress);

    host.Start(1);
    const ULONGLONG end = ::GetTickCount64() + 3000;
    int n = 0;
    while (::GetTickCount64() < end) {
        // A new container with children joins the tree and the timer list...
        Ticker* container = MakeContainer(n);
        host.Add(container, n % 5 == 0 && host.AreaCount() < 2);  // a few as areas
        AddChildren(container, n);
        container->AddMTimer();
        if (n % 3 == 0) container->GetControls()[1]->AddMTimer();  // a child ticked directly
        // ...one of the containers trades a child (removal deletes under its child-list lock,
        // and the deleted child leaves the timer list)...
        std::vector<Vela::MControl*>& controls = host.Controls();
        if (!controls.empty()) {
            auto* target = static_cast<Ticker*>(controls[n % controls.size()]);
            std::vector<Vela::MControl*>& children = target->GetControls();
            if (!children.empty()) target->RemoveControl(children.front());
            auto* fresh = new Ticker(nullptr, 4000 + n, target->GetRect());
            fresh->SetRunTimer(1);
            target->Add(fresh);
            fresh->AddMTimer();
        }
        // ...the oldest top-level controls go (deleted under the control lock)...
        while (controls.size() > 6) host.Remove(controls.front());
        // ...and the window paints and takes its messages (the handed-over requests).
        host.Paint(canvas.dc());
        PumpMessages(50);
        ++progress;
        ++n;
    }
    host.Stop();
    PumpMessages();

    EXPECT_GT(host.ticks.load(), 0);
    EXPECT_GT(host.requests, 0);
    EXPECT_EQ(0, host.offThreadRequests.load());  // no request reached the window's locks
}
