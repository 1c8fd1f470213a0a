#include <winsock2.h>

#include "update_fixtures.h"

#include <cstdlib>

namespace UpdateTests {

std::wstring FixturesDir() { return UPDATE_FIXTURES_W; }

std::wstring ZipFixture(const std::wstring& name) { return FixturesDir() + L"zips\\" + name; }

std::wstring ServerUrl() {
    const std::string text = ReadBytes(FixturesDir() + L"server.port");
    const int port = std::atoi(text.c_str());
    if (port <= 0) return std::wstring();
    return L"http://127.0.0.1:" + std::to_wstring(port);
}

std::string ReadBytes(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

namespace {

void CollectFiles(const std::wstring& folder, const std::wstring& prefix, std::vector<std::wstring>* files) {
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            CollectFiles(folder + name + L"\\", prefix + name + L"\\", files);
        } else {
            files->push_back(prefix + name);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

}  // namespace

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
    std::vector<std::wstring> files;
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    CollectFiles(base, L"", &files);
    return files;
}

ClosedPort::ClosedPort() : m_socket(INVALID_SOCKET) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    m_socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (m_socket != INVALID_SOCKET &&
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        int size = sizeof(address);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
    }
}

ClosedPort::~ClosedPort() {
    if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
    ::WSACleanup();
}

std::wstring ClosedPort::Url() const { return L"http://127.0.0.1:" + std::to_wstring(m_port); }

}  // namespace UpdateTests
