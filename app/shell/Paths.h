// The program's folders. Every folder string ends in a backslash.
#pragma once

#include <string>

namespace Corvane {

// The running executable's folder, e.g. "C:\\Program Files\\X\\"; "D:\\" at a drive root.
std::wstring GetModuleDirectory();

// The skin folder of the current theme: module directory + "skins\\theme1\\".
std::wstring GetSkinFolder();

// "<local application data>\\Halvex Files\\" (not created).
std::wstring GetDataFolder();

// Creates path and its missing parents; true when the folder exists afterwards.
bool EnsureDirectory(const std::wstring& path);

}  // namespace Corvane
