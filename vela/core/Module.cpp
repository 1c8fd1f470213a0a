#include "core/Module.h"

namespace Vela {
namespace {
HMODULE g_libraryModule = nullptr;  // set once at process attach
}  // namespace

HMODULE LibraryModule() { return g_libraryModule; }

}  // namespace Vela

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        Vela::g_libraryModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
