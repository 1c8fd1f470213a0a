#include "ui/DeviceMainDlg.h"

#include "shell/Product.h"
#include "shell/Settings.h"

namespace Corvane {

DeviceMainDlg::DeviceMainDlg() = default;

DeviceMainDlg::~DeviceMainDlg() {
    if (GetSafeHwnd() != nullptr) DestroyWindow();
}

const wchar_t* DeviceMainDlg::GetWindowClassName() const { return L"DeviceMainDlg"; }

int DeviceMainDlg::OnInitDialog() {
    if (GetSafeHwnd() == nullptr) return 0;

    m_ledSwitch = ReadSettingInt(kSettingLedSwitch);
    if (m_ledSwitch == 0) {
        WriteSetting(kSettingLedSwitch, L"1");
        m_ledSwitch = 1;
    }
    m_temperatureType = ReadSettingInt(kSettingTemperatureType);

    LaunchSensorServer();

    // A second instance recognises this window by the product-name property.
    ::SetPropW(GetSafeHwnd(), kProductName, reinterpret_cast<HANDLE>(1));

    // The display link's connect command maps the record once the worker runs; until
    // then the window maps it here.
    MapSensorRecord();
    SetTimer(kSensorWatchTimerId, kSensorWatchPeriodMs, nullptr);
    return 1;
}

void DeviceMainDlg::MapSensorRecord() {
    if (m_record != nullptr) return;
    HANDLE handle = nullptr;
    const SensorRecord* view = nullptr;
    const bool mapped = OpenSensorMapping(&handle, &view);
    m_sensorMapping.reset(handle);
    if (mapped) m_record = view;
}

long DeviceMainDlg::OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER) {
        OnTimer(wparam);
        return 0;
    }
    return MWindow::OnWindowMessage(message, wparam, lparam);
}

void DeviceMainDlg::OnTimer(UINT_PTR id) {
    if (id == kSensorWatchTimerId) {
        if (!m_sensorWatch.Tick(m_record)) KillTimer(kSensorWatchTimerId);
    }
}

}  // namespace Corvane
