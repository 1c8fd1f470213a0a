// DisplayChannel: one open display and the thread that talks to it.
// hidapi's calls wait for the device without a time limit. Every call to a display
// therefore runs on its own channel thread, and the caller waits at most
// kDisplayAnswerLimitMs (or until the worker's stop). A display that has not answered
// by then keeps its request and counts as busy: later requests to it fail at once
// until its call comes back, so one display that never answers holds neither the
// worker nor the other displays.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "device/StopSignal.h"
#include "shell/Handle.h"

struct hid_device_;

namespace Corvane {

// How long a caller waits for one answer of a display.
inline constexpr DWORD kDisplayAnswerLimitMs = 500;

class DisplayChannel {
public:
    // Takes ownership of device and starts its thread; null when the thread cannot be
    // started (the device is closed then).
    static std::unique_ptr<DisplayChannel> Open(hid_device_* device);
    // Closes the device: at once when the display is idle; when a call is still out,
    // the channel thread closes it as soon as that call returns, then ends.
    ~DisplayChannel();
    DisplayChannel(const DisplayChannel&) = delete;
    DisplayChannel& operator=(const DisplayChannel&) = delete;

    // Operations: each returns what hidapi's call returned, or -1 when the display is
    // busy, did not answer in time, or the stop came first.
    // Reads the product string into text[count] (count at most 512), zero-filled first.
    int ReadProductString(wchar_t* text, size_t count, const StopSignal* stop);
    // Sends a feature report of length bytes: the first copied bytes of data, the rest zero.
    int SendFeatureReport(const uint8_t* data, size_t copied, size_t length,
                          const StopSignal* stop);
    // Reads a feature report of length bytes into data, which holds the request beforehand.
    int GetFeatureReport(uint8_t* data, size_t length, const StopSignal* stop);

    struct Shared;  // the state the channel thread shares (implementation)

private:
    DisplayChannel(std::shared_ptr<Shared> shared, UniqueHandle thread);
    int Call(int kind, const void* in, size_t copied, size_t length, void* out,
             const StopSignal* stop);

    std::shared_ptr<Shared> m_shared;  // owned together with the channel thread
    UniqueHandle m_thread;             // owned
};

}  // namespace Corvane
