#include "update/UpdatePackage.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "shell/Handle.h"

namespace Corvane {
namespace {

// COM for the shell call on the worker thread, as the shell asks of its callers.
class ComApartment {
public:
    ComApartment()
        : m_initialised(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED |
                                                                 COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (m_initialised) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_initialised;
};

}  // namespace

UpdatePackage MakeUpdatePackage(UpdateKind kind, const std::wstring& version,
                                const std::wstring& baseUrl, const std::wstring& dataFolder) {
    const std::wstring stem = (kind == kFirmwareUpdate ? L"FirmwareUpdateTool-" : L"Software-") + version;
    UpdatePackage package;
    package.archiveName = stem + L".zip";
    package.programName = stem + L".exe";
    package.archiveUrl = baseUrl + L"//" + package.archiveName;
    package.workFolder = dataFolder + L"\\temp\\";
    package.archivePath = package.workFolder + package.archiveName;
    package.programPath = package.workFolder + package.programName;
    return package;
}

bool StartUpdateProgram(const std::wstring& programPath) {
    UniqueHandle hold(::CreateFileW(programPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hold) return false;
    ComApartment com;
    const HINSTANCE started =
        ::ShellExecuteW(nullptr, L"open", programPath.c_str(), nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

}  // namespace Corvane
