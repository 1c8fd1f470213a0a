// DeviceMainDlg: the program's main window, a layered Vela dialog that shows the CPU
// temperature over the background of the chosen unit; a click on the lower band switches
// the unit, the close picture hides it. It starts hidden at the lower right corner of
// the work area; the tray icon brings it up. Its initialisation reads the settings,
// starts the sensor server, installs the tray icon, starts the worker that feeds the
// displays and sets the server watch.
#pragma once

#include "device/CThreadBasic.h"
#include "device/DeviceLink.h"
#include "device/UpdateCommands.h"
#include "feed/SensorServer.h"
#include "ui/TrayIcon.h"
#include "update/UpdateMessages.h"
#include "update/UpdateService.h"
#include "vela/MDialog.h"

#include <memory>

namespace Corvane {

class DeviceMainDlg : public Vela::MDialog, public CThreadBasic, private UpdateCommands {
public:
    DeviceMainDlg();
    // Stops the worker first, then removes the tray icon and destroys the native window
    // if it still exists, so no pass and no message reaches a dead object.
    ~DeviceMainDlg() override;

    // Attributes
    int LedSwitch() const { return m_ledSwitch; }
    int TemperatureType() const { return m_temperatureType; }

    // Overridables
    const wchar_t* GetWindowClassName() const override;
    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    int OnInitDialog() override;
    void InitUI(Vela::CRect clientRect) override;
    void UISize(Vela::CRect clientRect) override;
    long OnMessage(unsigned long id, unsigned long message, unsigned long wparam,
                   long lparam) override;
    int OnMouseMove(UINT keys, Vela::CPoint point) override;
    int OnLButtonDown(UINT keys, Vela::CPoint point) override;
    int OnLButtonUp(UINT keys, Vela::CPoint point) override;
    void OnTimer(UINT_PTR id) override;
    void RunPass() override;

    // Fixed geometry of the window's client area.
    static constexpr int kWidth = 340;
    static constexpr int kHeight = 250;

    // Main-window timers.
    static constexpr UINT_PTR TIMER_TRAY_READD = 200;
    // Posted by the update checks: wParam 1 software / 2 firmware, lParam 1 = newer exists.
    static constexpr UINT WM_UPDATE_RESULT = kUpdateResultMessage;

private:
    void InitTrayIcon();
    long OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    long OnUpdateResult(WPARAM kind, LPARAM newer);
    void MoveToCorner();
    void LoadUnitBackground();
    void RepaintAll();

    // The update commands of the worker.
    void CheckSoftwareAtStart(const StopSignal& stop) override;
    void CheckFirmwareAtStart(const StopSignal& stop) override;
    void DownloadSoftwareUpdate(const StopSignal& stop) override;
    void DownloadFirmwareUpdate(const StopSignal& stop) override;

    int m_ledSwitch = 0;
    int m_temperatureType = 0;  // 0 Celsius, 1 Fahrenheit
    Vela::MControl* m_closePicture = nullptr;  // not owned: the paint manager owns it
    Vela::CRect m_closeRect;
    Vela::CRect m_unitRect;
    bool m_closeHover = false;
    SensorWatch m_sensorWatch;
    TrayIcon m_trayIcon;
    DeviceLink m_link{this};  // the worker's queue, the sensor record, the displays
    std::unique_ptr<UpdateService> m_updates;  // owned; made before the worker starts
};

}  // namespace Corvane
