// Plugging a display in or out: the broadcasts the window registers for, the
// WM_DEVICECHANGE messages that queue connects, and the probe of an arriving path.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>
#include <objbase.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "device/CommandQueue.h"
#include "device/DisplayNotifications.h"
#include "device/WorkerCommand.h"
#include "support/TestPaths.h"

using Corvane::CommandQueue;
using Corvane::HidClassFunctions;

namespace {

// Wine has no HID devices, so no path opens as a HID collection there. The probe's
// own steps (open the path, attributes, preparsed data, capabilities, free, close)
// run against a plain file, with these stand-ins answering as the HID library would.
struct ProbeAnswers {
    bool preparsed = true;
    NTSTATUS capsStatus = HIDP_STATUS_SUCCESS;
    USAGE usagePage = 0xFF01;
    USAGE usage = 1;
    ULONG attributesSize = 0;  // what the probe passed
    int freed = 0;
} g_answers;

int g_preparsedToken;

BOOLEAN NTAPI FakeGetAttributes(HANDLE, PHIDD_ATTRIBUTES attributes) {
    g_answers.attributesSize = attributes->Size;
    return TRUE;
}
BOOLEAN NTAPI FakeGetPreparsedData(HANDLE, PHIDP_PREPARSED_DATA* data) {
    if (!g_answers.preparsed) return FALSE;
    *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(&g_preparsedToken);
    return TRUE;
}
BOOLEAN NTAPI FakeFreePreparsedData(PHIDP_PREPARSED_DATA data) {
    if (data == reinterpret_cast<PHIDP_PREPARSED_DATA>(&g_preparsedToken)) ++g_answers.freed;
    return TRUE;
}
NTSTATUS NTAPI FakeGetCaps(PHIDP_PREPARSED_DATA, PHIDP_CAPS caps) {
    caps->UsagePage = g_answers.usagePage;
    caps->Usage = g_answers.usage;
    return g_answers.capsStatus;
}

const HidClassFunctions kFakeHid = {FakeGetAttributes, FakeGetPreparsedData, FakeFreePreparsedData,
                                    FakeGetCaps};

// A plain file that stands for a device path, named like the display's interface.
class PathFile {
public:
    PathFile() : m_scratch(L"probe"), m_path(m_scratch.path() + L"hid#vid_1a2c&pid_444d#device") {
        HANDLE file = ::CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ::CloseHandle(file);
    }
    const std::wstring& path() const { return m_path; }

private:
    TestSupport::ScratchDir m_scratch;
    std::wstring m_path;
};

// A window whose WM_DEVICECHANGE goes where the main window's goes, queuing here.
CommandQueue* g_queue;
const HidClassFunctions* g_hid;

LRESULT CALLBACK DeviceChangeProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DEVICECHANGE) {
        Corvane::OnDeviceChangeMessage(wparam, lparam, *g_queue, *g_hid);
        return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

HWND CreateDeviceChangeWindow() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DeviceChangeProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"DeviceChangeTest";
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, L"DeviceChangeTest", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
}

// A device-interface broadcast with its name, as the system sends it.
std::vector<unsigned char> Broadcast(DWORD deviceType, const std::wstring& name) {
    const size_t offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    std::vector<unsigned char> bytes(offset + (name.size() + 1) * sizeof(wchar_t), 0);
    auto* broadcast = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    broadcast->dbcc_size = static_cast<DWORD>(bytes.size());
    broadcast->dbcc_devicetype = deviceType;
    std::memcpy(broadcast->dbcc_name, name.c_str(), name.size() * sizeof(wchar_t));
    return bytes;
}

int QueuedConnects(CommandQueue& queue) {
    int connects = 0;
    uint32_t code = 0;
    while (queue.TryTake(&code)) {
        if (code == Corvane::kConnectDisplay) ++connects;
    }
    return connects;
}

}  // namespace

TEST(DisplayNotifications, RegistersTheFourInterfaceClasses) {
    const wchar_t* const expected[4] = {
        L"{A5DCBF10-6530-11D2-901F-00C04FB951ED}",  // USB device
        L"{53F56307-B6BF-11D0-94F2-00A0C91EFB8B}",  // disk
        L"{4D1E55B2-F16F-11CF-88CB-001111000030}",  // HID
        L"{AD498944-762F-11D0-8DCB-00C04FC3358C}",  // network adapter
    };
    for (int i = 0; i < 4; ++i) {
        GUID guid = {};
        ASSERT_EQ(::CLSIDFromString(expected[i], &guid), NOERROR);
        EXPECT_TRUE(::IsEqualGUID(guid, Corvane::kDisplayNotificationClasses[i])) << i;
    }
    HWND window = CreateDeviceChangeWindow();
    EXPECT_EQ(Corvane::RegisterDisplayNotifications(window), 4);
    ::DestroyWindow(window);
}

