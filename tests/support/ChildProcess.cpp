#include "support/ChildProcess.h"

#include <utility>
#include <vector>

namespace TestSupport {

ChildProcess::~ChildProcess() {
    Terminate();
    if (m_process != nullptr) ::CloseHandle(m_process);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_process(std::exchange(other.m_process, nullptr)), m_id(std::exchange(other.m_id, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Terminate();
        if (m_process != nullptr) ::CloseHandle(m_process);
        m_process = std::exchange(other.m_process, nullptr);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

bool ChildProcess::Start(const std::wstring& commandLine, const std::wstring& directory,
                         const std::wstring& desktop, HANDLE standardError) {
    std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
    command.push_back(L'\0');
    std::vector<wchar_t> desktopName(desktop.begin(), desktop.end());
    desktopName.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!desktop.empty()) startup.lpDesktop = desktopName.data();
    const BOOL inherit = standardError != nullptr ? TRUE : FALSE;
    if (inherit) {
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = standardError;
    }
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, inherit, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        return false;
    }
    ::CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    return true;
}

bool ChildProcess::Wait(DWORD milliseconds) const {
    return m_process == nullptr || ::WaitForSingleObject(m_process, milliseconds) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() const { return m_process != nullptr && !Wait(0); }

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (m_process != nullptr) ::GetExitCodeProcess(m_process, &code);
    return code;
}

void ChildProcess::Terminate() {
    if (Running()) {
        ::TerminateProcess(m_process, 0xDEAD);
        ::WaitForSingleObject(m_process, 5000);
    }
}

std::wstring ScreenDesktop(int width, int height) {
    // Wine sizes a named desktop from HKCU\Software\Wine\Explorer\Desktops\<name>.
    const std::wstring size = std::to_wstring(width) + L"x" + std::to_wstring(height);
    const std::wstring name = L"screen" + size;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(size.c_str()),
                         static_cast<DWORD>((size.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
    return name;
}

}  // namespace TestSupport
