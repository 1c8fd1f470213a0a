// FakeTaskService: a stand-in for the Task Scheduler service and every object it hands
// out (root folder, task definition, trigger collection, trigger, principal, settings,
// action collection, exec action). Each is a COM object with its own reference count;
// together they record every call and value they receive and can fail one chosen call.
// TaskRecord: what the stand-in was told.
#pragma once

#include <windows.h>
#include <taskschd.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Fake {

struct TaskRecord {
    // "<object>.<method>" in call order, "CreateService" for the factory. Calls that
    // registration has no business making are recorded too, so they show up as well.
    std::vector<std::string> calls;
    // Calls whose string argument was not a real BSTR (its length prefix disagrees).
    std::vector<std::string> notBstr;

    std::vector<VARTYPE> connectArguments;
    std::wstring folderPath;
    long newTaskFlags = -1;
    int triggerType = -1;
    std::wstring triggerId;
    int runLevel = -1;
    VARIANT_BOOL stopIfGoingOnBatteries = 1;  // 1 is neither VARIANT_TRUE nor VARIANT_FALSE
    VARIANT_BOOL disallowStartIfOnBatteries = 1;
    VARIANT_BOOL allowDemandStart = 1;
    VARIANT_BOOL startWhenAvailable = 1;
    int multipleInstances = -1;
    std::wstring executionTimeLimit;
    int actionType = -1;
    std::wstring path;
    std::wstring taskName;
    bool registeredOwnDefinition = false;  // the definition handed to the folder is ours
    long registrationFlags = -1;
    VARTYPE user = VT_ILLEGAL;
    VARTYPE password = VT_ILLEGAL;
    int logonType = -1;
    VARTYPE securityDescriptorType = VT_ILLEGAL;
    std::wstring securityDescriptor;
    bool registeredTaskRequested = false;  // an out pointer for the registered task was passed
};

class FakeTaskService {
public:
    // While it lives, this instance is the one that CreateService hands out.
    FakeTaskService();
    ~FakeTaskService();
    FakeTaskService(const FakeTaskService&) = delete;
    FakeTaskService& operator=(const FakeTaskService&) = delete;

    // The call named as in TaskRecord::calls answers result (and hands out nothing).
    void FailCall(const std::string& call, HRESULT result);

    const TaskRecord& record() const;

    // Every object's name and reference count. Each starts at 1, the stand-in's own
    // reference (its storage is the stand-in's, so an over-release shows as 0 or less
    // instead of freeing it).
    std::vector<std::pair<std::string, long>> ReferenceCounts() const;

    // A TaskServiceFactory: hands out the current instance's service with one reference.
    static HRESULT CreateService(ITaskService** service);

private:
    struct Objects;
    std::unique_ptr<Objects> m_objects;  // owned
};

}  // namespace Fake
