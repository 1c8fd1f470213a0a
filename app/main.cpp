// Corvane: the tray program that keeps the cooler's temperature display fed.
#include <windows.h>

#include "ui/Program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return Corvane::RunProgram(instance);
}
