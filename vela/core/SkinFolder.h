// The skin folder rule shared by everything in the library that loads art by file name:
// the program's folder (the process's module, not this library's), "skins\\", the theme.
#pragma once

#include <string>

namespace Vela {

// The skin folder followed by fileName unchanged (it may hold sub-folders); the folder
// alone for a null name.
std::wstring SkinPath(const wchar_t* fileName);

}  // namespace Vela
