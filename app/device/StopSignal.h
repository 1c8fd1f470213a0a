// StopSignal: the worker's stop request, a manual-reset event. Every long wait of a
// pass (the pause between passes, the one-second wait of a refresh, the wait for a
// display's answer) also wakes on it, so a stop never waits out a long pass.
#pragma once

#include <windows.h>

#include "shell/Handle.h"

namespace Corvane {

class StopSignal {
public:
    StopSignal();  // not requested

    // Attributes
    bool Requested() const;
    HANDLE handle() const { return m_event.get(); }

    // Operations
    void Request();
    void Clear();
    // Waits up to milliseconds; true when a stop was requested before or meanwhile.
    bool Wait(DWORD milliseconds) const;

private:
    UniqueHandle m_event;  // owned
};

// Sleeps milliseconds, cut short by *stop when one is given; false when stopped.
bool PauseUnlessStopped(const StopSignal* stop, DWORD milliseconds);

}  // namespace Corvane
