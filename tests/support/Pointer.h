// Pointer: the real pointer moved the way the mouse moves it (SendInput: xdotool's events
// do not reach Wine windows).
#pragma once

#include <windows.h>

namespace TestSupport {

// Sends one absolute move of the pointer to a screen point. False when it was not sent.
bool SendPointerTo(POINT screen);

}  // namespace TestSupport