TEST(DisplayNotifications, QueueConnectsForTheDisplaysBroadcasts) {
    PathFile probed;  // a path that passes the stand-in probe
    const std::wstring display = L"\\\\?\\hid#vid_1a2c&pid_444d&col01#7&2a1b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    struct Case {
        const char* what;
        WPARAM event;
        DWORD deviceType;
        std::wstring name;
        const HidClassFunctions* hid;
        int connects;
    } cases[] = {
        // Wine's own HID library: the path does not open, so the probe fails.
        {"arrival, lower case", DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE, display,
         &Corvane::SystemHidClass(), 1},
        {"removal, upper case", DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE,
         L"\\\\?\\HID#VID_1A2C&PID_444D&COL01#7&2A1B&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030}",
         &Corvane::SystemHidClass(), 1},
        {"arrival that passes the probe", DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE,
         probed.path(), &kFakeHid, 2},
        {"removal that would pass the probe", DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE,
         probed.path(), &kFakeHid, 1},
        {"another device", DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE,
         L"\\\\?\\hid#vid_046d&pid_c52b&mi_00#7&1c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
         &kFakeHid, 0},
        {"the display's vendor, another product", DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE,
         L"\\\\?\\hid#vid_1a2c&pid_5555#7&1c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
         &kFakeHid, 0},
        {"another event", DBT_DEVICEQUERYREMOVE, DBT_DEVTYP_DEVICEINTERFACE, display, &kFakeHid, 0},
        {"a volume, not an interface", DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, display, &kFakeHid, 0},
    };
    CommandQueue queue;
    g_queue = &queue;
    HWND window = CreateDeviceChangeWindow();
    for (const Case& c : cases) {
        g_hid = c.hid;
        g_answers = ProbeAnswers();
        std::vector<unsigned char> broadcast = Broadcast(c.deviceType, c.name);
        EXPECT_EQ(::SendMessageW(window, WM_DEVICECHANGE, c.event,
                                 reinterpret_cast<LPARAM>(broadcast.data())),
                  0);
        EXPECT_EQ(QueuedConnects(queue), c.connects) << c.what;
    }
    // Broadcasts without data, such as "device nodes changed".
    ::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    ::SendMessageW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    EXPECT_EQ(QueuedConnects(queue), 0);
    ::DestroyWindow(window);
}

TEST(ProbeDisplayPath, AcceptsOnlyTheDisplaysCollection) {
    PathFile file;
    struct Case {
        const char* what;
        bool preparsed;
        NTSTATUS capsStatus;
        USAGE usagePage, usage;
        bool expected;
    } cases[] = {
        {"the display's collection", true, HIDP_STATUS_SUCCESS, 0xFF01, 1, true},
        {"another usage page", true, HIDP_STATUS_SUCCESS, 0xFF00, 1, false},
        {"another usage", true, HIDP_STATUS_SUCCESS, 0xFF01, 2, false},
        {"capabilities fail", true, HIDP_STATUS_INVALID_PREPARSED_DATA, 0xFF01, 1, false},
        {"no preparsed data", false, HIDP_STATUS_SUCCESS, 0xFF01, 1, false},
    };
    for (const Case& c : cases) {
        g_answers = ProbeAnswers();
        g_answers.preparsed = c.preparsed;
        g_answers.capsStatus = c.capsStatus;
        g_answers.usagePage = c.usagePage;
        g_answers.usage = c.usage;
        EXPECT_EQ(Corvane::ProbeDisplayPath(file.path().c_str(), kFakeHid), c.expected) << c.what;
        EXPECT_EQ(g_answers.attributesSize, 12u) << c.what;
        EXPECT_EQ(g_answers.freed, c.preparsed ? 1 : 0) << c.what;
    }
    // The probe closed its handle every time: the file can be opened exclusively.
    HANDLE exclusive = ::CreateFileW(file.path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    ::CloseHandle(exclusive);
}

TEST(ProbeDisplayPath, FailsOnPathsThatAreNoHidCollection) {
    // The system's HID library, as Wine provides it.
    PathFile file;
    EXPECT_FALSE(Corvane::ProbeDisplayPath(file.path().c_str()));
    EXPECT_FALSE(Corvane::ProbeDisplayPath(L"\\\\?\\hid#vid_1a2c&pid_444d#missing"));
}
