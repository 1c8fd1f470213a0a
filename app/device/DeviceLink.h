// DeviceLink: what the worker's passes work on. The main window owns one; its RunPass
// (CThreadBasic) calls RunPass here with the worker's stop.
//   window thread: PostCommand, SetFahrenheit, SetRepaintWindow, Record (watch timer)
//   worker thread: RunPass and the work of the passes
// A pass runs one queued command or, when none waits, one refresh: the CPU reading of
// the sensor record, in the chosen unit, to the window's readout and to every display.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "device/CommandQueue.h"
#include "device/StopSignal.h"
#include "device/UpdateCommands.h"
#include "feed/SensorRecord.h"
#include "shell/Handle.h"

namespace Corvane {

class DeviceLink {
public:
    // updates carries out codes 5 to 8 (not owned; null: they are removed and ignored).
    explicit DeviceLink(UpdateCommands* updates);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Attributes
    // The sensor record: null until the first connect has mapped it, then the same view.
    const SensorRecord* Record() const;
    // The unit flag ("tempe_type"): read by the next refresh.
    void SetFahrenheit(bool fahrenheit);
    // The window each refresh repaints (not owned; null: none).
    void SetRepaintWindow(HWND window);
    // The queue itself, for OnDeviceChangeMessage.
    CommandQueue& Commands() { return m_commands; }

    // Operations (window thread)
    void PostCommand(uint32_t code);

    // Operations (worker thread)
    void RunPass(const StopSignal& stop);
    // Command 1: reopens the displays and maps the sensor record if not yet mapped.
    void ConnectDisplay(const StopSignal* stop = nullptr);
    // The refresh pass: FeedDisplays and, when there was a reading, a one-second wait
    // that ends early on stop.
    void RefreshDisplay(const StopSignal& stop);
    // A refresh without its wait. With a reading it traces it, hands the shown value to
    // the window's readout, repaints the window and sends the report to every display;
    // false (and nothing done) when the record is unmapped or holds no reading.
    bool FeedDisplays(const StopSignal* stop = nullptr);

private:
    struct UnmapView {
        void operator()(const SensorRecord* view) const { ::UnmapViewOfFile(view); }
    };

    UpdateCommands* m_updates;  // not owned
    CommandQueue m_commands;
    UniqueHandle m_mapping;                                    // owned
    std::unique_ptr<const SensorRecord, UnmapView> m_view;     // owned
    std::atomic<const SensorRecord*> m_record{nullptr};        // m_view, once mapped
    std::atomic<int> m_fahrenheit{0};                          // 0 Celsius, 1 Fahrenheit
    std::atomic<HWND> m_window{nullptr};                       // not owned
};

}  // namespace Corvane
