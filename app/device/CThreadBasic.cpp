#include "device/CThreadBasic.h"

#include <process.h>

#include "shell/TraceLog.h"

namespace Corvane {

namespace {
const DWORD kPassPauseMs = 16;
}  // namespace

CThreadBasic::CThreadBasic() = default;

CThreadBasic::~CThreadBasic() {
    if (m_thread) {
        TraceLog(kTraceError, "CThreadBasic.cpp: worker still running at destruction");
        StopWorker();
    }
}

bool CThreadBasic::IsWorkerRunning() const { return m_running.load() != 0; }

bool CThreadBasic::StartWorker() {
    if (m_running.load() != 0) return true;
    m_pause = kPassPauseMs;
    m_startTick = ::GetTickCount();
    m_stop.Clear();
    m_running.store(1);
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, &CThreadBasic::WorkerThreadProc,
                                              this, 0, nullptr);
    if (thread == 0) {
        m_running.store(0);
        return false;
    }
    m_thread.reset(reinterpret_cast<HANDLE>(thread));
    return true;
}

void CThreadBasic::StopWorker() {
    if (!m_thread) {
        m_running.store(0);
        return;
    }
    m_running.store(0);
    m_stop.Request();
    WaitForThreadEnd();
    m_thread.reset();
}

void CThreadBasic::WaitForThreadEnd() {
    HANDLE thread = m_thread.get();
    for (;;) {
        const DWORD result = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1) return;  // ended (or the handle is unusable)
        // Delivers the messages sent to this thread; posted ones stay queued.
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

unsigned __stdcall CThreadBasic::WorkerThreadProc(void* base) {
    CThreadBasic* self = static_cast<CThreadBasic*>(base);  // not owned
    const DWORD startTick = self->m_startTick;
    while (self->m_running.load() != 0) {
        self->RunPass();
        if (self->m_stop.Wait(self->m_pause)) break;
    }
    return startTick;
}

}  // namespace Corvane
