#include "ui/TrayIcon.h"

#include <cstdio>

#include "shell/Product.h"

namespace Corvane {

TrayIcon::TrayIcon() : m_record() { m_record.cbSize = sizeof(m_record); }

void TrayIcon::Install(HWND window, const std::wstring& iconFile) {
    // Icons loaded from the file are never destroyed: the shell may still show them.
    HICON icon = static_cast<HICON>(::LoadImageW(nullptr, iconFile.c_str(), IMAGE_ICON, 0, 0,
                                                 LR_LOADFROMFILE | LR_DEFAULTSIZE));
    m_record.hWnd = window;
    m_record.uID = kTrayIconId;
    m_record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_record.uCallbackMessage = WM_TRAY_NOTIFY;
    m_record.hIcon = icon;
    ::lstrcpynW(m_record.szTip, kProductName, ARRAYSIZE(m_record.szTip));
    m_installed = ::Shell_NotifyIconW(NIM_ADD, &m_record) != FALSE;
}

void TrayIcon::Remove() {
    if (!m_installed) return;
    m_installed = false;  // first, so that a second removal does nothing
    m_record.hIcon = nullptr;
    ::Shell_NotifyIconW(NIM_DELETE, &m_record);
}

HMENU TrayIcon::CreateMenu(int displayCount) {
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) return nullptr;
    wchar_t devices[64];
    std::swprintf(devices, 64, L"%d Device", displayCount);
    wchar_t version[64];
    std::swprintf(version, 64, L"Version: %ls", kVersionText);
    ::AppendMenuW(menu, MF_STRING, ID_MENU_VERSION, version);
    ::AppendMenuW(menu, MF_STRING, ID_MENU_DEVICES, devices);
    ::AppendMenuW(menu, MF_STRING, ID_MENU_EXIT, L"Exit");
    return menu;
}

void TrayIcon::ShowMenu(HWND window, int displayCount) {
    HMENU menu = CreateMenu(displayCount);
    if (menu == nullptr) return;
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(window);
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    ::DestroyMenu(menu);
}

}  // namespace Corvane
