// What the update tests share: the fixture tree that CTest builds before them (see
// make_fixtures.py), the address of the update-server stand-in, and file helpers.
#pragma once

#include <windows.h>

#include <cstdint>

#include <string>
#include <vector>

namespace UpdateTests {

std::wstring FixturesDir();                          // ends with a backslash
std::wstring ZipFixture(const std::wstring& name);   // FixturesDir() + "zips\\" + name

// "http://127.0.0.1:<port>" of the running stand-in (from its port file); empty when
// it does not run.
std::wstring ServerUrl();

std::string ReadBytes(const std::wstring& path);  // the whole file; empty when missing
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// Paths of every file below folder, relative to it, in any order.
std::vector<std::wstring> FilesBelow(const std::wstring& folder);

// A loopback port that refuses connections for the object's life: bound, never listening.
class ClosedPort {
public:
    ClosedPort();
    ~ClosedPort();
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    std::wstring Url() const;  // "http://127.0.0.1:<port>"

private:
    uintptr_t m_socket;  // owned SOCKET
    int m_port = 0;
};

}  // namespace UpdateTests
