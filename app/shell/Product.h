// The product name: mutex, instance window property, registry key, tray tip,
// data-folder name and logon-task name all use this one constant.
#pragma once

namespace Corvane {

inline constexpr wchar_t kProductName[] = L"Halvex";

}  // namespace Corvane
