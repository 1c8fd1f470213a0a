#include "update/EntryName.h"

#include <cwchar>
#include <vector>

namespace Corvane {
namespace {

const wchar_t* const kParentSequences[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsForbiddenCharacter(wchar_t c) {
    return c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' ||
           c == L'?' || c == L'*';
}

// The part before the first dot, as Windows compares it against device names.
bool IsDeviceName(const std::wstring& part) {
    std::wstring stem = part.substr(0, part.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL",
                                              L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* device : kDevices) {
        if (_wcsicmp(stem.c_str(), device) == 0) return true;
    }
    if (stem.size() == 4 && (_wcsnicmp(stem.c_str(), L"COM", 3) == 0 ||
                             _wcsnicmp(stem.c_str(), L"LPT", 3) == 0)) {
        const wchar_t last = stem[3];
        // Windows also treats the superscript digits 1, 2 and 3 as port numbers.
        return (last >= L'0' && last <= L'9') || last == 0x00B9 || last == 0x00B2 || last == 0x00B3;
    }
    return false;
}

bool IsAllowedPart(const std::wstring& part) {
    if (part == L"..") return false;
    for (wchar_t c : part) {
        if (IsForbiddenCharacter(c)) return false;
    }
    if (part.back() == L'.' || part.back() == L' ') return false;
    return !IsDeviceName(part);
}

}  // namespace

std::wstring CleanEntryName(std::wstring name) {
    // Every rule shortens the name, so the loop ends.
    for (;;) {
        if (name.size() >= 2 && name[1] == L':') {
            name.erase(0, 2);
            continue;
        }
        if (!name.empty() && IsSeparator(name[0])) {
            name.erase(0, 1);
            continue;
        }
        bool changed = false;
        for (const wchar_t* sequence : kParentSequences) {
            const size_t at = name.find(sequence);
            if (at != std::wstring::npos) {
                name.erase(0, at + std::wcslen(sequence));
                changed = true;
                break;
            }
        }
        if (!changed) return name;
    }
}

bool ConfineEntryName(const std::wstring& cleaned, std::wstring* relative, bool* directory) {
    if (cleaned.empty()) return false;
    const bool isDirectory = IsSeparator(cleaned.back());
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= cleaned.size()) {
        size_t end = start;
        while (end < cleaned.size() && !IsSeparator(cleaned[end])) ++end;
        const std::wstring part = cleaned.substr(start, end - start);
        if (!part.empty() && part != L".") {
            if (!IsAllowedPart(part)) return false;
            parts.push_back(part);
        }
        start = end + 1;
    }
    if (parts.empty()) return false;
    std::wstring path;
    for (const std::wstring& part : parts) {
        if (!path.empty()) path += L'\\';
        path += part;
    }
    *relative = path;
    *directory = isDirectory;
    return true;
}

}  // namespace Corvane
