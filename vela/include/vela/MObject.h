// MObject: root of everything that owns controls or receives their notifications.
#pragma once

#include <windows.h>

#include "vela/Geometry.h"
#include "vela/VelaExport.h"

namespace Vela {

class MControl;

class VELA_API MObject {
public:
    virtual ~MObject();

    // 1 only when GetClassNameW() equals name exactly (case-sensitive).
    virtual int IsClass(const wchar_t* name);
    virtual const wchar_t* GetClassNameW() const;
    virtual const wchar_t* GetObjectClass();
    virtual const wchar_t* BaseObjectClassName();

    // A child control reports an event to its parent.
    virtual long OnBaseMessage(unsigned long id, unsigned long message, unsigned long wparam,
                               long lparam);
    // A child control asks its parent to repaint a rectangle.
    virtual long OnControlUpdate(CRect rect, int flag, MControl* control);
};

}  // namespace Vela
