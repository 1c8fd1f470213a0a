#include "device/HidManager.h"

#include <hidapi.h>

#include <cstring>

namespace Corvane {

namespace {

const DWORD kFirmwareStepPauseMs = 16;

// Releases hidapi's enumeration list.
struct EnumerationList {
    hid_device_info* first;  // owned
    ~EnumerationList() {
        if (first != nullptr) hid_free_enumeration(first);
    }
};

bool Matches(const HidDeviceFilter& filter, const hid_device_info& info) {
    return filter.vendorId == info.vendor_id && filter.productId == info.product_id;
}

}  // namespace

HidManager& HidManager::Instance() {
    static HidManager manager;
    return manager;
}

HidManager::HidManager() {
    // A failed initialisation unloads the HID library again; later calls try again.
    if (hid_init() != 0) hid_exit();
}

HidManager::~HidManager() {
    std::lock_guard<std::mutex> lock(m_lock);
    CloseAllLocked();
    hid_exit();
    m_filters.clear();
}

int HidManager::DisplayCount() const { return m_count.load(); }

void HidManager::ClearFilters() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_filters.clear();
}

void HidManager::AddFilter(const HidDeviceFilter& filter) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_filters.push_back(filter);
}

void HidManager::CloseAll() {
    std::lock_guard<std::mutex> lock(m_lock);
    CloseAllLocked();
    PublishCountLocked();
}

void HidManager::OpenDisplays(const StopSignal* stop) {
    std::lock_guard<std::mutex> lock(m_lock);
    OpenDisplaysLocked(stop);
    PublishCountLocked();
}

void HidManager::Connect(const StopSignal* stop) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_filters.clear();
    m_filters.push_back(HidDeviceFilter{kDisplayVendorId, kDisplayProductId, L"", 1});
    CloseAllLocked();
    OpenDisplaysLocked(stop);
    m_open = 1;
    PublishCountLocked();
}

void HidManager::CloseAllLocked() {
    if (m_open == 0) return;
    m_open = 0;
    m_displays.clear();  // each channel closes its device
}

void HidManager::OpenDisplaysLocked(const StopSignal* stop) {
    EnumerationList list{hid_enumerate(0, 0)};
    for (const hid_device_info* info = list.first; info != nullptr; info = info->next) {
        for (const HidDeviceFilter& filter : m_filters) {
            if (!Matches(filter, *info)) continue;
            // The first matching filter decides; the others are not asked.
            hid_device* device = hid_open_path(info->path);
            if (device == nullptr) break;
            if (info->usage_page != kDisplayUsagePage || info->usage != kDisplayUsage) {
                hid_close(device);  // another collection of the display
                break;
            }
            auto entry = std::make_unique<HidDeviceEntry>();
            entry->channel = DisplayChannel::Open(device);
            if (!entry->channel) break;
            wchar_t product[512];
            entry->channel->ReadProductString(product, 512, stop);  // a failure leaves it empty
            product[511] = L'\0';
            entry->index = static_cast<int>(m_displays.size());
            entry->vendorId = info->vendor_id;
            entry->productId = info->product_id;
            std::memset(entry->path, 0, sizeof(entry->path));
            if (info->path != nullptr) std::strncpy(entry->path, info->path, sizeof(entry->path) - 1);
            entry->productString = product;
            entry->releaseNumber = info->release_number;
            m_displays.push_back(std::move(entry));
            break;
        }
    }
}

void HidManager::PublishCountLocked() { m_count.store(static_cast<int>(m_displays.size())); }

bool HidManager::SendToAll(const TemperatureReport& report, const StopSignal* stop) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_open == 0) return false;
    for (const auto& entry : m_displays) {
        if (!entry->channel) continue;
        // The first 64 bytes of the report in a zero-filled 65-byte report; a failing
        // send is ignored and the next display is tried all the same.
        entry->channel->SendFeatureReport(report.bytes, kTemperatureReportSize - 1,
                                          kTemperatureReportSize, stop);
    }
    return true;
}

bool HidManager::ReadFirmwareVersion(uint16_t* version, const StopSignal* stop) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_open == 0 || m_displays.empty() || !m_displays.front()->channel) return false;
    DisplayChannel& display = *m_displays.front()->channel;  // only the first is asked
    const FirmwareVersionRequest request = BuildFirmwareVersionRequest();

    if (!PauseUnlessStopped(stop, kFirmwareStepPauseMs)) return false;
    if (display.SendFeatureReport(request.bytes, kFirmwareReportSize, kFirmwareReportSize,
                                  stop) < 0) {
        return false;
    }
    if (!PauseUnlessStopped(stop, kFirmwareStepPauseMs)) return false;
    FirmwareVersionRequest reply = request;
    if (display.GetFeatureReport(reply.bytes, kFirmwareReportSize, stop) < 0) return false;
    if (reply.bytes[0] != kDisplayReportId) {
        if (!PauseUnlessStopped(stop, kFirmwareStepPauseMs)) return false;
        reply = request;
        if (display.GetFeatureReport(reply.bytes, kFirmwareReportSize, stop) < 0) return false;
    }
    // Taken from this reply even when its report id is still not 07.
    *version = static_cast<uint16_t>(reply.bytes[1] * 256 + reply.bytes[2]);
    return true;
}

}  // namespace Corvane
