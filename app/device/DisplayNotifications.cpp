#include "device/DisplayNotifications.h"

#include <cstddef>
#include <cwctype>
#include <string>

#include "device/HidManager.h"
#include "device/WorkerCommand.h"
#include "shell/Handle.h"

namespace Corvane {

const GUID kDisplayNotificationClasses[4] = {
    {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}},  // USB device
    {0x53F56307, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}},  // disk
    {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}},  // HID
    {0xAD498944, 0x762F, 0x11D0, {0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C}},  // network adapter
};

namespace {

const wchar_t kDisplayNamePattern[] = L"VID_1A2C&PID_444D";

// The interface name, read no further than the broadcast's own size.
std::wstring InterfaceName(const DEV_BROADCAST_DEVICEINTERFACE_W& broadcast) {
    const size_t offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    if (broadcast.dbcc_size <= offset) return std::wstring();
    const size_t capacity = (broadcast.dbcc_size - offset) / sizeof(wchar_t);
    size_t length = 0;
    while (length < capacity && broadcast.dbcc_name[length] != L'\0') ++length;
    return std::wstring(broadcast.dbcc_name, length);
}

}  // namespace

int RegisterDisplayNotifications(HWND window) {
    int registered = 0;
    for (const GUID& interfaceClass : kDisplayNotificationClasses) {
        DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
        filter.dbcc_size = sizeof(filter);  // 32 bytes
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        filter.dbcc_classguid = interfaceClass;
        if (::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE) != nullptr) {
            ++registered;
        }
    }
    return registered;
}

bool ProbeDisplayPath(const wchar_t* path, const HidClassFunctions& hid) {
    if (path == nullptr || hid.GetAttributes == nullptr || hid.GetPreparsedData == nullptr ||
        hid.FreePreparsedData == nullptr || hid.GetCaps == nullptr) {
        return false;
    }
    UniqueHandle device(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr));
    if (!device) return false;
    HIDD_ATTRIBUTES attributes = {};
    attributes.Size = sizeof(attributes);  // 12 bytes
    hid.GetAttributes(device.get(), &attributes);  // read, not used
    PHIDP_PREPARSED_DATA data = nullptr;
    if (!hid.GetPreparsedData(device.get(), &data)) return false;
    HIDP_CAPS caps = {};
    const bool display = hid.GetCaps(data, &caps) == HIDP_STATUS_SUCCESS &&
                         caps.UsagePage == kDisplayUsagePage && caps.Usage == kDisplayUsage;
    hid.FreePreparsedData(data);
    return display;
}

void OnDisplayChange(const DEV_BROADCAST_DEVICEINTERFACE_W* broadcast, WPARAM event,
                     CommandQueue& commands, const HidClassFunctions& hid) {
    if (broadcast == nullptr) return;
    const std::wstring name = InterfaceName(*broadcast);
    std::wstring upper = name;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    if (upper.find(kDisplayNamePattern) == std::wstring::npos) return;
    // The probe gets the name as the broadcast gives it.
    if (event == DBT_DEVICEARRIVAL && ProbeDisplayPath(name.c_str(), hid)) {
        commands.Post(kConnectDisplay);
    }
    commands.Post(kConnectDisplay);
}

void OnDeviceChangeMessage(WPARAM wparam, LPARAM lparam, CommandQueue& commands,
                           const HidClassFunctions& hid) {
    if (wparam != DBT_DEVICEARRIVAL && wparam != DBT_DEVICEREMOVECOMPLETE) return;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return;
    OnDisplayChange(reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header), wparam,
                    commands, hid);
}

}  // namespace Corvane
