// PaintManager: the control factory (class name to control) and the two control lists.
#include "vela/PaintManager.h"

#include <algorithm>

#include "render/Lock.h"
#include "vela/CArea.h"
#include "vela/MButton.h"
#include "vela/MControl.h"
#include "vela/MPicture.h"
#include "vela/MText.h"

namespace Vela {
namespace {

// One row per class name, in the order the names are tried; the integers are the control's
// visible and enabled values (a and b) unless the row says otherwise. Names of controls that
// the library does not carry are not listed: they give null like any unknown name.
struct FactoryRow {
    const wchar_t* name;
    MControl* (*create)(MObject* parent, unsigned id, CRect rect, const wchar_t* text, int a,
                        int b);
};

const FactoryRow kFactory[] = {
    {L"CArea",
     [](MObject* p, unsigned id, CRect r, const wchar_t*, int a, int) -> MControl* {
         return new CArea(p, id, r, a, 1);
     }},
    {L"MText",
     [](MObject* p, unsigned id, CRect r, const wchar_t* text, int a, int) -> MControl* {
         return new MText(p, id, r, text, a);
     }},
    {L"MPicture",
     [](MObject* p, unsigned id, CRect r, const wchar_t*, int a, int b) -> MControl* {
         return new MPicture(p, id, r, a, b);
     }},
    {L"MButton",
     [](MObject* p, unsigned id, CRect r, const wchar_t* text, int a, int b) -> MControl* {
         return new MButton(p, id, r, text, a, b);
     }},
};

}  // namespace

MControl* PaintManager::Construct(const std::wstring& className, MObject* parent, unsigned id,
                                  CRect rect, const wchar_t* text, int a, int b) {
    for (const FactoryRow& row : kFactory) {
        if (className == row.name) return row.create(parent, id, rect, text, a, b);  // exact
    }
    return nullptr;
}

MControl* PaintManager::CreateArea(MObject* parent, const wchar_t* className, unsigned id,
                                   CRect rect, const wchar_t* text, int a, int b) {
    return CreateControl(0, parent, className, id, rect, text, a, b);
}

MControl* PaintManager::CreateControl(MObject* parent, const wchar_t* className, unsigned id,
                                      CRect rect, const wchar_t* text, int a, int b) {
    return CreateControl(1, parent, className, id, rect, text, a, b);
}

MControl* PaintManager::CreateControl(int kind, MObject* parent, const wchar_t* className,
                                      unsigned id, CRect rect, const wchar_t* text, int a,
                                      int b) {
    if (className == nullptr || *className == L'\0') return nullptr;
    MControl* control = Construct(className, parent, id, rect, text, a, b);
    if (control == nullptr) return nullptr;
    control->SetManager(this);  // also calls InitControl with this manager
    if (kind == 0) {
        LockScope lock(&m_areaLock);
        m_areas.push_back(control);
    } else if (kind == 1) {
        LockScope lock(&m_controlLock);
        m_controls.push_back(control);
    }
    return control;  // other kinds: the caller owns it
}

// --- Control lists -----------------------------------------------------------------------------

std::vector<MControl*>& PaintManager::GetControls() { return m_controls; }

MControl* PaintManager::GetControl(unsigned id) {
    for (std::vector<MControl*>* list : {&m_controls, &m_areas}) {
        for (MControl* control : *list) {
            if (control == nullptr) continue;
            if (control->GetControlID() == id) return control;
            if (MControl* found = control->GetControl(id)) return found;
        }
    }
    return nullptr;
}

bool PaintManager::InSubtree(MControl* root, MControl* control) {
    for (MControl* c = control; c != nullptr; c = dynamic_cast<MControl*>(c->GetParantObject())) {
        if (c == root) return true;
    }
    return false;
}

void PaintManager::ForgetControl(MControl* removed) {
    // Nothing of the manager may point into a control that is about to be deleted: hover,
    // focus (cleared quietly, the control is going), the caret owner and its window timers.
    if (InSubtree(removed, m_hover)) m_hover = nullptr;
    if (InSubtree(removed, m_focus)) m_focus = nullptr;
    if (InSubtree(removed, m_caretOwner)) m_caretOwner = nullptr;
    LockScope lock(&m_timerLock);
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (InSubtree(removed, it->control)) {
            if (!it->killed && m_hwnd != nullptr) ::KillTimer(m_hwnd, it->nativeId);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

// Each control leaves its list under the list's lock and is then forgotten and deleted
// outside it, so no two of the manager's locks are held at once.
void PaintManager::RemoveControl(MControl* control) {
    if (control == nullptr) return;
    {
        LockScope lock(&m_controlLock);
        auto found = std::find(m_controls.begin(), m_controls.end(), control);
        if (found == m_controls.end()) return;
        m_controls.erase(found);
    }
    ForgetControl(control);
    control->LeaveMTimer();  // no tick may reach it while it is destroyed
    delete control;
}

void PaintManager::ClearAreaControls() {
    std::vector<MControl*> areas;
    {
        LockScope lock(&m_areaLock);
        areas.swap(m_areas);
    }
    for (MControl* area : areas) {
        ForgetControl(area);
        area->LeaveMTimer();
        delete area;
    }
}

void PaintManager::ClearControls() {
    std::vector<MControl*> controls;
    {
        LockScope lock(&m_controlLock);
        controls.swap(m_controls);
    }
    for (MControl* control : controls) {
        ForgetControl(control);
        control->LeaveMTimer();
        delete control;
    }
}

void PaintManager::ClearAllControls() {
    ClearAreaControls();
    ClearControls();
}

}  // namespace Vela
