// repaint_hook.dll: hooks of one window thread that count the paints and mouse moves of one
// window in the process they are loaded into (see RepaintHook.h for why a test needs them).
// They do nothing to the messages they see.
#include <windows.h>

#include "support/RepaintHook.h"

using TestSupport::RepaintCounters;

namespace {

HANDLE g_mapping = nullptr;
RepaintCounters* g_counters = nullptr;

void Attach() {
    g_mapping = ::OpenFileMappingW(FILE_MAP_WRITE, FALSE, TestSupport::kRepaintHookMapping);
    if (g_mapping == nullptr) return;
    g_counters = static_cast<RepaintCounters*>(
        ::MapViewOfFile(g_mapping, FILE_MAP_WRITE, 0, 0, sizeof(RepaintCounters)));
    if (g_counters != nullptr) {
        ::InterlockedExchange(&g_counters->loadedInto, static_cast<LONG>(::GetCurrentProcessId()));
    }
}

void Detach() {
    if (g_counters != nullptr) ::UnmapViewOfFile(g_counters);
    if (g_mapping != nullptr) ::CloseHandle(g_mapping);
    g_counters = nullptr;
    g_mapping = nullptr;
}

bool Watched(HWND hwnd) {
    return g_counters != nullptr &&
           static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd)) == g_counters->window;
}

// Looked at before the window procedure runs, while BeginPaint has not yet emptied the
// update region: a WM_PAINT without a client area to paint draws no frame.
void CountPaint(HWND hwnd) {
    RECT update;
    if (::GetUpdateRect(hwnd, &update, FALSE)) ::InterlockedIncrement(&g_counters->paints);
}

}  // namespace

// WH_GETMESSAGE: what the thread takes from its queue. A message only looked at
// (PM_NOREMOVE) is taken again later, and counted then.
extern "C" __declspec(dllexport) LRESULT CALLBACK RepaintQueuedHookProc(int code, WPARAM wparam,
                                                                        LPARAM lparam) {
    if (code == HC_ACTION && wparam == PM_REMOVE) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lparam);
        if (Watched(msg.hwnd)) {
            if (msg.message == WM_PAINT) {
                CountPaint(msg.hwnd);
            } else if (msg.message == WM_MOUSEMOVE) {
                ::InterlockedExchange(&g_counters->lastMove, static_cast<LONG>(msg.lParam));
                ::InterlockedIncrement(&g_counters->moves);
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

// WH_CALLWNDPROC: what is sent to the window procedure, a queued message's dispatch not
// included.
extern "C" __declspec(dllexport) LRESULT CALLBACK RepaintSentHookProc(int code, WPARAM wparam,
                                                                      LPARAM lparam) {
    if (code == HC_ACTION) {
        const CWPSTRUCT& sent = *reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (sent.message == WM_PAINT && Watched(sent.hwnd)) CountPaint(sent.hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) Attach();
    if (reason == DLL_PROCESS_DETACH) Detach();
    return TRUE;
}
