// CThreadBasic: the worker thread of the main window. It repeats RunPass with a 16 ms
// pause until it is stopped. StopWorker returns only when the thread has ended, so the
// object that owns the thread can never be destroyed under a running pass.
#pragma once

#include <windows.h>

#include <atomic>

#include "device/StopSignal.h"
#include "shell/Handle.h"

namespace Corvane {

class CThreadBasic {
public:
    CThreadBasic();
    // A derived class stops the worker in its own destructor: by the time this one
    // runs, its RunPass is gone. This one only guards against a forgotten stop.
    virtual ~CThreadBasic();
    CThreadBasic(const CThreadBasic&) = delete;
    CThreadBasic& operator=(const CThreadBasic&) = delete;

    // Attributes
    bool IsWorkerRunning() const;
    // Long waits inside a pass wake on it (see StopSignal).
    const StopSignal& WorkerStop() const { return m_stop; }

    // Operations (window thread)
    // Starts the thread unless it runs already; false when it could not be started.
    bool StartWorker();
    // Asks the thread to stop and waits, without a time limit, until it has ended.
    // While waiting it still answers messages sent to this thread's windows, so a pass
    // that sends a message to the window cannot deadlock the stop.
    void StopWorker();

    // Overridables
    // One pass on the worker thread: one queued command or one refresh.
    virtual void RunPass() = 0;

private:
    static unsigned __stdcall WorkerThreadProc(void* base);
    void WaitForThreadEnd();

    StopSignal m_stop;
    UniqueHandle m_thread;           // owned; the worker, until StopWorker has seen it end
    std::atomic<LONG> m_running{0};  // 1 while the worker should go on
    DWORD m_pause = 1;               // between passes, milliseconds
    DWORD m_startTick = 0;           // when the worker started; the thread's exit code
};

}  // namespace Corvane
