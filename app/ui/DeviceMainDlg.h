// DeviceMainDlg: the program's main window. It starts hidden at the lower right corner
// of the work area; the tray icon brings it up.
#pragma once

#include "vela/MWindow.h"

namespace Corvane {

class DeviceMainDlg : public Vela::MWindow {
public:
    DeviceMainDlg();
    // Destroys the native window if it still exists, so no message reaches a dead object.
    ~DeviceMainDlg() override;

    const wchar_t* GetWindowClassName() const override;
    int OnInitDialog() override;
};

}  // namespace Corvane
