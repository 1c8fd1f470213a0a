// hidsim: hidapi 0.13.1's interface over simulated displays (see README.md). The
// feature-report calls, enumeration, open, close and the product string work; every
// other call of the interface fails.
#include <windows.h>

#include <hidapi.h>
#include <hidapi_winapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

#include "SimConfig.h"
#include "SimLog.h"

// One open collection: what it does is fixed when it is opened.
struct hid_device_ {
    int index;
    uint16_t vendorId;
    uint16_t productId;
    bool failSend;
    bool failGet;
    bool hang;
    std::vector<uint16_t> firmware;
    std::vector<uint8_t> replyIds;
    size_t gets;  // feature-report reads answered so far
};

namespace {

const wchar_t kProductString[] = L"hidsim display";
const wchar_t kManufacturerString[] = L"hidsim";
const wchar_t kNotSupported[] = L"hidsim: not supported";

std::mutex& StateLock() {
    static std::mutex lock;
    return lock;
}

HidSim::Config& State() {  // guarded by StateLock
    static HidSim::Config config = HidSim::ReadConfig();
    return config;
}

HidSim::Config Reload() {
    std::lock_guard<std::mutex> lock(StateLock());
    State() = HidSim::ReadConfig();
    return State();
}

HidSim::Config Current() {
    std::lock_guard<std::mutex> lock(StateLock());
    return State();
}

std::wstring ReportLogPath() {
    std::lock_guard<std::mutex> lock(StateLock());
    return State().logPath;
}

std::wstring HandleLogPath() {
    std::lock_guard<std::mutex> lock(StateLock());
    return State().handleLogPath;
}

// Set by hid_exit: calls of a display that never answers come back then (with -1).
HANDLE Released() {
    static HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

int HangUntilReleased() {
    ::WaitForSingleObject(Released(), INFINITE);
    return -1;
}

std::string PathOf(int index, const HidSim::Collection& c) {
    char path[160];
    std::snprintf(path, sizeof(path),
                  "\\\\?\\hid#vid_%04x&pid_%04x&col%02d#hidsim&%d#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  c.vendorId, c.productId, index + 1, index);
    return path;
}

char* CopyText(const std::string& text) {
    char* copy = static_cast<char*>(std::calloc(text.size() + 1, 1));
    if (copy != nullptr) std::memcpy(copy, text.data(), text.size());
    return copy;
}

wchar_t* CopyText(const wchar_t* text) {
    const size_t length = std::wcslen(text);
    wchar_t* copy = static_cast<wchar_t*>(std::calloc(length + 1, sizeof(wchar_t)));
    if (copy != nullptr) std::memcpy(copy, text, length * sizeof(wchar_t));
    return copy;
}

int CopyString(const wchar_t* text, wchar_t* out, size_t count) {
    if (out == nullptr || count == 0) return -1;
    std::wcsncpy(out, text, count);
    out[count - 1] = L'\0';
    return 0;
}

template <typename T>
T Nth(const std::vector<T>& values, size_t n) {
    return values[n < values.size() ? n : values.size() - 1];
}

}  // namespace

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void) {
    ::ResetEvent(Released());
    Reload();
    return 0;
}

int HID_API_EXPORT HID_API_CALL hid_exit(void) {
    ::SetEvent(Released());
    return 0;
}

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_enumerate(unsigned short vendor_id,
                                                                  unsigned short product_id) {
    const HidSim::Config config = Reload();
    hid_device_info* first = nullptr;
    hid_device_info** next = &first;
    for (size_t i = 0; i < config.collections.size(); ++i) {
        const HidSim::Collection& c = config.collections[i];
        if (vendor_id != 0 && vendor_id != c.vendorId) continue;
        if (product_id != 0 && product_id != c.productId) continue;
        auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
        if (info == nullptr) break;
        const int index = static_cast<int>(i);
        info->path = CopyText(PathOf(index, c));
        info->vendor_id = c.vendorId;
        info->product_id = c.productId;
        info->serial_number = CopyText(L"");
        info->release_number = 0x0100;
        info->manufacturer_string = CopyText(kManufacturerString);
        info->product_string = CopyText(kProductString);
        info->usage_page = c.usagePage;
        info->usage = c.usage;
        info->interface_number = -1;
        info->bus_type = HID_API_BUS_USB;
        *next = info;
        next = &info->next;
    }
    return first;
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info* devs) {
    while (devs != nullptr) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open_path(const char* path) {
    if (path == nullptr) return nullptr;
    const HidSim::Config config = Current();
    for (size_t i = 0; i < config.collections.size(); ++i) {
        const int index = static_cast<int>(i);
        const HidSim::Collection& c = config.collections[i];
        if (PathOf(index, c) != path) continue;
        if (config.failOpen.Contains(index)) return nullptr;
        auto* device = new hid_device_{index,
                                       c.vendorId,
                                       c.productId,
                                       config.failSend.Contains(index),
                                       config.failGet.Contains(index),
                                       config.hang.Contains(index),
                                       config.firmware,
                                       config.replyIds,
                                       0};
        HidSim::AppendLine(config.handleLogPath, "open " + std::to_string(index));
        return device;
    }
    return nullptr;
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device* dev) {
    if (dev == nullptr) return;
    HidSim::AppendLine(HandleLogPath(), "close " + std::to_string(dev->index));
    delete dev;
}

int HID_API_EXPORT_CALL hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen) {
    if (dev == nullptr) return -1;
    if (dev->hang) return HangUntilReleased();
    return CopyString(kProductString, string, maxlen);
}

int HID_API_EXPORT HID_API_CALL hid_send_feature_report(hid_device* dev, const unsigned char* data,
                                                        size_t length) {
    if (dev == nullptr || data == nullptr) return -1;
    if (dev->hang) return HangUntilReleased();
    const std::wstring log = ReportLogPath();
    if (!log.empty()) {
        std::string line = HidSim::ReportLine("send", dev->index, data, length);
        if (dev->failSend) line += " fail";
        HidSim::AppendLine(log, line);
    }
    return dev->failSend ? -1 : static_cast<int>(length);
}

int HID_API_EXPORT HID_API_CALL hid_get_feature_report(hid_device* dev, unsigned char* data,
                                                       size_t length) {
    if (dev == nullptr || data == nullptr || length == 0) return -1;
    if (dev->hang) return HangUntilReleased();
    if (dev->failGet) {
        HidSim::AppendLine(ReportLogPath(),
                           "get " + std::to_string(dev->index) + " " + std::to_string(length) + " fail");
        return -1;
    }
    // The display's reply: report id, firmware version high and low byte, zeros.
    const uint16_t version = Nth(dev->firmware, dev->gets);
    std::memset(data, 0, length);
    data[0] = Nth(dev->replyIds, dev->gets);
    if (length > 1) data[1] = static_cast<unsigned char>(version >> 8);
    if (length > 2) data[2] = static_cast<unsigned char>(version & 0xFF);
    ++dev->gets;
    const std::wstring log = ReportLogPath();
    if (!log.empty()) HidSim::AppendLine(log, HidSim::ReportLine("get", dev->index, data, length));
    return static_cast<int>(length);
}

// The rest of the interface: failing stubs.

HID_API_EXPORT hid_device* HID_API_CALL hid_open(unsigned short, unsigned short, const wchar_t*) {
    return nullptr;
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device*, const unsigned char*, size_t) { return -1; }

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device*, unsigned char*, size_t, int) {
    return -1;
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device*, unsigned char*, size_t) { return -1; }

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device*, int) { return -1; }

int HID_API_EXPORT HID_API_CALL hid_get_input_report(hid_device*, unsigned char*, size_t) {
    return -1;
}

int HID_API_EXPORT_CALL hid_get_manufacturer_string(hid_device*, wchar_t*, size_t) { return -1; }

int HID_API_EXPORT_CALL hid_get_serial_number_string(hid_device*, wchar_t*, size_t) { return -1; }

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_get_device_info(hid_device*) {
    return nullptr;
}

int HID_API_EXPORT_CALL hid_get_indexed_string(hid_device*, int, wchar_t*, size_t) { return -1; }

HID_API_EXPORT const wchar_t* HID_API_CALL hid_error(hid_device*) { return kNotSupported; }

HID_API_EXPORT const struct hid_api_version* HID_API_CALL hid_version(void) {
    static const hid_api_version version = {HID_API_VERSION_MAJOR, HID_API_VERSION_MINOR,
                                            HID_API_VERSION_PATCH};
    return &version;
}

HID_API_EXPORT const char* HID_API_CALL hid_version_str(void) { return HID_API_VERSION_STR; }

int HID_API_EXPORT_CALL hid_winapi_get_container_id(hid_device*, GUID*) { return -1; }

}  // extern "C"
