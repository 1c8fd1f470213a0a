#include "device/StopSignal.h"

namespace Corvane {

StopSignal::StopSignal() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool StopSignal::Requested() const { return Wait(0); }

void StopSignal::Request() { ::SetEvent(m_event.get()); }

void StopSignal::Clear() { ::ResetEvent(m_event.get()); }

bool StopSignal::Wait(DWORD milliseconds) const {
    if (!m_event) {
        ::Sleep(milliseconds);
        return false;
    }
    return ::WaitForSingleObject(m_event.get(), milliseconds) == WAIT_OBJECT_0;
}

bool PauseUnlessStopped(const StopSignal* stop, DWORD milliseconds) {
    if (stop == nullptr) {
        ::Sleep(milliseconds);
        return true;
    }
    return !stop->Wait(milliseconds);
}

}  // namespace Corvane
