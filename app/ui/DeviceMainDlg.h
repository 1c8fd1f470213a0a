// DeviceMainDlg: the program's main window. It starts hidden at the lower right corner
// of the work area; the tray icon brings it up. Its initialisation reads the settings,
// starts the sensor server, installs the tray icon and sets the server watch.
#pragma once

#include "feed/SensorRecord.h"
#include "feed/SensorServer.h"
#include "shell/Handle.h"
#include "ui/TrayIcon.h"
#include "vela/MWindow.h"

namespace Corvane {

class DeviceMainDlg : public Vela::MWindow {
public:
    DeviceMainDlg();
    // Destroys the native window if it still exists, so no message reaches a dead object.
    ~DeviceMainDlg() override;

    // Attributes
    int LedSwitch() const { return m_ledSwitch; }
    int TemperatureType() const { return m_temperatureType; }

    // Overridables
    const wchar_t* GetWindowClassName() const override;
    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    int OnInitDialog() override;

    // Main-window timers.
    static constexpr UINT_PTR TIMER_TRAY_READD = 200;

private:
    void InitTrayIcon();
    long OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    void OnTimer(UINT_PTR id);
    void MoveToCorner();
    void MapSensorRecord();
    int DisplayCount() const;

    int m_ledSwitch = 0;
    int m_temperatureType = 0;  // 0 Celsius, 1 Fahrenheit
    SensorWatch m_sensorWatch;
    TrayIcon m_trayIcon;
    UniqueHandle m_sensorMapping;               // owned; kept for the life of the process
    const SensorRecord* m_record = nullptr;     // the mapped view, never unmapped
};

}  // namespace Corvane
