#include "fake_task_service.h"

#include <oleauto.h>

namespace Fake {
namespace {

// A method that registration never calls: the call is recorded and answers E_NOTIMPL.
#define FAKE_UNEXPECTED(method, parameters) \
    HRESULT STDMETHODCALLTYPE method parameters override { return Unexpected(#method); }

// What all objects of one stand-in share: the record and the call chosen to fail.
struct State {
    TaskRecord record;
    std::string failingCall;
    HRESULT failure = S_OK;

    HRESULT Enter(const std::string& call) {
        record.calls.push_back(call);
        return call == failingCall ? failure : S_OK;
    }
};

// IUnknown and IDispatch for one interface. The stand-in owns the storage, so Release
// only counts.
template <typename Interface>
class FakeObject : public Interface {
public:
    FakeObject(State& state, const char* name) : m_state(state), m_name(name) {}
    virtual ~FakeObject() = default;
    FakeObject(const FakeObject&) = delete;
    FakeObject& operator=(const FakeObject&) = delete;

    const char* name() const { return m_name; }
    long references() const { return m_references; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (!Implements(iid)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        *out = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_references); }

    FAKE_UNEXPECTED(GetTypeInfoCount, (UINT*))
    FAKE_UNEXPECTED(GetTypeInfo, (UINT, LCID, ITypeInfo**))
    FAKE_UNEXPECTED(GetIDsOfNames, (REFIID, LPOLESTR*, UINT, LCID, DISPID*))
    FAKE_UNEXPECTED(Invoke, (DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

protected:
    virtual bool Implements(REFIID iid) const {
        return iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
               iid == __uuidof(Interface);
    }

    TaskRecord& record() { return m_state.record; }

    // Records "<name>.<method>"; answers the chosen failure or S_OK.
    HRESULT Call(const char* method) { return m_state.Enter(std::string(m_name) + "." + method); }
    HRESULT Unexpected(const char* method) {
        Call(method);
        return E_NOTIMPL;
    }

    // The text of a string argument; notes the call when it is not a BSTR.
    std::wstring Text(const char* method, BSTR text) {
        if (text == nullptr) return std::wstring();  // a null BSTR is the empty string
        const std::wstring value(text);
        if (::SysStringLen(text) != value.size()) {
            record().notBstr.push_back(std::string(m_name) + "." + method);
        }
        return value;
    }

    // The getter or factory step: hands out target with a new reference unless the call
    // is the one chosen to fail.
    template <typename Handed>
    HRESULT HandOut(const char* method, Handed* target, Handed** out) {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        const HRESULT result = Call(method);
        if (FAILED(result)) return result;
        target->AddRef();
        *out = target;
        return S_OK;
    }

private:
    State& m_state;
    const char* m_name;
    long m_references = 1;  // the stand-in's own
};

class FakeExecAction : public FakeObject<IExecAction> {
public:
    explicit FakeExecAction(State& state) : FakeObject(state, "Action") {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == __uuidof(IExecAction)) {
            const HRESULT result = Call("QueryInterface(IExecAction)");
            if (FAILED(result)) {
                if (out != nullptr) *out = nullptr;
                return result;
            }
        }
        return FakeObject::QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE put_Path(BSTR path) override {
        record().path = Text("put_Path", path);
        return Call("put_Path");
    }

    FAKE_UNEXPECTED(get_Id, (BSTR*))
    FAKE_UNEXPECTED(put_Id, (BSTR))
    FAKE_UNEXPECTED(get_Type, (TASK_ACTION_TYPE*))
    FAKE_UNEXPECTED(get_Path, (BSTR*))
    FAKE_UNEXPECTED(get_Arguments, (BSTR*))
    FAKE_UNEXPECTED(put_Arguments, (BSTR))
    FAKE_UNEXPECTED(get_WorkingDirectory, (BSTR*))
    FAKE_UNEXPECTED(put_WorkingDirectory, (BSTR))

protected:
    bool Implements(REFIID iid) const override {
        return iid == __uuidof(IAction) || FakeObject::Implements(iid);
    }
};

class FakeActions : public FakeObject<IActionCollection> {
public:
    FakeActions(State& state, FakeExecAction& action)
        : FakeObject(state, "Actions"), m_action(action) {}

    HRESULT STDMETHODCALLTYPE Create(TASK_ACTION_TYPE type, IAction** action) override {
        record().actionType = type;
        return HandOut<IAction>("Create", &m_action, action);
    }

    FAKE_UNEXPECTED(get_Count, (LONG*))
    FAKE_UNEXPECTED(get_Item, (LONG, IAction**))
    FAKE_UNEXPECTED(get__NewEnum, (IUnknown**))
    FAKE_UNEXPECTED(get_XmlText, (BSTR*))
    FAKE_UNEXPECTED(put_XmlText, (BSTR))
    FAKE_UNEXPECTED(Remove, (VARIANT))
    FAKE_UNEXPECTED(Clear, ())
    FAKE_UNEXPECTED(get_Context, (BSTR*))
    FAKE_UNEXPECTED(put_Context, (BSTR))

private:
    FakeExecAction& m_action;
};

class FakeSettings : public FakeObject<ITaskSettings> {
public:
    explicit FakeSettings(State& state) : FakeObject(state, "Settings") {}

    HRESULT STDMETHODCALLTYPE put_StopIfGoingOnBatteries(VARIANT_BOOL stop) override {
        record().stopIfGoingOnBatteries = stop;
        return Call("put_StopIfGoingOnBatteries");
    }
    HRESULT STDMETHODCALLTYPE put_DisallowStartIfOnBatteries(VARIANT_BOOL disallow) override {
        record().disallowStartIfOnBatteries = disallow;
        return Call("put_DisallowStartIfOnBatteries");
    }
    HRESULT STDMETHODCALLTYPE put_AllowDemandStart(VARIANT_BOOL allow) override {
        record().allowDemandStart = allow;
        return Call("put_AllowDemandStart");
    }
    HRESULT STDMETHODCALLTYPE put_StartWhenAvailable(VARIANT_BOOL start) override {
        record().startWhenAvailable = start;
        return Call("put_StartWhenAvailable");
    }
    HRESULT STDMETHODCALLTYPE put_MultipleInstances(TASK_INSTANCES_POLICY policy) override {
        record().multipleInstances = policy;
        return Call("put_MultipleInstances");
    }
    HRESULT STDMETHODCALLTYPE put_ExecutionTimeLimit(BSTR limit) override {
        record().executionTimeLimit = Text("put_ExecutionTimeLimit", limit);
        return Call("put_ExecutionTimeLimit");
    }

    FAKE_UNEXPECTED(get_AllowDemandStart, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(get_RestartInterval, (BSTR*))
    FAKE_UNEXPECTED(put_RestartInterval, (BSTR))
    FAKE_UNEXPECTED(get_RestartCount, (INT*))
    FAKE_UNEXPECTED(put_RestartCount, (INT))
    FAKE_UNEXPECTED(get_MultipleInstances, (TASK_INSTANCES_POLICY*))
    FAKE_UNEXPECTED(get_StopIfGoingOnBatteries, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(get_DisallowStartIfOnBatteries, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(get_AllowHardTerminate, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(put_AllowHardTerminate, (VARIANT_BOOL))
    FAKE_UNEXPECTED(get_StartWhenAvailable, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(get_XmlText, (BSTR*))
    FAKE_UNEXPECTED(put_XmlText, (BSTR))
    FAKE_UNEXPECTED(get_RunOnlyIfNetworkAvailable, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(put_RunOnlyIfNetworkAvailable, (VARIANT_BOOL))
    FAKE_UNEXPECTED(get_ExecutionTimeLimit, (BSTR*))
    FAKE_UNEXPECTED(get_Enabled, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(put_Enabled, (VARIANT_BOOL))
    FAKE_UNEXPECTED(get_DeleteExpiredTaskAfter, (BSTR*))
    FAKE_UNEXPECTED(put_DeleteExpiredTaskAfter, (BSTR))
    FAKE_UNEXPECTED(get_Priority, (INT*))
    FAKE_UNEXPECTED(put_Priority, (INT))
    FAKE_UNEXPECTED(get_Compatibility, (TASK_COMPATIBILITY*))
    FAKE_UNEXPECTED(put_Compatibility, (TASK_COMPATIBILITY))
    FAKE_UNEXPECTED(get_Hidden, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(put_Hidden, (VARIANT_BOOL))
    FAKE_UNEXPECTED(get_IdleSettings, (IIdleSettings**))
    FAKE_UNEXPECTED(put_IdleSettings, (IIdleSettings*))
    FAKE_UNEXPECTED(get_RunOnlyIfIdle, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(put_RunOnlyIfIdle, (VARIANT_BOOL))
    FAKE_UNEXPECTED(get_WakeToRun, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(put_WakeToRun, (VARIANT_BOOL))
    FAKE_UNEXPECTED(get_NetworkSettings, (INetworkSettings**))
    FAKE_UNEXPECTED(put_NetworkSettings, (INetworkSettings*))
};

class FakePrincipal : public FakeObject<IPrincipal> {
public:
    explicit FakePrincipal(State& state) : FakeObject(state, "Principal") {}

    HRESULT STDMETHODCALLTYPE put_RunLevel(TASK_RUNLEVEL_TYPE level) override {
        record().runLevel = level;
        return Call("put_RunLevel");
    }

    FAKE_UNEXPECTED(get_Id, (BSTR*))
    FAKE_UNEXPECTED(put_Id, (BSTR))
    FAKE_UNEXPECTED(get_DisplayName, (BSTR*))
    FAKE_UNEXPECTED(put_DisplayName, (BSTR))
    FAKE_UNEXPECTED(get_UserId, (BSTR*))
    FAKE_UNEXPECTED(put_UserId, (BSTR))
    FAKE_UNEXPECTED(get_LogonType, (TASK_LOGON_TYPE*))
    FAKE_UNEXPECTED(put_LogonType, (TASK_LOGON_TYPE))
    FAKE_UNEXPECTED(get_GroupId, (BSTR*))
    FAKE_UNEXPECTED(put_GroupId, (BSTR))
    FAKE_UNEXPECTED(get_RunLevel, (TASK_RUNLEVEL_TYPE*))
};

class FakeTrigger : public FakeObject<ITrigger> {
public:
    explicit FakeTrigger(State& state) : FakeObject(state, "Trigger") {}

    HRESULT STDMETHODCALLTYPE put_Id(BSTR id) override {
        record().triggerId = Text("put_Id", id);
        return Call("put_Id");
    }

    FAKE_UNEXPECTED(get_Type, (TASK_TRIGGER_TYPE2*))
    FAKE_UNEXPECTED(get_Id, (BSTR*))
    FAKE_UNEXPECTED(get_Repetition, (IRepetitionPattern**))
    FAKE_UNEXPECTED(put_Repetition, (IRepetitionPattern*))
    FAKE_UNEXPECTED(get_ExecutionTimeLimit, (BSTR*))
    FAKE_UNEXPECTED(put_ExecutionTimeLimit, (BSTR))
    FAKE_UNEXPECTED(get_StartBoundary, (BSTR*))
    FAKE_UNEXPECTED(put_StartBoundary, (BSTR))
    FAKE_UNEXPECTED(get_EndBoundary, (BSTR*))
    FAKE_UNEXPECTED(put_EndBoundary, (BSTR))
    FAKE_UNEXPECTED(get_Enabled, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(put_Enabled, (VARIANT_BOOL))
};

class FakeTriggers : public FakeObject<ITriggerCollection> {
public:
    FakeTriggers(State& state, FakeTrigger& trigger)
        : FakeObject(state, "Triggers"), m_trigger(trigger) {}

    HRESULT STDMETHODCALLTYPE Create(TASK_TRIGGER_TYPE2 type, ITrigger** trigger) override {
        record().triggerType = type;
        return HandOut<ITrigger>("Create", &m_trigger, trigger);
    }

    FAKE_UNEXPECTED(get_Count, (LONG*))
    FAKE_UNEXPECTED(get_Item, (LONG, ITrigger**))
    FAKE_UNEXPECTED(get__NewEnum, (IUnknown**))
    FAKE_UNEXPECTED(Remove, (VARIANT))
    FAKE_UNEXPECTED(Clear, ())

private:
    FakeTrigger& m_trigger;
};

class FakeDefinition : public FakeObject<ITaskDefinition> {
public:
    FakeDefinition(State& state, FakeTriggers& triggers, FakePrincipal& principal,
                   FakeSettings& settings, FakeActions& actions)
        : FakeObject(state, "Definition"),
          m_triggers(triggers),
          m_principal(principal),
          m_settings(settings),
          m_actions(actions) {}

    HRESULT STDMETHODCALLTYPE get_Triggers(ITriggerCollection** triggers) override {
        return HandOut<ITriggerCollection>("get_Triggers", &m_triggers, triggers);
    }
    HRESULT STDMETHODCALLTYPE get_Principal(IPrincipal** principal) override {
        return HandOut<IPrincipal>("get_Principal", &m_principal, principal);
    }
    HRESULT STDMETHODCALLTYPE get_Settings(ITaskSettings** settings) override {
        return HandOut<ITaskSettings>("get_Settings", &m_settings, settings);
    }
    HRESULT STDMETHODCALLTYPE get_Actions(IActionCollection** actions) override {
        return HandOut<IActionCollection>("get_Actions", &m_actions, actions);
    }

    FAKE_UNEXPECTED(get_RegistrationInfo, (IRegistrationInfo**))
    FAKE_UNEXPECTED(put_RegistrationInfo, (IRegistrationInfo*))
    FAKE_UNEXPECTED(put_Triggers, (ITriggerCollection*))
    FAKE_UNEXPECTED(put_Settings, (ITaskSettings*))
    FAKE_UNEXPECTED(get_Data, (BSTR*))
    FAKE_UNEXPECTED(put_Data, (BSTR))
    FAKE_UNEXPECTED(put_Principal, (IPrincipal*))
    FAKE_UNEXPECTED(put_Actions, (IActionCollection*))
    FAKE_UNEXPECTED(get_XmlText, (BSTR*))
    FAKE_UNEXPECTED(put_XmlText, (BSTR))

private:
    FakeTriggers& m_triggers;
    FakePrincipal& m_principal;
    FakeSettings& m_settings;
    FakeActions& m_actions;
};

class FakeFolder : public FakeObject<ITaskFolder> {
public:
    FakeFolder(State& state, FakeDefinition& definition)
        : FakeObject(state, "Folder"), m_definition(definition) {}

    HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR path, ITaskDefinition* definition,
                                                     LONG flags, VARIANT user, VARIANT password,
                                                     TASK_LOGON_TYPE logon, VARIANT sddl,
                                                     IRegisteredTask** task) override {
        TaskRecord& r = record();
        r.taskName = Text("RegisterTaskDefinition", path);
        r.registeredOwnDefinition = definition == static_cast<ITaskDefinition*>(&m_definition);
        r.registrationFlags = flags;
        r.user = V_VT(&user);
        r.password = V_VT(&password);
        r.logonType = logon;
        r.securityDescriptorType = V_VT(&sddl);
        if (V_VT(&sddl) == VT_BSTR) {
            r.securityDescriptor = Text("RegisterTaskDefinition(sddl)", V_BSTR(&sddl));
        }
        r.registeredTaskRequested = task != nullptr;
        if (task != nullptr) *task = nullptr;
        return Call("RegisterTaskDefinition");
    }

    FAKE_UNEXPECTED(get_Name, (BSTR*))
    FAKE_UNEXPECTED(get_Path, (BSTR*))
    FAKE_UNEXPECTED(GetFolder, (BSTR, ITaskFolder**))
    FAKE_UNEXPECTED(GetFolders, (LONG, ITaskFolderCollection**))
    FAKE_UNEXPECTED(CreateFolder, (BSTR, VARIANT, ITaskFolder**))
    FAKE_UNEXPECTED(DeleteFolder, (BSTR, LONG))
    FAKE_UNEXPECTED(GetTask, (BSTR, IRegisteredTask**))
    FAKE_UNEXPECTED(GetTasks, (LONG, IRegisteredTaskCollection**))
    FAKE_UNEXPECTED(DeleteTask, (BSTR, LONG))
    FAKE_UNEXPECTED(RegisterTask, (BSTR, BSTR, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE, VARIANT,
                                   IRegisteredTask**))
    FAKE_UNEXPECTED(GetSecurityDescriptor, (LONG, BSTR*))
    FAKE_UNEXPECTED(SetSecurityDescriptor, (BSTR, LONG))

private:
    FakeDefinition& m_definition;
};

class FakeService : public FakeObject<ITaskService> {
public:
    FakeService(State& state, FakeFolder& folder, FakeDefinition& definition)
        : FakeObject(state, "Service"), m_folder(folder), m_definition(definition) {}

    HRESULT STDMETHODCALLTYPE Connect(VARIANT server, VARIANT user, VARIANT domain,
                                      VARIANT password) override {
        record().connectArguments = {V_VT(&server), V_VT(&user), V_VT(&domain), V_VT(&password)};
        return Call("Connect");
    }
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) override {
        record().folderPath = Text("GetFolder", path);
        return HandOut<ITaskFolder>("GetFolder", &m_folder, folder);
    }
    HRESULT STDMETHODCALLTYPE NewTask(DWORD flags, ITaskDefinition** definition) override {
        record().newTaskFlags = static_cast<long>(flags);
        return HandOut<ITaskDefinition>("NewTask", &m_definition, definition);
    }

    FAKE_UNEXPECTED(GetRunningTasks, (LONG, IRunningTaskCollection**))
    FAKE_UNEXPECTED(get_Connected, (VARIANT_BOOL*))
    FAKE_UNEXPECTED(get_TargetServer, (BSTR*))
    FAKE_UNEXPECTED(get_ConnectedUser, (BSTR*))
    FAKE_UNEXPECTED(get_ConnectedDomain, (BSTR*))
    FAKE_UNEXPECTED(get_HighestVersion, (DWORD*))

private:
    FakeFolder& m_folder;
    FakeDefinition& m_definition;
};

#undef FAKE_UNEXPECTED

FakeTaskService* g_current = nullptr;  // not owned

}  // namespace

// Built leaves first, so every object exists before the one that hands it out.
struct FakeTaskService::Objects {
    State state;
    FakeExecAction action{state};
    FakeActions actions{state, action};
    FakeSettings settings{state};
    FakePrincipal principal{state};
    FakeTrigger trigger{state};
    FakeTriggers triggers{state, trigger};
    FakeDefinition definition{state, triggers, principal, settings, actions};
    FakeFolder folder{state, definition};
    FakeService service{state, folder, definition};
};

FakeTaskService::FakeTaskService() : m_objects(std::make_unique<Objects>()) { g_current = this; }

FakeTaskService::~FakeTaskService() {
    if (g_current == this) g_current = nullptr;
}

void FakeTaskService::FailCall(const std::string& call, HRESULT result) {
    m_objects->state.failingCall = call;
    m_objects->state.failure = result;
}

const TaskRecord& FakeTaskService::record() const { return m_objects->state.record; }

std::vector<std::pair<std::string, long>> FakeTaskService::ReferenceCounts() const {
    const Objects& o = *m_objects;
    return {{o.service.name(), o.service.references()},
            {o.folder.name(), o.folder.references()},
            {o.definition.name(), o.definition.references()},
            {o.triggers.name(), o.triggers.references()},
            {o.trigger.name(), o.trigger.references()},
            {o.principal.name(), o.principal.references()},
            {o.settings.name(), o.settings.references()},
            {o.actions.name(), o.actions.references()},
            {o.action.name(), o.action.references()}};
}

HRESULT FakeTaskService::CreateService(ITaskService** service) {
    if (service == nullptr) return E_POINTER;
    *service = nullptr;
    if (g_current == nullptr) return E_UNEXPECTED;
    Objects& o = *g_current->m_objects;
    const HRESULT result = o.state.Enter("CreateService");
    if (FAILED(result)) return result;
    o.service.AddRef();
    *service = &o.service;
    return S_OK;
}

}  // namespace Fake
