#include "support/Pointer.h"

namespace TestSupport {

bool SendPointerTo(POINT screen) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT move = {};
    move.type = INPUT_MOUSE;
    // Absolute moves are in 65536ths of the screen: round up so the point is not missed.
    move.mi.dx = static_cast<LONG>((screen.x * 65536LL + width - 1) / width);
    move.mi.dy = static_cast<LONG>((screen.y * 65536LL + height - 1) / height);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return ::SendInput(1, &move, sizeof(INPUT)) == 1;
}

}  // namespace TestSupport
