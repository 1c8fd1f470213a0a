// The user's display settings under HKEY_CURRENT_USER\SOFTWARE\Halvex, stored as
// REG_SZ decimal texts ("led_switch": 1 on / 2 off; "tempe_type": 0 Celsius / 1 Fahrenheit).
#pragma once

namespace Corvane {

inline constexpr wchar_t kSettingLedSwitch[] = L"led_switch";
inline constexpr wchar_t kSettingTemperatureType[] = L"tempe_type";

// The value read as _wtoi reads it; 0 for a missing, empty, non-numeric or over-long
// value, or when the key cannot be opened. Creates the key when it does not exist.
int ReadSettingInt(const wchar_t* name);

// Stores text (with its terminating null). Dropped silently when the key cannot be opened.
void WriteSetting(const wchar_t* name, const wchar_t* text);

}  // namespace Corvane
