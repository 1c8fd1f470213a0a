#include "ui/DeviceMainDlg.h"

#include <imm.h>

#include "device/DisplayNotifications.h"
#include "device/HidManager.h"
#include "device/WorkerCommand.h"
#include "shell/LogonTask.h"
#include "shell/Paths.h"
#include "shell/Product.h"
#include "shell/Settings.h"
#include "update/UpdatePrompt.h"
#include "update/UpdateServer.h"
#include "ui/MessageBox.h"
#include "vela/MPicture.h"

namespace Corvane {

static_assert(kCheckSoftwareAtStart == static_cast<uint32_t>(kCheckSoftwareCommand) &&
                  kCheckFirmwareAtStart == static_cast<uint32_t>(kCheckFirmwareCommand) &&
                  kDownloadSoftwareUpdate == static_cast<uint32_t>(kDownloadSoftwareCommand) &&
                  kDownloadFirmwareUpdate == static_cast<uint32_t>(kDownloadFirmwareCommand),
              "the update commands are the worker's codes 5 to 8");

namespace {
// Asks the user whether to update, in the program's own box with YES and NO.
class AskWithMessageBox : public UpdateConsent {
public:
    int AskUser(const std::wstring& text, const std::wstring& caption) override {
        return ShowMessageBox(text.c_str(), caption.c_str(), kButtonsYesNo);
    }
};

const unsigned kClosePictureId = 31;
}  // namespace

DeviceMainDlg::DeviceMainDlg() = default;

DeviceMainDlg::~DeviceMainDlg() {
    StopWorker();
    m_trayIcon.Remove();
    if (GetSafeHwnd() != nullptr) DestroyWindow();
}

const wchar_t* DeviceMainDlg::GetWindowClassName() const { return L"DeviceMainDlg"; }

int DeviceMainDlg::OnInitDialog() {
    if (GetSafeHwnd() == nullptr) return 0;
    MDialog::OnInitDialog();  // the paint manager, then InitUI

    m_ledSwitch = ReadSettingInt(kSettingLedSwitch);
    if (m_ledSwitch == 0) {
        WriteSetting(kSettingLedSwitch, L"1");
        m_ledSwitch = 1;
    }
    m_temperatureType = ReadSettingInt(kSettingTemperatureType);
    m_link.SetFahrenheit(m_temperatureType == 1);
    LoadUnitBackground();

    RegisterLogonTask();  // its outcome is not looked at
    LaunchSensorServer();
    InitTrayIcon();
    // Created visible and topmost; the modal run hides it until the tray icon is clicked.
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);

    m_updates = std::make_unique<UpdateService>(ReadUpdateRoot(), kVersionText, GetSafeHwnd());
    m_link.SetRepaintWindow(GetSafeHwnd());
    StartWorker();
    // The software check runs before the display is connected, the firmware check after.
    m_link.PostCommand(kCheckSoftwareAtStart);
    m_link.PostCommand(kConnectDisplay);
    m_link.PostCommand(kCheckFirmwareAtStart);
    SetTimer(kSensorWatchTimerId, kSensorWatchPeriodMs, nullptr);
    return 1;
}

void DeviceMainDlg::RunPass() { m_link.RunPass(WorkerStop()); }

void DeviceMainDlg::InitUI(Vela::CRect client) {
    SetLayeredWindow(1);
    EnableDrawInfo(1);  // the library draws the temperature the worker hands to Manager
    m_closePicture = CreateArea(L"MPicture", kClosePictureId, Vela::CRect(), nullptr, 1, 1);
    if (auto* picture = static_cast<Vela::MPicture*>(m_closePicture)) {
        picture->SetImage(L"img_btn_close.png", 1);
    }
    UISize(client);
}

void DeviceMainDlg::UISize(Vela::CRect client) {
    if (client.Width() <= 10) return;
    m_closeRect = Vela::CRect(295, 25, 313, 42);
    // The creation's size message comes before InitUI made the picture.
    if (m_closePicture != nullptr) m_closePicture->SetRect(m_closeRect);
    m_unitRect = Vela::CRect(40, 155, client.right - 40, client.bottom - 40);
}

long DeviceMainDlg::OnMessage(unsigned long, unsigned long, unsigned long, long) { return 0; }

void DeviceMainDlg::LoadUnitBackground() {
    LoadBKImage(m_temperatureType == 0 ? L"img_cpu_bkg5.png" : L"img_cpu_bkg6.png");
}

void DeviceMainDlg::RepaintAll() {
    Vela::CRect client;
    GetClientRect(&client);
    InvalidateRect(&client, 0);
}

int DeviceMainDlg::OnLButtonDown(UINT keys, Vela::CPoint point) {
    const int result = MDialog::OnLButtonDown(keys, point);
    if (m_unitRect.PtInRect(point)) {
        m_temperatureType = m_temperatureType != 0 ? 0 : 1;
        WriteSetting(kSettingTemperatureType, m_temperatureType == 0 ? L"0" : L"1");
        m_link.SetFahrenheit(m_temperatureType == 1);
    } else if (m_closeRect.PtInRect(point)) {
        ShowWindow(SW_HIDE);
    }
    LoadUnitBackground();
    RepaintAll();
    return result;
}

