// The program's life: start-up, the modal run of the main window, ordered shutdown.
#pragma once

#include <windows.h>

namespace Corvane {

// 0 when another instance already runs; 1 after the main window's modal run has ended.
int RunProgram(HINSTANCE instance);

}  // namespace Corvane
