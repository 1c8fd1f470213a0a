// Process-level helpers of the entry: single instance, DPI rule, debug privilege and
// stopping another process by its executable name.
#pragma once

#include <windows.h>

#include "shell/Handle.h"

namespace Corvane {

// Creates the owned single-instance mutex named after the product. Returns the handle
// (held for the life of the process) for the first instance. When another instance owns
// the mutex, sets *alreadyRunning; the returned handle is then empty. A failing creation
// counts as the first instance.
UniqueHandle ClaimSingleInstance(bool* alreadyRunning);

// The first top-level window that carries the product-name property, or null.
HWND FindInstanceWindow();

// Declares the process DPI aware when the primary screen is narrower than 1400 or lower
// than 800 pixels. Returns whether it did.
bool ApplyDpiAwarenessRule();

// Enables SeDebugPrivilege in the process token; true only when it was assigned.
bool EnableDebugPrivilege();

// Terminates the first running process whose executable name equals name regardless of
// case. Returns false only when the process list could not be read.
bool KillProcessByName(const wchar_t* name);

}  // namespace Corvane
