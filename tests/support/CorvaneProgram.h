// What black-box tests of the real Corvane.exe share: its main window and its ordered
// end, its trace file, reading a file another process still writes, and the refused
// update root.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace TestSupport {

// The running program's main window (class "DeviceMainDlg", text "DIGITAL", with the
// "Halvex" property), or null.
HWND FindMainWindow();

// Shows the main window as the tray icon's left press does (the callback message 1690
// with icon id 109) and waits until it is visible at the work area's lower right corner.
// The window, or null when it did not get there within limitMs.
HWND ShowFromTray(DWORD limitMs);

// "<local application data>\Halvex Files\trace.log" of this user.
std::wstring TraceFile();

// The whole file, shared for reading and writing with its writer; empty when missing.
std::string ReadAll(const std::wstring& path);

// The file's lines without their line ends ("\r\n" or "\n"), read the same way.
std::vector<std::string> ReadLines(const std::wstring& path);

// Closes the main window, which ends the modal run and the program in order (exit code
// 1), and expects the process to end so within limitMs.
void CloseAndExpectOrderedExit(ChildProcess& corvane, DWORD limitMs);

// Points the program's update checks at a loopback port that refuses connections
// ("update_root" under HKLM\SOFTWARE\Halvex, 64-bit view), so they fail at once instead of
// looking for the real server. False when the value could not be written.
bool SetRefusingUpdateRoot();

}  // namespace TestSupport
