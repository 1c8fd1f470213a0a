// Logon task registration: the line that the real Task Scheduler leads to under Wine, and
// the whole sequence of calls, values, failure lines and clean-up against a stand-in.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fake_task_service.h"
#include "shell/Handle.h"
#include "shell/LogonTask.h"
#include "support/ChildProcess.h"
#include "support/TestPaths.h"

using Fake::FakeTaskService;
using Fake::TaskRecord;
using TestSupport::ChildProcess;
using TestSupport::ScratchDir;
using TestSupport::TestsDir;

namespace {

// Every call of a registration that goes through, in order.
const std::vector<std::string> kAllCalls = {
    "CreateService",
    "Service.Connect",
    "Service.GetFolder",
    "Service.NewTask",
    "Definition.get_Triggers",
    "Triggers.Create",
    "Trigger.put_Id",
    "Definition.get_Principal",
    "Principal.put_RunLevel",
    "Definition.get_Settings",
    "Settings.put_StopIfGoingOnBatteries",
    "Settings.put_DisallowStartIfOnBatteries",
    "Settings.put_AllowDemandStart",
    "Settings.put_StartWhenAvailable",
    "Settings.put_MultipleInstances",
    "Settings.put_ExecutionTimeLimit",
    "Definition.get_Actions",
    "Actions.Create",
    "Action.QueryInterface(IExecAction)",
    "Action.put_Path",
    "Folder.RegisterTaskDefinition",
};

// The calls of kAllCalls up to and including call.
std::vector<std::string> CallsThrough(const std::string& call) {
    const auto at = std::find(kAllCalls.begin(), kAllCalls.end(), call);
    EXPECT_NE(kAllCalls.end(), at) << call;
    return std::vector<std::string>(kAllCalls.begin(), at == kAllCalls.end() ? at : at + 1);
}

// What one registration against the stand-in wrote and how it left the thread's COM.
struct Outcome {
    std::string errors;        // everything written to the standard error stream
    bool ownInitKept = false;  // the thread's own COM initialisation outlived the call
    bool nothingLeft = false;  // and once the thread undid it, COM was gone from the thread
};

// Registers against the current stand-in on a fresh thread that first initialises COM in
// threadModel: apartment-threaded as the window thread does, or multithreaded, which
// makes registration's own CoInitialize fail.
Outcome RegisterOnThread(DWORD threadModel = COINIT_APARTMENTTHREADED) {
    Outcome outcome;
    std::ostringstream errors;
    std::streambuf* const previous = std::cerr.rdbuf(errors.rdbuf());
    std::thread([&] {
        ::CoInitializeEx(nullptr, threadModel);
        Corvane::RegisterLogonTask(&FakeTaskService::CreateService);
        // Initialising in the other model is refused exactly while COM is initialised.
        const DWORD other =
            threadModel == COINIT_MULTITHREADED ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED;
        outcome.ownInitKept = ::CoInitializeEx(nullptr, other) == RPC_E_CHANGED_MODE;
        ::CoUninitialize();
        const HRESULT after = ::CoInitializeEx(nullptr, other);
        outcome.nothingLeft = after == S_OK;
        if (SUCCEEDED(after)) ::CoUninitialize();
    }).join();
    std::cerr.rdbuf(previous);
    outcome.errors = errors.str();
    return outcome;
}

void ExpectEveryReferenceReturned(const FakeTaskService& fake) {
    for (const auto& object : fake.ReferenceCounts()) {
        EXPECT_EQ(1, object.second) << object.first << " is not back to the stand-in's reference";
    }
}

// Reads all of a file that another process may still hold open for writing.
std::string ReadWholeFile(const std::wstring& path) {
    Corvane::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    return text;
}

}  // namespace

