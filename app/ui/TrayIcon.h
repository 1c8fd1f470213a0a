// TrayIcon: the program's icon in the notification area (icon id 109, tip "Halvex"),
// reporting mouse events to its window as WM_TRAY_NOTIFY. Removing twice is safe.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace Corvane {

inline constexpr UINT WM_TRAY_NOTIFY = WM_USER + 666;  // 1690
inline constexpr UINT kTrayIconId = 109;

// The tray menu's items.
inline constexpr UINT ID_MENU_EXIT = 100;
inline constexpr UINT ID_MENU_DEVICES = 202;
inline constexpr UINT ID_MENU_VERSION = 203;
inline constexpr wchar_t kVersionText[] = L"1.0.0.11";

class TrayIcon {
public:
    TrayIcon();

    // Loads the icon file and adds the icon for window. A missing file still adds an
    // icon record (with no icon); Remove deletes that one too, so no blank entry stays
    // behind in the notification area.
    void Install(HWND window, const std::wstring& iconFile);
    void Remove();
    bool Installed() const { return m_installed; }

    // The three-item menu: "Version: 1.0.0.11", "<n> Device", "Exit". Owned by the caller.
    static HMENU CreateMenu(int displayCount);
    // Shows that menu at the cursor, owned by window; the choice arrives there as WM_COMMAND.
    static void ShowMenu(HWND window, int displayCount);

private:
    NOTIFYICONDATAW m_record;
    bool m_installed = false;
};

}  // namespace Corvane
