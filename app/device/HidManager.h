// HidManager: the process-wide set of open displays. A connect rebuilds it from
// scratch: every HID collection whose vendor and product ids match a filter and whose
// usage page and usage are 0xFF01 and 1 is opened once, in enumeration order.
// All calls but DisplayCount come from the worker thread; a lock keeps them whole.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/DisplayChannel.h"
#include "device/Reports.h"
#include "device/StopSignal.h"

namespace Corvane {

inline constexpr uint16_t kDisplayVendorId = 0x1A2C;
inline constexpr uint16_t kDisplayProductId = 0x444D;
inline constexpr uint16_t kDisplayUsagePage = 0xFF01;
inline constexpr uint16_t kDisplayUsage = 1;

// Only the two ids take part in matching.
struct HidDeviceFilter {
    uint32_t vendorId;
    uint32_t productId;
    std::wstring text;
    uint32_t flag;
};

// One open display. Nothing reads the descriptive fields after they are filled.
struct HidDeviceEntry {
    int index;  // the number of entries there were when it was added
    uint16_t vendorId;
    uint16_t productId;
    char path[1024];
    std::wstring productString;
    uint32_t releaseNumber;
    std::unique_ptr<DisplayChannel> channel;  // owned; the device handle and its thread
};

class HidManager {
public:
    // The manager, created on first call (safe from any thread) and destroyed at
    // normal process exit.
    static HidManager& Instance();
    HidManager(const HidManager&) = delete;
    HidManager& operator=(const HidManager&) = delete;

    // Attributes
    // The number of open displays as of the last finished connect or close; safe to
    // read on any thread (the tray menu reads it on the window thread).
    int DisplayCount() const;

    // Operations
    void ClearFilters();
    void AddFilter(const HidDeviceFilter& filter);
    // Closes every open display; does nothing before the first connect.
    void CloseAll();
    // Enumerates the HID collections and opens the qualifying ones.
    void OpenDisplays(const StopSignal* stop = nullptr);
    // The connect command's part: the display filter, CloseAll, OpenDisplays, open
    // flag 1. DisplayCount goes from the old count to the new one in one step.
    void Connect(const StopSignal* stop = nullptr);

    // Sends report to every open display in list order; a failing send is ignored.
    // False before the first connect, true otherwise.
    bool SendToAll(const TemperatureReport& report, const StopSignal* stop = nullptr);
    // Asks the first open display for its firmware version.
    bool ReadFirmwareVersion(uint16_t* version, const StopSignal* stop = nullptr);

private:
    HidManager();
    ~HidManager();
    void CloseAllLocked();
    void OpenDisplaysLocked(const StopSignal* stop);
    void PublishCountLocked();

    mutable std::mutex m_lock;  // guards the three fields below
    int m_open = 0;             // 1 after the first connect, 0 after CloseAll
    std::vector<std::unique_ptr<HidDeviceEntry>> m_displays;  // owned, in open order
    std::vector<HidDeviceFilter> m_filters;
    std::atomic<int> m_count{0};
};

}  // namespace Corvane
