// Waits up to two minutes, then exits 0: a process for tests to find and stop.
#include <windows.h>

int main() {
    ::Sleep(120000);
    return 0;
}
