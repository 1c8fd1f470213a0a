#include "vela/RKTimer.h"

#include <mmsystem.h>

#include <algorithm>

#include "render/Lock.h"

namespace Vela {

int RKTimer::m_bIsTmierOK = 0;
unsigned RKTimer::m_uAccuracy = 1;

namespace {

// Every live timer owner, in construction order. Its lock also guards each owner's timer
// list and the two resolution values: the window's thread changes them while the service's
// thread reads them in a tick. It is held only for short reads and changes (and across
// timeSetEvent, so a first tick finds its entry), never while a tick runs an owner's code and
// never across timeKillEvent, which may wait for a tick.
struct Registry {
    CriticalSection lock;
    std::vector<RKTimer*> owners;  // not owned
};

Registry& Owners() {
    static Registry registry;
    return registry;
}

}  // namespace

RKTimer::RKTimer() {
    Registry& registry = Owners();
    LockScope lock(registry.lock.get());
    registry.owners.push_back(this);
}

RKTimer::~RKTimer() {
    KillTimer();
    Registry& registry = Owners();
    LockScope lock(registry.lock.get());
    if (m_bIsTmierOK) ::timeEndPeriod(m_uAccuracy);
    auto it = std::find(registry.owners.begin(), registry.owners.end(), this);
    if (it != registry.owners.end()) registry.owners.erase(it);
}

void RKTimer::OnMTimer(unsigned, const std::wstring&) {}

unsigned RKTimer::SetTimer(unsigned delay, const std::wstring& name, int appTimer) {
    Registry& registry = Owners();
    LockScope lock(registry.lock.get());
    if (!m_bIsTmierOK) {
        // The finest period the service offers, at least 1 ms; asked for once per process.
        TIMECAPS caps = {};
        if (::timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR) {
            m_uAccuracy = std::min(std::max(caps.wPeriodMin, 1u), caps.wPeriodMax);
            ::timeBeginPeriod(m_uAccuracy);
            m_bIsTmierOK = 1;
        }
    }
    // Synchronous kill: once timeKillEvent returns, no tick of the timer runs any more.
    const unsigned id = ::timeSetEvent(delay, m_uAccuracy, &RKTimer::TimerCallProc,
                                       reinterpret_cast<DWORD_PTR>(this),
                                       TIME_PERIODIC | TIME_CALLBACK_FUNCTION |
                                           TIME_KILL_SYNCHRONOUS);
    m_timers.push_back(TimerEntry{id, name, appTimer});
    return id;
}

int RKTimer::KillTimer(unsigned id) {
    bool found = false;
    int left = 0;
    {
        LockScope lock(Owners().lock.get());
        auto it = std::find_if(m_timers.begin(), m_timers.end(),
                               [id](const TimerEntry& e) { return e.id == id; });
        if (it != m_timers.end()) {
            m_timers.erase(it);
            found = true;
        }
        left = static_cast<int>(m_timers.size());
    }
    // Outside the lock: the kill waits for a running tick, which may be reading the list.
    if (found && id != 0) ::timeKillEvent(id);
    return left;
}

int RKTimer::KillTimer(const std::wstring& name) {
    unsigned id = 0;
    bool found = false;
    int left = 0;
    {
        LockScope lock(Owners().lock.get());
        auto it = std::find_if(m_timers.begin(), m_timers.end(),
                               [&name](const TimerEntry& e) { return e.name == name; });
        if (it != m_timers.end()) {
            id = it->id;
            m_timers.erase(it);
            found = true;
        }
        left = static_cast<int>(m_timers.size());
    }
    if (found && id != 0) ::timeKillEvent(id);
    return left;
}

void RKTimer::KillTimer() {
    std::vector<TimerEntry> killed;
    {
        LockScope lock(Owners().lock.get());
        killed.swap(m_timers);
    }
    for (const TimerEntry& entry : killed) {
        if (entry.id != 0) ::timeKillEvent(entry.id);
    }
}

int RKTimer::GetTimerIsRun(unsigned id) {
    LockScope lock(Owners().lock.get());
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [id](const TimerEntry& e) { return e.id == id; })
               ? 1
               : 0;
}

int RKTimer::GetTimerIsRun(const std::wstring& name) {
    LockScope lock(Owners().lock.get());
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [&name](const TimerEntry& e) { return e.name == name; })
               ? 1
               : 0;
}

std::wstring RKTimer::GetTimerName(unsigned id) {
    LockScope lock(Owners().lock.get());
    for (const TimerEntry& entry : m_timers) {
        if (entry.id == id) return entry.name;
    }
    return std::wstring();
}

int RKTimer::IsAppTimer(unsigned id) {
    LockScope lock(Owners().lock.get());
    for (const TimerEntry& entry : m_timers) {
        if (entry.id == id) return entry.appTimer;
    }
    return 0;
}

RKTimer* RKTimer::GetFSTimer(unsigned id) {
    Registry& registry = Owners();
    LockScope lock(registry.lock.get());
    for (RKTimer* owner : registry.owners) {
        for (const TimerEntry& entry : owner->m_timers) {
            if (entry.id == id) return owner;
        }
    }
    return nullptr;
}

void CALLBACK RKTimer::TimerCallProc(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* owner = reinterpret_cast<RKTimer*>(user);
    if (owner == nullptr) return;
    owner->OnMTimer(id);
    if (owner->IsAppTimer(id)) owner->OnMTimer(id, owner->GetTimerName(id));
}

}  // namespace Vela
