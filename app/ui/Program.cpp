#include "ui/Program.h"

#include <objbase.h>
#include <ole2.h>
#include <gdiplus.h>

#include <memory>

#include "feed/SensorServer.h"
#include "shell/Paths.h"
#include "shell/Process.h"
#include "shell/TraceLog.h"
#include "ui/DeviceMainDlg.h"
#include "vela/Manager.h"

namespace Corvane {
namespace {

void AttachTraceToDataFolder() {
    const std::wstring folder = GetDataFolder();
    if (EnsureDirectory(folder)) AttachTraceFile(folder + L"trace.log");
}

// The main window: 340 x 250, 3 pixels inside the work area's lower right corner.
Vela::CRect MainWindowRect(const RECT& workArea) {
    return Vela::CRect(workArea.right - 343, workArea.bottom - 253, workArea.right - 3,
                       workArea.bottom - 3);
}

}  // namespace

int RunProgram(HINSTANCE instance) {
    bool alreadyRunning = false;
    UniqueHandle mutex = ClaimSingleInstance(&alreadyRunning);
    if (alreadyRunning) {
        FindInstanceWindow();  // found, and left as it is
        return 0;
    }

    ApplyDpiAwarenessRule();
    EnableDebugPrivilege();
    KillProcessByName(kSensorServerExe);

    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    Vela::Manager::SetInstance(instance);
    ::CoInitialize(nullptr);
    ::OleInitialize(nullptr);
    AttachTraceToDataFolder();

    auto mainWindow = std::make_unique<DeviceMainDlg>();  // owned for the whole run

    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    RECT workArea = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    TraceLog(kTraceInfo, "screen_width: %d, screen_height: %d, workArea(%d-%d-%d-%d)", screenWidth,
             screenHeight, workArea.left, workArea.top, workArea.right, workArea.bottom);
    mainWindow->Create(nullptr, L"DIGITAL", 0x96000000, 0x80, MainWindowRect(workArea));
    mainWindow->ShowModal(SW_HIDE);

    KillProcessByName(kSensorServerExe);
    // The window object goes first: it releases its images, fonts and brushes while
    // GDI+ still runs, and its native window while COM and OLE are still initialised.
    mainWindow.reset();
    ::CoUninitialize();
    ::OleUninitialize();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    DetachTraceFile();
    return 1;
}

}  // namespace Corvane
