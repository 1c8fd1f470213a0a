#include "SimConfig.h"

#include <windows.h>

#include <cwchar>

namespace HidSim {

namespace {

// false when the variable is not set at all.
bool ReadVariable(const wchar_t* name, std::wstring* value) {
    wchar_t buffer[4096];
    ::SetLastError(ERROR_SUCCESS);
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 4096);
    if (length == 0) {
        value->clear();
        return ::GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    }
    if (length >= 4096) {
        value->clear();
        return true;
    }
    value->assign(buffer, length);
    return true;
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return parts;
}

bool ParseHex(const std::wstring& text, unsigned long limit, unsigned long* value) {
    if (text.empty() || text.size() > 8) return false;
    wchar_t* end = nullptr;
    *value = std::wcstoul(text.c_str(), &end, 16);
    return end != nullptr && *end == L'\0' && *value <= limit;
}

std::vector<Collection> ParseCollections(const std::wstring& text) {
    std::vector<Collection> collections;
    if (text.empty()) return collections;
    for (const std::wstring& item : Split(text, L',')) {
        const std::vector<std::wstring> fields = Split(item, L':');
        unsigned long v[4] = {};
        if (fields.size() != 4) continue;
        bool ok = true;
        for (int i = 0; i < 4; ++i) ok = ok && ParseHex(fields[i], 0xFFFF, &v[i]);
        if (!ok) continue;
        collections.push_back(Collection{static_cast<uint16_t>(v[0]), static_cast<uint16_t>(v[1]),
                                         static_cast<uint16_t>(v[2]), static_cast<uint16_t>(v[3])});
    }
    return collections;
}

template <typename T>
std::vector<T> ParseHexList(const std::wstring& text, unsigned long limit, T fallback) {
    std::vector<T> values;
    for (const std::wstring& item : Split(text, L',')) {
        unsigned long v = 0;
        if (ParseHex(item, limit, &v)) values.push_back(static_cast<T>(v));
    }
    if (values.empty()) values.push_back(fallback);
    return values;
}

IndexSet ParseIndexes(const std::wstring& text) {
    IndexSet set;
    if (text.empty()) return set;
    for (const std::wstring& item : Split(text, L',')) {
        if (item == L"*") {
            set.all = true;
        } else if (!item.empty()) {
            set.indexes.insert(static_cast<int>(std::wcstol(item.c_str(), nullptr, 10)));
        }
    }
    return set;
}

}  // namespace

Config ReadConfig() {
    Config config;
    std::wstring value;
    if (ReadVariable(L"HIDSIM_DEVICES", &value)) {
        config.collections = ParseCollections(value);
    } else {
        config.collections.push_back(Collection{0x1A2C, 0x444D, 0xFF01, 0x0001});
    }
    ReadVariable(L"HIDSIM_FIRMWARE", &value);
    config.firmware = ParseHexList<uint16_t>(value, 0xFFFF, 0x0104);
    ReadVariable(L"HIDSIM_REPLY_IDS", &value);
    config.replyIds = ParseHexList<uint8_t>(value, 0xFF, 0x07);
    ReadVariable(L"HIDSIM_LOG", &config.logPath);
    ReadVariable(L"HIDSIM_HANDLE_LOG", &config.handleLogPath);
    ReadVariable(L"HIDSIM_FAIL_OPEN", &value);
    config.failOpen = ParseIndexes(value);
    ReadVariable(L"HIDSIM_FAIL_SEND", &value);
    config.failSend = ParseIndexes(value);
    ReadVariable(L"HIDSIM_FAIL_GET", &value);
    config.failGet = ParseIndexes(value);
    ReadVariable(L"HIDSIM_HANG", &value);
    config.hang = ParseIndexes(value);
    return config;
}

}  // namespace HidSim
