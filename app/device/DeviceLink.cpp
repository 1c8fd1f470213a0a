#include "device/DeviceLink.h"

#include "device/HidManager.h"
#include "device/Reports.h"
#include "device/Temperature.h"
#include "device/WorkerCommand.h"
#include "shell/TraceLog.h"
#include "vela/Manager.h"

namespace Corvane {

namespace {
const DWORD kRefreshWaitMs = 1000;
}  // namespace

DeviceLink::DeviceLink(UpdateCommands* updates) : m_updates(updates) {}

DeviceLink::~DeviceLink() = default;

const SensorRecord* DeviceLink::Record() const { return m_record.load(); }

void DeviceLink::SetFahrenheit(bool fahrenheit) { m_fahrenheit.store(fahrenheit ? 1 : 0); }

void DeviceLink::SetRepaintWindow(HWND window) { m_window.store(window); }

void DeviceLink::PostCommand(uint32_t code) { m_commands.Post(code); }

void DeviceLink::RunPass(const StopSignal& stop) {
    uint32_t code = 0;
    if (!m_commands.TryTake(&code)) {
        RefreshDisplay(stop);
        return;
    }
    switch (code) {
    case kConnectDisplay:
        ConnectDisplay(&stop);
        break;
    case kCheckSoftwareAtStart:
        if (m_updates != nullptr) m_updates->CheckSoftwareAtStart(stop);
        break;
    case kCheckFirmwareAtStart:
        if (m_updates != nullptr) m_updates->CheckFirmwareAtStart(stop);
        break;
    case kDownloadSoftwareUpdate:
        if (m_updates != nullptr) m_updates->DownloadSoftwareUpdate(stop);
        break;
    case kDownloadFirmwareUpdate:
        if (m_updates != nullptr) m_updates->DownloadFirmwareUpdate(stop);
        break;
    default:
        break;  // removed and ignored
    }
}

void DeviceLink::ConnectDisplay(const StopSignal* stop) {
    HidManager::Instance().Connect(stop);
    if (m_record.load() != nullptr) return;
    HANDLE mapping = nullptr;
    const SensorRecord* view = nullptr;
    const bool mapped = OpenSensorMapping(&mapping, &view);
    m_mapping.reset(mapping);
    if (!mapped) return;  // the next connect tries again
    m_view.reset(view);
    m_record.store(view);
}

void DeviceLink::RefreshDisplay(const StopSignal& stop) {
    if (FeedDisplays(&stop)) stop.Wait(kRefreshWaitMs);
}

bool DeviceLink::FeedDisplays(const StopSignal* stop) {
    const SensorRecord* record = m_record.load();
    if (record == nullptr) return false;
    // One load: the trace shows the very value that is sent.
    const float value = LoadCpuTemperature(record);
    int celsius = 0;
    // Exactly 0.0, a value that is not a number and the infinities are no reading.
    if (!CpuDegrees(value, &celsius)) return false;
    TraceLog(kTraceInfo, "cpu_temperatures: %f", WrittenValue(value));

    const int shown = ShownTemperature(celsius, m_fahrenheit.load() == 1);
    const TemperatureReport report = BuildTemperatureReport(shown);
    Vela::Manager::SetCPUTemp(static_cast<float>(shown));
    const HWND window = m_window.load();
    if (window != nullptr) {
        RECT client;
        if (::GetClientRect(window, &client)) ::InvalidateRect(window, &client, FALSE);
    }
    TraceLog(kTraceInfo, "buffer[3]: %d, buffer[4]: %d, buffer[5]: %d", report.bytes[3],
             report.bytes[4], report.bytes[5]);
    HidManager::Instance().SendToAll(report, stop);
    return true;
}

}  // namespace Corvane
