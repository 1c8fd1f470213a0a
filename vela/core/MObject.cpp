#include "vela/MObject.h"

#include <cwchar>

namespace Vela {

MObject::~MObject() = default;

int MObject::IsClass(const wchar_t* name) {
    const wchar_t* own = GetClassNameW();
    if (own == nullptr || name == nullptr) return 0;
    return std::wcscmp(own, name) == 0 ? 1 : 0;
}

const wchar_t* MObject::GetClassNameW() const { return nullptr; }
const wchar_t* MObject::GetObjectClass() { return nullptr; }
const wchar_t* MObject::BaseObjectClassName() { return nullptr; }

long MObject::OnBaseMessage(unsigned long, unsigned long, unsigned long, long) { return 0; }
long MObject::OnControlUpdate(CRect, int, MControl*) { return 0; }

}  // namespace Vela
