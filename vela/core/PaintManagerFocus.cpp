// PaintManager: keyboard routing, the focus control, Tab cycling and the pre-translation of
// messages.
#include "vela/PaintManager.h"

#include <commctrl.h>

#include "render/Lock.h"
#include "vela/MControl.h"

namespace Vela {
namespace {

bool Focusable(MControl* control) {
    return control != nullptr && control->IsVisible() && control->IsEnabled() &&
           control->IsTabStop();
}

bool KeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

// The successor of the focus in list order (begin..end), wrapping round to the first
// focusable control. While there is no hover control, the controls visited on the way round
// become it.
template <class It>
MControl* NextFocusable(It begin, It end, MControl* focus, MControl*& hover) {
    bool passed = false;
    for (It it = begin; it != end; ++it) {
        if (passed && Focusable(*it)) return *it;
        if (*it == focus) passed = true;
    }
    for (It it = begin; it != end; ++it) {
        if (hover == nullptr) hover = *it;
        if (Focusable(*it) && (passed || focus == nullptr)) return *it;
    }
    return nullptr;
}

}  // namespace

int PaintManager::OnKeyDown(UINT key, UINT) {
    // The modifier values are the virtual-key codes of Shift, Ctrl and Alt, or-ed together.
    unsigned modifiers = 0;
    if (KeyDown(VK_SHIFT)) modifiers |= VK_SHIFT;
    if (KeyDown(VK_CONTROL)) modifiers |= VK_CONTROL;
    if (KeyDown(VK_MENU)) modifiers |= VK_MENU;
    if (m_hover != nullptr && m_hover->OnKeyDown(key, 1, modifiers)) return 1;
    LockScope lock(&m_controlLock);
    for (MControl* control : m_controls) {
        if (control != nullptr && control->OnKeyDown(key, 1, modifiers)) break;
    }
    return 1;
}

int PaintManager::OnKeyUp(UINT, UINT) { return 0; }

void PaintManager::SetFocusControl(MControl* control) {
    if (control == m_focus) return;
    if (m_focus != nullptr) m_focus->SetControlFocus(0);
    if (control != nullptr) control->SetControlFocus(1);
    m_focus = control;
}

MControl* PaintManager::GetNextFocusableControl() {
    LockScope lock(&m_controlLock);
    return NextFocusable(m_controls.begin(), m_controls.end(), m_focus, m_hover);
}

MControl* PaintManager::GetPrevFocusableControl() {
    LockScope lock(&m_controlLock);
    return NextFocusable(m_controls.rbegin(), m_controls.rend(), m_focus, m_hover);
}

int PaintManager::PreTranslateMessage(MSG* msg) {
    if (msg == nullptr) return 0;
    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (msg->wParam == VK_TAB && !KeyDown(VK_CONTROL) && !KeyDown(VK_MENU)) {
            MControl* next =
                KeyDown(VK_SHIFT) ? GetPrevFocusableControl() : GetNextFocusableControl();
            if (next != nullptr && next != m_focus) {
                SetFocusControl(next);
                return 1;
            }
        }
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
        // The tooltip shows and hides from the pointer's own messages; they go on as well.
        if (m_tooltip != nullptr) {
            ::SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
        }
        return 0;
    default:
        return 0;
    }
}

}  // namespace Vela
