// The counters that repaint_hook.dll keeps inside the real program, in a named shared
// memory block the test creates before it installs the hooks.
//
// Why hooks: how often the main window repaints cannot be seen from outside the process.
// The layered frame is handed over whole by UpdateLayeredWindow, so the screen shows no
// difference between one paint and three, and the program logs nothing about paints.
// Hooks of the window's thread, which the system loads into the window's own process,
// see every WM_PAINT that reaches its window procedure.
#pragma once

#include <windows.h>

namespace TestSupport {

const wchar_t kRepaintHookMapping[] = L"Local\\CorvaneRepaintHook";
// The exported hook procedures: WH_GETMESSAGE and WH_CALLWNDPROC.
const char kQueuedHookProc[] = "RepaintQueuedHookProc";
const char kSentHookProc[] = "RepaintSentHookProc";

struct RepaintCounters {
    // Set by the test: the window whose messages are counted (a window handle's 32 bits).
    volatile LONG window;
    // Set by the hook module when it is loaded into a process: that process's id.
    volatile LONG loadedInto;
    // Paints of the window. Vela's paint manager draws and hands over a whole new frame for
    // each WM_PAINT that finds part of the client area to be painted, and for nothing else.
    // Such a WM_PAINT comes either from the queue (after an invalidation, the usual way) or
    // sent straight to the window procedure (UpdateWindow, RedrawWindow with
    // RDW_UPDATENOW), which no message-queue hook sees: both ways are counted.
    volatile LONG paints;
    // WM_MOUSEMOVE taken from the queue for the window, and the client point of the last.
    volatile LONG moves;
    volatile LONG lastMove;  // the message's lParam
};

}  // namespace TestSupport