int DeviceMainDlg::OnMouseMove(UINT keys, Vela::CPoint point) {
    const int result = MDialog::OnMouseMove(keys, point);
    const bool hover = m_closeRect.PtInRect(point);
    if (hover != m_closeHover) {
        m_closeHover = hover;
        RepaintAll();
    }
    return result;
}

int DeviceMainDlg::OnLButtonUp(UINT keys, Vela::CPoint point) {
    return MDialog::OnLButtonUp(keys, point);
}

void DeviceMainDlg::InitTrayIcon() {
    // A second instance recognises this window by the product-name property.
    ::SetPropW(GetSafeHwnd(), kProductName, reinterpret_cast<HANDLE>(1));
    m_trayIcon.Install(GetSafeHwnd(), GetSkinFolder() + L"Corvane.ico");
    SetIcon(107);
    SetTimer(TIMER_TRAY_READD, 10000, nullptr);
    // No input method for this window.
    if (HIMC context = ::ImmGetContext(GetSafeHwnd())) {
        ::ImmSetOpenStatus(context, FALSE);
        ::ImmReleaseContext(GetSafeHwnd(), context);
    }
    ::ImmAssociateContext(GetSafeHwnd(), nullptr);
    RegisterDisplayNotifications(GetSafeHwnd());
}

long DeviceMainDlg::OnTrayNotify(WPARAM /*iconId*/, LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONDOWN) {
        ::SetForegroundWindow(GetSafeHwnd());
        ShowWindow(SW_SHOWNORMAL);
        ::UpdateWindow(GetSafeHwnd());
        ::BringWindowToTop(GetSafeHwnd());
        MoveToCorner();
    } else if (mouseMessage == WM_RBUTTONUP) {
        TrayIcon::ShowMenu(GetSafeHwnd(), HidManager::Instance().DisplayCount());
    }
    return 0;
}

// 340 x 250, 3 pixels inside the lower right corner of the current work area.
void DeviceMainDlg::MoveToCorner() {
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    MoveWindow(work.right - 343, work.bottom - 253, 340, 250, TRUE);
}

long DeviceMainDlg::OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_TRAY_NOTIFY:
        return OnTrayNotify(wparam, lparam);
    case WM_UPDATE_RESULT:
        return OnUpdateResult(wparam, lparam);
    case WM_DEVICECHANGE:
        OnDeviceChangeMessage(wparam, lparam, m_link.Commands());
        return 0;
    case WM_COMMAND:
        if (wparam == ID_MENU_EXIT) {
            // Exit: the icon goes first, then the process ends at once.
            m_trayIcon.Remove();
            ::ExitProcess(0);
        }
        break;
    default:
        break;
    }
    return MDialog::OnWindowMessage(message, wparam, lparam);
}

void DeviceMainDlg::OnTimer(UINT_PTR id) {
    if (id == kSensorWatchTimerId) {
        if (!m_sensorWatch.Tick(m_link.Record())) KillTimer(kSensorWatchTimerId);
    } else if (id == TIMER_TRAY_READD) {
        // The notification area may not have been ready at logon: add the icon once more.
        KillTimer(TIMER_TRAY_READD);
        m_trayIcon.Remove();
        m_trayIcon.Install(GetSafeHwnd(), GetSkinFolder() + L"Corvane.ico");
        MoveToCorner();
    }
}

long DeviceMainDlg::OnUpdateResult(WPARAM kind, LPARAM newer) {
    if (m_updates == nullptr) return 0;
    AskWithMessageBox consent;
    const UpdateCommand command = DecideUpdateResult(kind, newer, *m_updates, consent);
    if (command != kNoUpdateCommand) m_link.PostCommand(static_cast<uint32_t>(command));
    return 0;
}

// The update commands run on the worker thread.
// A stop of the worker (the ordered shutdown) ends a transfer under way.
void DeviceMainDlg::CheckSoftwareAtStart(const StopSignal& stop) {
    m_updates->CheckSoftwareAtStart(stop.handle());
}

void DeviceMainDlg::CheckFirmwareAtStart(const StopSignal& stop) {
    m_updates->CheckFirmwareAtStart([&stop] {
        uint16_t version = 0;
        return HidManager::Instance().ReadFirmwareVersion(&version, &stop) ? int(version) : -1;
    }, stop.handle());
}

void DeviceMainDlg::DownloadSoftwareUpdate(const StopSignal& stop) {
    // The update's program now runs: end as Exit does, on the window thread.
    if (m_updates->DownloadSoftwareUpdate(stop.handle()) == DownloadOutcome::kEndProcess) {
        PostMessageW(WM_COMMAND, ID_MENU_EXIT, 0);
    }
}

void DeviceMainDlg::DownloadFirmwareUpdate(const StopSignal& stop) {
    if (m_updates->DownloadFirmwareUpdate(stop.handle()) == DownloadOutcome::kEndProcess) {
        PostMessageW(WM_COMMAND, ID_MENU_EXIT, 0);
    }
}

}  // namespace Corvane