// The real Task Scheduler, as the program calls it: Wine's answers E_NOTIMPL when the
// logon trigger is created, so under Wine registration ends at that step with its line.
// The probe runs it in a process of its own whose standard error stream is a file.
TEST(LogonTask, RealTaskSchedulerStopsAtTheLogonTriggerUnderWine) {
    ScratchDir scratch(L"logontask");
    const std::wstring errorsPath = scratch.path() + L"stderr.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    Corvane::UniqueHandle errors(::CreateFileW(errorsPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                               &inheritable, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(errors);

    // Wine starts its desktop process on first use, from the first process that needs it
    // (the probe's OLE would), and that process keeps the standard handles it inherited
    // for a while after the probe ends. Starting it from here keeps the probe's error file
    // out of it.
    ::GetDesktopWindow();
    ChildProcess probe;
    ASSERT_TRUE(probe.Start(L"\"" + TestsDir() + L"corvane_probe.exe\" logontask", L"", L"",
                            errors.get()));
    ASSERT_TRUE(probe.Wait(60000));
    EXPECT_EQ(0u, probe.ExitCode());
    errors.reset();

    EXPECT_EQ("Failed to create trigger with HRESULT: 0x80004001\r\n", ReadWholeFile(errorsPath));
}

// From here on the stand-in takes the real service's place through the factory seam:
// Wine's Task Scheduler cannot get past the logon trigger, so the later steps, their
// values and their failures are only visible this way.

TEST(LogonTask, HandsTheWholeTaskToTheService) {
    FakeTaskService fake;
    const Outcome outcome = RegisterOnThread();
    EXPECT_EQ("", outcome.errors);

    const TaskRecord& r = fake.record();
    EXPECT_EQ(kAllCalls, r.calls);
    EXPECT_TRUE(r.notBstr.empty()) << "not a BSTR: " << ::testing::PrintToString(r.notBstr);

    // Local machine, current user.
    EXPECT_EQ(std::vector<VARTYPE>(4, VT_EMPTY), r.connectArguments);
    EXPECT_EQ(L"\\", r.folderPath);
    EXPECT_EQ(0, r.newTaskFlags);
    EXPECT_EQ(9, r.triggerType);  // logon
    EXPECT_EQ(L"Administrator", r.triggerId);
    EXPECT_EQ(1, r.runLevel);  // highest
    EXPECT_EQ(VARIANT_FALSE, r.stopIfGoingOnBatteries);
    EXPECT_EQ(VARIANT_FALSE, r.disallowStartIfOnBatteries);
    EXPECT_EQ(VARIANT_TRUE, r.allowDemandStart);
    EXPECT_EQ(VARIANT_FALSE, r.startWhenAvailable);
    EXPECT_EQ(0, r.multipleInstances);  // parallel
    EXPECT_EQ(L"PT0S", r.executionTimeLimit);
    EXPECT_EQ(0, r.actionType);  // exec
    // This test program has another name: the action still names Corvane.exe beside it.
    EXPECT_EQ(TestsDir() + L"Corvane.exe", r.path);

    EXPECT_EQ(L"Halvex StartupTask", r.taskName);
    EXPECT_TRUE(r.registeredOwnDefinition);
    EXPECT_EQ(6, r.registrationFlags);  // create or update
    EXPECT_EQ(VT_EMPTY, r.user);
    EXPECT_EQ(VT_EMPTY, r.password);
    EXPECT_EQ(3, r.logonType);  // interactive token
    EXPECT_EQ(VT_BSTR, r.securityDescriptorType);
    EXPECT_EQ(L"", r.securityDescriptor);
    EXPECT_FALSE(r.registeredTaskRequested);

    ExpectEveryReferenceReturned(fake);
    EXPECT_TRUE(outcome.ownInitKept) << "registration uninitialised COM once too often";
    EXPECT_TRUE(outcome.nothingLeft) << "registration left its own CoInitialize behind";
}

struct FailingStep {
    const char* call;
    HRESULT result;
    const char* line;
};

void PrintTo(const FailingStep& step, std::ostream* out) { *out << step.call; }

class LogonTaskFailure : public ::testing::TestWithParam<FailingStep> {};

