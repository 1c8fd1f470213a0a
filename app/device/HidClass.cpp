#include "device/HidClass.h"

namespace Corvane {

namespace {

template <typename Function>
void Load(HMODULE module, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// hid.dll stays loaded for the rest of the process.
class SystemHidLibrary {
public:
    SystemHidLibrary() : m_module(::LoadLibraryW(L"hid.dll")) {
        if (m_module == nullptr) return;
        Load(m_module, "HidD_GetAttributes", &m_functions.GetAttributes);
        Load(m_module, "HidD_GetPreparsedData", &m_functions.GetPreparsedData);
        Load(m_module, "HidD_FreePreparsedData", &m_functions.FreePreparsedData);
        Load(m_module, "HidP_GetCaps", &m_functions.GetCaps);
    }
    ~SystemHidLibrary() {
        if (m_module != nullptr) ::FreeLibrary(m_module);
    }
    SystemHidLibrary(const SystemHidLibrary&) = delete;
    SystemHidLibrary& operator=(const SystemHidLibrary&) = delete;

    const HidClassFunctions& functions() const { return m_functions; }

private:
    HMODULE m_module;  // owned
    HidClassFunctions m_functions = {};
};

}  // namespace

const HidClassFunctions& SystemHidClass() {
    static SystemHidLibrary library;
    return library.functions();
}

}  // namespace Corvane
