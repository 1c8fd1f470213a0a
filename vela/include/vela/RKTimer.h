// RKTimer: periodic high-resolution timers of an object, on the multimedia timer service.
//
// Ticks arrive on the service's own thread, not on the window's and not as messages:
// OnMTimer(id) for every tick of every timer of the object, and OnMTimer(id, name) as well for
// timers started as application timers. Everything an override touches must be safe for
// that thread.
//
// Lifetime: a timer runs from SetTimer until it is killed or the object is destroyed. Killing
// a timer waits for a tick of it that is running on the service's thread, so after KillTimer
// returns no tick of that timer runs any more. A class that overrides OnMTimer kills its
// timers in its own destructor (before its members die); this class's destructor kills what
// is left, but by then the derived part is gone. Do not kill a timer while holding a lock
// that a tick of it takes: the kill would wait for the tick, and the tick for the lock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "vela/VelaExport.h"

namespace Vela {

class VELA_API RKTimer {
public:
    RKTimer();
    ~RKTimer();
    RKTimer(const RKTimer&) = delete;
    RKTimer& operator=(const RKTimer&) = delete;

    // Overridables, called on the multimedia timer service's thread.
    virtual void OnMTimer(unsigned id, const std::wstring& name);  // application timers
    virtual void OnMTimer(unsigned id) = 0;                         // every tick

    // Operations
    // Starts a periodic timer of delay milliseconds; returns its id, 0 when the service
    // refused it (the entry is kept all the same, so KillTimer(0) removes it).
    unsigned SetTimer(unsigned delay, const std::wstring& name, int appTimer);
    // Kill the first timer with that id (or exactly that name); return the number of timers
    // left, also when nothing matched.
    int KillTimer(unsigned id);
    int KillTimer(const std::wstring& name);
    void KillTimer();

    // Attributes
    int GetTimerIsRun(unsigned id);
    int GetTimerIsRun(const std::wstring& name);
    std::wstring GetTimerName(unsigned id);  // empty when no timer has that id
    int IsAppTimer(unsigned id);

    // The first live object (in construction order) holding a timer with that id, or null.
    static RKTimer* GetFSTimer(unsigned id);

    // Implementation: the service's callback; user is the object.
    static void CALLBACK TimerCallProc(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR,
                                       DWORD_PTR);

private:
    struct TimerEntry {
        unsigned id;  // 0 when the service refused the timer
        std::wstring name;
        int appTimer;
    };
    std::vector<TimerEntry> m_timers;  // in creation order

    static int m_bIsTmierOK;      // the timer resolution has been raised
    static unsigned m_uAccuracy;  // resolution in milliseconds for every timer
};

}  // namespace Vela
