#include "shell/LogonTask.h"

#include <objbase.h>
#include <oleauto.h>
#include <taskschd.h>

#include <iostream>
#include <string>

#include "shell/ComPtr.h"
#include "shell/Paths.h"
#include "shell/Product.h"

namespace Corvane {
namespace {

// Spelled out here: not every toolchain's import libraries carry these three.
const CLSID kTaskSchedulerClass = {
    0x0F87369F, 0xA4E5, 0x4CFC, {0xBD, 0x3E, 0x73, 0xE6, 0x15, 0x45, 0x72, 0xDD}};
const IID kTaskServiceInterface = {
    0x2FABA4C7, 0x4DA9, 0x4013, {0x96, 0x97, 0x20, 0xCC, 0x3F, 0xD4, 0x0F, 0x85}};
const IID kExecActionInterface = {
    0x4C3D624D, 0xFD6B, 0x49A3, {0xB9, 0xB7, 0x09, 0xCB, 0x3C, 0xD3, 0xF0, 0x47}};

// A BSTR made from a wide string for one call; freed when the owner dies, which for a
// temporary is the end of the statement that makes the call.
class Bstr {
public:
    explicit Bstr(const wchar_t* text) : m_text(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return m_text; }

private:
    BSTR m_text;  // owned
};

// On a failed result writes "<message><result in lower-case hex>" and a line end to the
// standard error stream, flushed, and answers true.
bool Failed(HRESULT result, const char* message) {
    if (SUCCEEDED(result)) return false;
    const std::ios_base::fmtflags flags = std::cerr.flags();
    std::cerr << message << std::hex << static_cast<unsigned long>(result) << std::endl;
    std::cerr.flags(flags);
    return true;
}

VARIANT EmptyVariant() {
    VARIANT value;
    ::VariantInit(&value);  // VT_EMPTY
    return value;
}

HRESULT CreateSystemTaskService(ITaskService** service) {
    return ::CoCreateInstance(kTaskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER,
                              kTaskServiceInterface, reinterpret_cast<void**>(service));
}

// Everything between CoInitialize and CoUninitialize. Every interface obtained is held
// by a ComPtr declared here, so all are released on any return, before COM goes.
void RegisterWithService(TaskServiceFactory createService) {
    ComPtr<ITaskService> service;
    if (Failed(createService(service.put()),
               "Failed to create Task Scheduler instance with HRESULT: 0x")) {
        return;
    }
    // Local machine, current user.
    const VARIANT empty = EmptyVariant();
    if (Failed(service->Connect(empty, empty, empty, empty),
               "Failed to connect to Task Scheduler service with HRESULT: 0x")) {
        return;
    }

    ComPtr<ITaskFolder> root;
    if (Failed(service->GetFolder(Bstr(L"\\").get(), root.put()),
               "Failed to get root folder with HRESULT: 0x")) {
        return;
    }
    ComPtr<ITaskDefinition> task;
    if (Failed(service->NewTask(0, task.put()), "Failed to create new task with HRESULT: 0x")) {
        return;
    }

    // No user on the trigger: any user's logon starts the task.
    ComPtr<ITriggerCollection> triggers;
    if (Failed(task->get_Triggers(triggers.put()),
               "Failed to get trigger collection with HRESULT: 0x")) {
        return;
    }
    ComPtr<ITrigger> trigger;
    if (Failed(triggers->Create(TASK_TRIGGER_LOGON, trigger.put()),
               "Failed to create trigger with HRESULT: 0x")) {
        return;
    }
    if (Failed(trigger->put_Id(Bstr(L"Administrator").get()),
               "Failed to set trigger ID with HRESULT: 0x")) {
        return;
    }

    ComPtr<IPrincipal> principal;
    if (Failed(task->get_Principal(principal.put()), "Failed to get principal with HRESULT: 0x")) {
        return;
    }
    if (Failed(principal->put_RunLevel(TASK_RUNLEVEL_HIGHEST),
               "Failed to set run level with HRESULT: 0x")) {
        return;
    }

    // The settings are best effort: none of these results is looked at. The program runs
    // for the whole session, so there is no execution time limit.
    ComPtr<ITaskSettings> settings;
    task->get_Settings(settings.put());
    if (settings) {
        settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);
        settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
        settings->put_AllowDemandStart(VARIANT_TRUE);
        settings->put_StartWhenAvailable(VARIANT_FALSE);
        settings->put_MultipleInstances(TASK_INSTANCES_PARALLEL);
        settings->put_ExecutionTimeLimit(Bstr(L"PT0S").get());
    }

    ComPtr<IActionCollection> actions;
    if (Failed(task->get_Actions(actions.put()),
               "Failed to get action collection with HRESULT: 0x")) {
        return;
    }
    ComPtr<IAction> action;
    if (Failed(actions->Create(TASK_ACTION_EXEC, action.put()),
               "Failed to create action with HRESULT: 0x")) {
        return;
    }
    ComPtr<IExecAction> exec;
    if (Failed(action->QueryInterface(kExecActionInterface, exec.putVoid()),
               "Failed to query exec action interface with HRESULT: 0x")) {
        return;
    }
    // The fixed file name, not the running file's: a renamed copy still registers the
    // program. No arguments, no working folder.
    const std::wstring path = GetModuleDirectory() + L"Corvane.exe";
    if (Failed(exec->put_Path(Bstr(path.c_str()).get()),
               "Failed to set executable path with HRESULT: 0x")) {
        return;
    }

    // Creates the task or replaces the one of the same name. A failure here (typically
    // E_ACCESSDENIED when not elevated) is only reported; the clean-up is the same.
    const std::wstring name = std::wstring(kProductName) + L" StartupTask";
    const Bstr emptyText(L"");
    VARIANT securityDescriptor = EmptyVariant();
    V_VT(&securityDescriptor) = VT_BSTR;
    V_BSTR(&securityDescriptor) = emptyText.get();  // not owned: emptyText frees it
    Failed(root->RegisterTaskDefinition(Bstr(name.c_str()).get(), task.get(),
                                        TASK_CREATE_OR_UPDATE, empty, empty,
                                        TASK_LOGON_INTERACTIVE_TOKEN, securityDescriptor,
                                        nullptr),
           "Failed to register task definition with HRESULT: 0x");
}

}  // namespace

void RegisterLogonTask() { RegisterLogonTask(&CreateSystemTaskService); }

void RegisterLogonTask(TaskServiceFactory createService) {
    // COM is already initialised on the window thread, so this answers S_FALSE and only
    // adds a count that the CoUninitialize below takes back.
    if (Failed(::CoInitialize(nullptr), "CoInitialize failed with HRESULT: 0x")) return;
    RegisterWithService(createService);
    ::CoUninitialize();
}

}  // namespace Corvane
