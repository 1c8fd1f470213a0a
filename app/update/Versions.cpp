#include "update/Versions.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace Corvane {
namespace {

// Splits at every dot; an empty text is one empty part.
std::vector<std::wstring> SplitAtDots(const std::wstring& text) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t dot = text.find(L'.', start);
        if (dot == std::wstring::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, dot - start));
        start = dot + 1;
    }
}

bool IsPlainVersionCharacter(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
           c == L'.' || c == L'-';
}

}  // namespace

int CompareVersions(const std::wstring& current, const std::wstring& latest) {
    const std::vector<std::wstring> mine = SplitAtDots(current);
    const std::vector<std::wstring> theirs = SplitAtDots(latest);
    if (mine.size() != theirs.size()) return 2;
    for (size_t i = 0; i < mine.size(); ++i) {
        const int a = ::_wtoi(mine[i].c_str());
        const int b = ::_wtoi(theirs[i].c_str());
        if (a > b) return -1;
        if (a < b) return 1;
    }
    return 0;
}

bool AcceptVersionText(const std::wstring& text, std::wstring* version) {
    if (text.empty() || text.size() > kMaxVersionTextLength) return false;
    size_t end = text.size();
    if (end >= 2 && text[end - 2] == L'\r' && text[end - 1] == L'\n') {
        end -= 2;
    } else if (text[end - 1] == L'\n' || text[end - 1] == L'\r') {
        end -= 1;
    }
    if (end == 0) return false;
    for (size_t i = 0; i < end; ++i) {
        if (!IsPlainVersionCharacter(text[i])) return false;
    }
    *version = text.substr(0, end);
    return true;
}

bool FirmwareUpdateOffered(const std::wstring& fileVersion, int displayVersion) {
    if (displayVersion < 0) return false;
    wchar_t digits[16];
    std::swprintf(digits, 16, L"%x", static_cast<unsigned>(displayVersion));
    return ::_wtoi(fileVersion.c_str()) > ::_wtoi(digits);
}

}  // namespace Corvane
