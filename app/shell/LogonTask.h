// RegisterLogonTask: registers the Task Scheduler task that starts the program elevated
// at every user's logon, replacing a task of the same name.
#pragma once

#include <windows.h>

struct ITaskService;

namespace Corvane {

// Makes the service that registration talks to, handing over one reference.
using TaskServiceFactory = HRESULT (*)(ITaskService** service);

// Registers "Halvex StartupTask" in the root task folder: a logon trigger with the id
// "Administrator", the highest run level, no execution time limit and one action that
// runs <module directory>Corvane.exe. Call it on the window thread, where COM is already
// initialised; it balances its own CoInitialize. A failing step writes one line to the
// standard error stream and ends the registration; nothing is returned.
void RegisterLogonTask();

// The same registration with the service made by createService (not null) instead of
// the system's Task Scheduler. This is the seam for tests only: Wine's Task Scheduler
// refuses the logon trigger, so the steps after it can only be watched against a
// stand-in service. RegisterLogonTask() runs exactly this code with the real service.
void RegisterLogonTask(TaskServiceFactory createService);

}  // namespace Corvane
