// The library's own module handle, for the images and the font embedded in Vela.dll.
#pragma once

#include <windows.h>

namespace Vela {

HMODULE LibraryModule();

}  // namespace Vela
