// Supervision of the sensor server "SentrelServer.exe": starting it from the folder that
// fits the Windows version, and the watch that starts it again while it does not
// publish during the program's first minute.
#pragma once

#include <functional>

#include "feed/SensorRecord.h"

namespace Corvane {

inline constexpr wchar_t kSensorServerExe[] = L"SentrelServer.exe";

// Main-window timer of the watch and its period.
inline constexpr unsigned kSensorWatchTimerId = 300;
inline constexpr unsigned kSensorWatchPeriodMs = 5000;

// True when the running Windows reports major version 10 or later (ntdll's
// RtlGetNtVersionNumbers, which no compatibility shim rewrites).
bool IsWindows10OrLater();

// Starts the server once from "<module dir>\Fennick\" (Windows 10 and later) or
// "<module dir>\FennickWin7\"; keeps no handle. Failures are silent.
void LaunchSensorServer();

// The watch of timer 300. Each tick launches the server while the record shows it
// silent; after the twelfth tick the timer is to be killed.
//
// A tick that comes before the record is mapped does not read it: it launches nothing
// (a server that is not yet mapped is not known to be silent, and another copy cannot
// help the mapping) but still counts, so the watch ends on time either way.
class SensorWatch {
public:
    using Launcher = std::function<void()>;
    explicit SensorWatch(Launcher launch = LaunchSensorServer);

    // record: the mapped record, or null while unmapped. Returns false when the
    // timer has to be killed.
    bool Tick(const SensorRecord* record);

    int Ticks() const { return m_ticks; }

private:
    Launcher m_launch;
    int m_ticks = 0;  // 0 at program start, never reset
};

}  // namespace Corvane
