// What an archive entry's name may become on disk: the cleaning of the name, and the
// confinement that keeps every entry inside the folder it is unpacked into.
#pragma once

#include <string>

namespace Corvane {

// Repeats until none applies, starting over after each change: a leading drive prefix
// (any character followed by ':') is removed; a leading '\' or '/' is removed; otherwise
// the first of "\..\", "\../", "/../", "/..\" (looked for in this order) that occurs is
// removed together with everything before it.
std::wstring CleanEntryName(std::wstring name);

// Turns a cleaned name into a path relative to the unpack folder, with backslashes:
// "." parts and empty parts are dropped, a trailing separator marks a directory. False
// (the entry is skipped) when the name could reach or name anything but an ordinary file
// or folder below the unpack folder: a ".." part (also a name that begins with two dots
// and a separator, which cleaning leaves alone), a part with a character that Windows
// does not allow in names (control characters, <>:"|?*, so also drive letters, stream
// names and "\\?\" forms left over after cleaning), a part ending in a dot or a space
// (Windows drops those, which turns "..." into ".." and "nul " into a device), a device
// name with or without extension (CON, PRN, AUX, NUL, COM0-9, LPT0-9 also with
// superscript digits, CONIN$, CONOUT$, CLOCK$), or nothing left at all.
bool ConfineEntryName(const std::wstring& cleaned, std::wstring* relative, bool* directory);

}  // namespace Corvane
