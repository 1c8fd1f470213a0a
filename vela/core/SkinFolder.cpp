#include "core/SkinFolder.h"

#include <windows.h>

#include "vela/Manager.h"

namespace Vela {

std::wstring SkinPath(const wchar_t* fileName) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.erase(folder.rfind(L'\\') + 1);
    return folder + L"skins\\" + Manager::GetTheme() + (fileName != nullptr ? fileName : L"");
}

}  // namespace Vela