// A failing step writes its line and nothing after it runs; a failing registration (the
// last step; E_ACCESSDENIED when the program is not elevated) is only reported. Either way
// every reference comes back and COM is left as it was found.
TEST_P(LogonTaskFailure, WritesTheStepsLineAndStops) {
    const FailingStep step = GetParam();
    FakeTaskService fake;
    fake.FailCall(step.call, step.result);
    const Outcome outcome = RegisterOnThread();

    EXPECT_EQ(std::string(step.line) + "\n", outcome.errors);
    EXPECT_EQ(CallsThrough(step.call), fake.record().calls);
    ExpectEveryReferenceReturned(fake);
    EXPECT_TRUE(outcome.ownInitKept);
    EXPECT_TRUE(outcome.nothingLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, LogonTaskFailure,
    ::testing::Values(
        FailingStep{"CreateService", REGDB_E_CLASSNOTREG,
                    "Failed to create Task Scheduler instance with HRESULT: 0x80040154"},
        FailingStep{"Service.Connect", HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE),
                    "Failed to connect to Task Scheduler service with HRESULT: 0x800706ba"},
        FailingStep{"Service.GetFolder", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                    "Failed to get root folder with HRESULT: 0x80070002"},
        FailingStep{"Service.NewTask", E_OUTOFMEMORY,
                    "Failed to create new task with HRESULT: 0x8007000e"},
        FailingStep{"Definition.get_Triggers", E_FAIL,
                    "Failed to get trigger collection with HRESULT: 0x80004005"},
        FailingStep{"Triggers.Create", E_INVALIDARG,
                    "Failed to create trigger with HRESULT: 0x80070057"},
        FailingStep{"Trigger.put_Id", E_OUTOFMEMORY,
                    "Failed to set trigger ID with HRESULT: 0x8007000e"},
        FailingStep{"Definition.get_Principal", E_FAIL,
                    "Failed to get principal with HRESULT: 0x80004005"},
        FailingStep{"Principal.put_RunLevel", E_INVALIDARG,
                    "Failed to set run level with HRESULT: 0x80070057"},
        FailingStep{"Definition.get_Actions", E_FAIL,
                    "Failed to get action collection with HRESULT: 0x80004005"},
        FailingStep{"Actions.Create", E_INVALIDARG,
                    "Failed to create action with HRESULT: 0x80070057"},
        FailingStep{"Action.QueryInterface(IExecAction)", E_NOINTERFACE,
                    "Failed to query exec action interface with HRESULT: 0x80004002"},
        FailingStep{"Action.put_Path", E_INVALIDARG,
                    "Failed to set executable path with HRESULT: 0x80070057"},
        FailingStep{"Folder.RegisterTaskDefinition", E_ACCESSDENIED,
                    "Failed to register task definition with HRESULT: 0x80070005"}));

// The settings are best effort: a failing setting writes nothing and the rest still runs;
// without a settings object the six settings are skipped and registration goes on.
TEST(LogonTask, SettingsFailuresAreIgnored) {
    std::vector<std::string> withoutSettings;
    for (const std::string& call : kAllCalls) {
        if (call.rfind("Settings.", 0) != 0) withoutSettings.push_back(call);
    }
    const struct {
        const char* call;
        std::vector<std::string> calls;
    } cases[] = {
        {"Settings.put_StopIfGoingOnBatteries", kAllCalls},
        {"Settings.put_ExecutionTimeLimit", kAllCalls},
        {"Definition.get_Settings", withoutSettings},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        FakeTaskService fake;
        fake.FailCall(c.call, E_FAIL);
        const Outcome outcome = RegisterOnThread();
        EXPECT_EQ("", outcome.errors);
        EXPECT_EQ(c.calls, fake.record().calls);
        ExpectEveryReferenceReturned(fake);
    }
}

// On a thread already in the multithreaded apartment CoInitialize really fails (with
// RPC_E_CHANGED_MODE): registration writes the first line and returns at once, with no
// service made and the thread's own COM initialisation left alone.
TEST(LogonTask, FailingCoInitializeReturnsAtOnce) {
    FakeTaskService fake;
    const Outcome outcome = RegisterOnThread(COINIT_MULTITHREADED);
    EXPECT_EQ("CoInitialize failed with HRESULT: 0x80010106\n", outcome.errors);
    EXPECT_TRUE(fake.record().calls.empty());
    EXPECT_TRUE(outcome.ownInitKept);
    EXPECT_TRUE(outcome.nothingLeft);
}
