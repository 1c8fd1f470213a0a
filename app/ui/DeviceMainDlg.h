// DeviceMainDlg: the program's main window. It starts hidden at the lower right corner
// of the work area; the tray icon brings it up. Its initialisation reads the settings,
// starts the sensor server and sets the server watch.
#pragma once

#include "feed/SensorRecord.h"
#include "feed/SensorServer.h"
#include "shell/Handle.h"
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

private:
    void OnTimer(UINT_PTR id);
    void MapSensorRecord();

    int m_ledSwitch = 0;
    int m_temperatureType = 0;  // 0 Celsius, 1 Fahrenheit
    SensorWatch m_sensorWatch;
    UniqueHandle m_sensorMapping;               // owned; kept for the life of the process
    const SensorRecord* m_record = nullptr;     // the mapped view, never unmapped
};

}  // namespace Corvane
