// MControl: routing of mouse, wheel, key and timer events down the tree.
#include "vela/MControl.h"

#include "render/Lock.h"
#include "vela/ControlHost.h"

namespace Vela {
namespace {

const unsigned kDoubleClickCode = 3;
const unsigned kKeyCode = 14;

// The lParam of a notification that carries a point: its address.
long PointAddress(CPoint* point) {
    return static_cast<long>(reinterpret_cast<LONG_PTR>(point));
}

}  // namespace

// A container's own scroll bars (ids 1 and 2) are not scrolled with its content: they get the
// point as it came in, everything else the translated one.
CPoint MControl::ChildPoint(const MControl* child, CPoint incoming, CPoint translated) const {
    return child->m_id == 1 || child->m_id == 2 ? incoming : translated;
}

int MControl::OnMouseMove(unsigned flags, CPoint point) {
    if (!m_visible || !m_response) return 0;
    CPoint translated = point;
    OnMousePointChange(translated);

    if (m_hover != nullptr) {
        // A held button keeps the mouse on the hover child even outside it.
        const CPoint p = ChildPoint(m_hover, point, translated);
        if ((m_hover->PtInRect(p) && m_hover->OnCheckMouseResponse(flags, p)) || m_press) {
            return m_hover->OnMouseMove(flags, p) ? 1 : 0;
        }
    }
    const bool hadHover = m_hover != nullptr;
    m_hover = nullptr;

    if (!m_tooltip.empty() && m_rect.PtInRect(translated) &&
        OnCheckMouseResponse(flags, translated) && m_host != nullptr &&
        m_host->GetTooltipCtrlID() != static_cast<int>(m_id)) {
        m_host->SetTooltip(m_tooltip, m_rect);
        m_host->SetTooltipCtrlID(static_cast<int>(m_id));
    }
    OnControlSetCursor(flags, translated);
    int result = OnControlMouseMove(flags, translated);
    if (m_press) return result;

    {
        // Every child hears the move so it can update its own hover state; the last one that
        // takes it and contains its point becomes the hover child.
        LockScope lock(m_controlLock.get());
        for (MControl* child : m_controls) {
            const CPoint p = ChildPoint(child, point, translated);
            if (child->OnMouseMove(flags, p)) {
                result = 1;
                if (child->PtInRect(p)) m_hover = child;
            }
        }
    }
    return hadHover || m_hover != nullptr ? 1 : result;
}

void MControl::HoverChildUnderPress(CPoint point, CPoint translated) {
    LockScope lock(m_controlLock.get());
    for (MControl* child : m_controls) {
        const CPoint p = ChildPoint(child, point, translated);
        if (child->PtInRect(p) && child->m_visible && child->m_enabled && child->m_response) {
            m_hover = child;
        }
    }
}

int MControl::RoutePress(unsigned flags, CPoint point, RouteHandler childHandler,
                         RouteHandler ownHandler) {
    if (!m_visible || !m_response) return 0;
    CPoint translated = point;
    OnMousePointChange(translated);
    m_press = m_rect.PtInRect(translated) ? 1 : 0;
    HoverChildUnderPress(point, translated);
    if (m_hover != nullptr) {
        return (m_hover->*childHandler)(flags, ChildPoint(m_hover, point, translated)) ? 1 : 0;
    }
    // SetFocusControl tells the old focus control that it lost the focus, this one that it
    // has it.
    if (m_host != nullptr && m_host->GetFocusControl() != this) m_host->SetFocusControl(this);
    return (this->*ownHandler)(flags, translated);
}

int MControl::RouteRelease(unsigned flags, CPoint point, RouteHandler childHandler,
                           RouteHandler ownHandler) {
    if (!m_visible || !m_response) return 0;
    CPoint translated = point;
    OnMousePointChange(translated);
    m_press = 0;
    if (m_hover != nullptr) {
        return (m_hover->*childHandler)(flags, ChildPoint(m_hover, point, translated));
    }
    return (this->*ownHandler)(flags, translated);
}

int MControl::OnLButtonDown(unsigned flags, CPoint point) {
    return RoutePress(flags, point, &MControl::OnLButtonDown, &MControl::OnControlLButtonDown);
}

int MControl::OnLButtonUp(unsigned flags, CPoint point) {
    return RouteRelease(flags, point, &MControl::OnLButtonUp, &MControl::OnControlLButtonUp);
}

int MControl::OnLButtonDblClk(unsigned flags, CPoint point) {
    if (!m_visible || !m_response) return 0;
    CPoint translated = point;
    OnMousePointChange(translated);
    m_press = 0;
    if (m_hover == nullptr) {
        // Without the double-click flag a double-click is a second press.
        if (!m_dblClk) return OnControlLButtonDown(flags, translated);
        if (m_dblClkNotify && m_rect.PtInRect(translated)) {
            SendMessageW(kDoubleClickCode, flags, PointAddress(&translated));
        }
        return OnControlLButtonDblClk(flags, translated);
    }
    MControl* hover = m_hover;
    const CPoint p = ChildPoint(hover, point, translated);
    const int result = hover->OnLButtonDblClk(flags, p);
    if (result == 0 && !hover->m_dblClk) return hover->OnLButtonDown(flags, p) ? 1 : 0;
    return result ? 1 : 0;
}

int MControl::OnRButtonDown(unsigned flags, CPoint point) {
    return RoutePress(flags, point, &MControl::OnRButtonDown, &MControl::OnControlRButtonDown);
}

int MControl::OnRButtonUp(unsigned flags, CPoint point) {
    return RouteRelease(flags, point, &MControl::OnRButtonUp, &MControl::OnControlRButtonUp);
}

int MControl::OnRButtonDblClk(unsigned flags, CPoint point) {
    if (!m_visible || !m_response) return 0;
    CPoint translated = point;
    OnMousePointChange(translated);
    m_press = 0;
    if (m_hover == nullptr) {
        return m_dblClk ? OnControlRButtonDblClk(flags, translated)
                        : OnControlRButtonDown(flags, translated);
    }
    MControl* hover = m_hover;
    const CPoint p = ChildPoint(hover, point, translated);
    const int result = hover->OnRButtonDblClk(flags, p);
    if (result == 0 && !hover->m_dblClk) return hover->OnRButtonDown(flags, p) ? 1 : 0;
    return result ? 1 : 0;
}

int MControl::OnScroll(int kind, unsigned direction, CPoint point) {
    // The wheel point is not translated.
    if (!m_visible || !m_response || !m_enabled) return 0;
    if (m_hover != nullptr && m_hover->PtInRect(point) &&
        m_hover->OnCheckMouseResponse(0, point)) {
        return m_hover->OnScroll(kind, direction, point);
    }
    if (!m_rect.PtInRect(point)) return 0;
    if (OnControlScroll(kind, direction, point)) return 1;
    LockScope lock(m_controlLock.get());
    for (MControl* child : m_controls) {
        if (child->PtInRect(point) && child->OnScroll(kind, direction, point)) return 1;
    }
    return 0;
}

int MControl::OnKeyDown(unsigned key, unsigned repeat, unsigned flags) {
    if (!m_visible) return 0;
    // Down the chain of focused children to the deepest one.
    MControl* current = this;
    for (;;) {
        if (!current->m_response) return 0;
        MControl* focused = nullptr;
        {
            LockScope lock(current->m_controlLock.get());
            for (MControl* child : current->m_controls) {
                if (child->m_focused) {
                    focused = child;
                    break;
                }
            }
        }
        if (focused == nullptr) break;
        if (!focused->m_visible) return 0;
        current = focused;
    }

    if (current->m_hover != nullptr && current->m_hover->OnKeyDown(key, repeat, flags)) return 1;
    auto notify = [&] {
        if (current->m_keyNotify) current->SendMessageW(kKeyCode, key, static_cast<long>(flags));
    };
    if (current->OnControlKeyDown(key, repeat, flags)) {
        notify();
        return 1;
    }
    bool consumed = false;
    {
        LockScope lock(current->m_controlLock.get());
        for (MControl* child : current->m_controls) {
            if (child->OnKeyDown(key, repeat, flags)) {
                consumed = true;
                break;
            }
        }
    }
    notify();
    return consumed ? 1 : 0;
}

int MControl::OnKeyUp(unsigned, unsigned, unsigned) { return 0; }

int MControl::OnTimer() {
    int result = OnControlTimer();
    // Never waits for the list: while another thread holds it (the window thread painting or
    // changing the list), the children miss this tick. See the lock rule in the header.
    TryLockScope lock(m_controlLock.get());
    if (!lock.held()) return result ? 1 : 0;
    for (MControl* child : m_controls) {
        if (child->m_runTimer && child->m_visible && child->OnTimer()) result = 1;
    }
    return result ? 1 : 0;
}

}  // namespace Vela
