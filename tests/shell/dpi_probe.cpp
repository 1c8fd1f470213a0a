// Exit code: (screen width << 16) | (screen height << 1) | (1 when declared DPI aware).
#include <windows.h>

#include "shell/Process.h"

int main() {
    const DWORD width = static_cast<DWORD>(::GetSystemMetrics(SM_CXSCREEN));
    const DWORD height = static_cast<DWORD>(::GetSystemMetrics(SM_CYSCREEN));
    const bool declared = Corvane::ApplyDpiAwarenessRule();
    return static_cast<int>((width << 16) | (height << 1) | (declared ? 1u : 0u));
}
