// Where the update server lives: the built-in root, the administrator's override in
// the registry, the two channel base URLs below it, and which addresses are trusted.
#pragma once

#include <string>

namespace Corvane {

// The product's own update server.
inline constexpr wchar_t kDefaultUpdateRoot[] = L"https://update.halvex.example";

// REG_SZ under HKEY_LOCAL_MACHINE\SOFTWARE\Halvex, read from the 64-bit view so 32- and
// 64-bit Windows share one value. Only administrators can write there.
inline constexpr wchar_t kUpdateRootValue[] = L"update_root";

// The override when it is present and acceptable (IsAcceptableUpdateUrl), otherwise the
// built-in root. Trailing slashes are removed, so the base URLs below get one slash.
std::wstring ReadUpdateRoot();

// root + "/m21x/software/" and root + "/m21x/firmware/"; both end with a slash.
std::wstring SoftwareBaseUrl(const std::wstring& root);
std::wstring FirmwareBaseUrl(const std::wstring& root);

// What the update code agrees to talk to: an https URL, or an http URL whose host is the
// loopback address (127.0.0.1, localhost, [::1]). No user name or password, no spaces,
// control characters or backslashes. Everything the program downloads and starts runs
// elevated, so a plain-http server elsewhere would hand code execution to anyone on
// the path.
bool IsAcceptableUpdateUrl(const std::wstring& url);

}  // namespace Corvane
