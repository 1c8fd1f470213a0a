// Version texts from the update server: which ones are taken, how two software versions
// compare, and when a firmware version counts as newer than the display's.
#pragma once

#include <string>

namespace Corvane {

// Longest version text, its line end included.
inline constexpr size_t kMaxVersionTextLength = 10;

// Compares dotted versions part by part, each part read as _wtoi reads it.
// 2: the part counts differ (counts as newer); 1: latest is newer; 0: equal;
// -1: current is newer.
int CompareVersions(const std::wstring& current, const std::wstring& latest);

// The version text of a version file is used in file names, a URL and the prompt, so
// only a plain text is taken: 1 to kMaxVersionTextLength characters, the last of which
// may form one line end ("\n", "\r\n" or "\r"), all others digits, ASCII letters, dots
// or hyphens, at least one of them. On success *version is the text without its line
// end; otherwise *version is left alone.
bool AcceptVersionText(const std::wstring& text, std::wstring* version);

// Whether a firmware version file offers an update to a display that reports
// displayVersion (-1: no display or no answer). The display's number is written in
// lower-case hexadecimal and those digits are read as a decimal number, as is the file's
// text: 0x104 compares as 104, 0x1A as 1.
bool FirmwareUpdateOffered(const std::wstring& fileVersion, int displayVersion);

}  // namespace Corvane
