// The tray menu's items, read back from the menu the tray builds.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/TrayIcon.h"

namespace {
std::wstring ItemText(HMENU menu, int index) {
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(index), text, 128, MF_BYPOSITION);
    return text;
}
}  // namespace

TEST(TrayMenu, ShowsVersionDeviceCountAndExit) {
    struct Case {
        int displays;
        const wchar_t* devicesText;
    } cases[] = {{0, L"0 Device"}, {2, L"2 Device"}};
    for (const Case& c : cases) {
        HMENU menu = Corvane::TrayIcon::CreateMenu(c.displays);
        ASSERT_NE(nullptr, menu);
        ASSERT_EQ(3, ::GetMenuItemCount(menu));
        EXPECT_EQ(L"Version: 1.0.0.11", ItemText(menu, 0));
        EXPECT_EQ(c.devicesText, ItemText(menu, 1));
        EXPECT_EQ(L"Exit", ItemText(menu, 2));
        EXPECT_EQ(203u, ::GetMenuItemID(menu, 0));
        EXPECT_EQ(202u, ::GetMenuItemID(menu, 1));
        EXPECT_EQ(100u, ::GetMenuItemID(menu, 2));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(static_cast<UINT>(MF_STRING | MF_ENABLED),
                      ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_STRING));
        }
        ::DestroyMenu(menu);
    }
}
