// The window's side of plugging a display in or out: the device-interface broadcasts
// it registers for, the probe of an arriving interface, and the connects a broadcast
// queues. All of it runs on the window thread and only adds commands to the queue.
#pragma once

#include <windows.h>
#include <dbt.h>

#include "device/CommandQueue.h"
#include "device/HidClass.h"

namespace Corvane {

// USB device, disk, HID and network adapter interfaces, in registration order.
extern const GUID kDisplayNotificationClasses[4];

// Registers window for broadcasts of the four classes; returns how many took. The
// registrations are not kept: the system drops them with the window.
int RegisterDisplayNotifications(HWND window);

// True when path opens as a HID collection of usage page 0xFF01, usage 1.
bool ProbeDisplayPath(const wchar_t* path, const HidClassFunctions& hid = SystemHidClass());

// A broadcast of an interface named like the display ("VID_1A2C&PID_444D", in any
// case) queues one connect; an arrival that passes the probe queues a second one.
// Any other broadcast queues nothing.
void OnDisplayChange(const DEV_BROADCAST_DEVICEINTERFACE_W* broadcast, WPARAM event,
                     CommandQueue& commands, const HidClassFunctions& hid = SystemHidClass());

// WM_DEVICECHANGE as the window receives it: arrivals and completed removals of device
// interfaces go to OnDisplayChange. The window answers 0 to every WM_DEVICECHANGE.
void OnDeviceChangeMessage(WPARAM wparam, LPARAM lparam, CommandQueue& commands,
                           const HidClassFunctions& hid = SystemHidClass());

}  // namespace Corvane
