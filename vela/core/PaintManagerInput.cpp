// PaintManager: the message dispatcher and the mouse: hover tracking, presses, capture, the
// window drag, the wheel and deactivation.
#include "vela/PaintManager.h"

#include <cstdlib>

#include "render/Lock.h"
#include "vela/MControl.h"

namespace Vela {
namespace {

bool Responds(MControl* control, UINT keys, CPoint point) {
    return control->IsVisible() && control->GetRresponse() && control->PtInRect(point) &&
           control->OnCheckMouseResponse(keys, point);
}

}  // namespace

// --- Dispatcher --------------------------------------------------------------------------------

long PaintManager::OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kFlushUpdatesMessage) {
        // Repaint requests recorded by multimedia ticks, delivered here on the window thread.
        // The flag is cleared first, so a request made while flushing posts again.
        m_flushPosted = false;
        {
            LockScope lock(&m_areaLock);
            for (MControl* area : m_areas) area->FlushUpdateRequests();
        }
        LockScope lock(&m_controlLock);
        for (MControl* control : m_controls) control->FlushUpdateRequests();
        return 1;
    }
    {
        // A control that takes the message leaves it to default processing.
        LockScope lock(&m_controlLock);
        for (MControl* control : m_controls) {
            if (control != nullptr &&
                control->OnWindowMessage(message, static_cast<unsigned>(wparam),
                                         static_cast<long>(lparam)) != 0) {
                return 0;
            }
        }
    }
    const CPoint point(lparam);
    const UINT keys = static_cast<UINT>(wparam);
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_SIZE:
    case WM_CHAR:
    case WM_MOUSEHOVER:
        return 1;
    case WM_PAINT:
        return OnPaint() ? 1 : 0;
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lparam));
    case WM_NCDESTROY:
        DestroyData();
        return 1;
    case WM_NCACTIVATE:
        return OnNcActivate(static_cast<int>(wparam)) ? 1 : 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnKeyDown(keys, static_cast<UINT>(lparam)) ? 1 : 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return OnKeyUp(keys, static_cast<UINT>(lparam)) ? 1 : 0;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        // Reflected to the child window that sent it.
        if (lparam == 0) return 0;
        return static_cast<long>(
            ::SendMessageW(reinterpret_cast<HWND>(lparam), message + 0x2000, wparam, lparam));
    case WM_TIMER:
        OnTimer(wparam);
        return 0;
    case WM_MOUSEMOVE:
        return OnMouseMove(keys, point) ? 1 : 0;
    case WM_LBUTTONDOWN:
        return OnLButtonDown(keys, point) ? 1 : 0;
    case WM_LBUTTONUP:
        return OnLButtonUp(keys, point) ? 1 : 0;
    case WM_LBUTTONDBLCLK:
        return OnLButtonDblClk(keys, point) ? 1 : 0;
    case WM_RBUTTONDOWN:
        return OnRButtonDown(keys, point) ? 1 : 0;
    case WM_RBUTTONUP:
        return OnRButtonUp(keys, point) ? 1 : 0;
    case WM_RBUTTONDBLCLK:
        return OnRButtonDblClk(keys, point) ? 1 : 0;
    case WM_MOUSEWHEEL:
        // The point of a wheel message is in screen coordinates.
        return OnMouseWheel(LOWORD(wparam), static_cast<short>(HIWORD(wparam)), point) ? 1 : 0;
    case WM_MOUSELEAVE:
        return OnMouseLeave(wparam, lparam) ? 1 : 0;
    default:
        return 0;
    }
}

int PaintManager::OnGetMinMaxInfo(MINMAXINFO* info) {
    if (info == nullptr) return 1;
    if (m_minWidth > 0) info->ptMinTrackSize.x = m_minWidth;
    if (m_minHeight > 0) info->ptMinTrackSize.y = m_minHeight;
    if (m_maxWidth > 0) info->ptMaxTrackSize.x = info->ptMaxSize.x = m_maxWidth;
    if (m_maxHeight > 0) info->ptMaxTrackSize.y = info->ptMaxSize.y = m_maxHeight;
    return 1;
}

int PaintManager::OnWindowPosChanged(WINDOWPOS* pos) {
    if (m_hwnd == nullptr || pos == nullptr) return 1;
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(m_hwnd, WM_MOVE, 0, MAKELPARAM(pos->x, pos->y));
    ::SendMessageW(m_hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(pos->cx, pos->cy));
    return 1;
}

int PaintManager::OnCreate(WPARAM, LPARAM) { return 1; }
int PaintManager::OnSize(WPARAM, LPARAM) { return 1; }
int PaintManager::OnMouseHover(WPARAM, LPARAM) { return 1; }
int PaintManager::OnNcHitTest(WPARAM, LPARAM) { return 1; }
int PaintManager::OnNcCalcSize(WPARAM, LPARAM) { return 1; }
int PaintManager::OnWindowPosChanging(WPARAM, LPARAM) { return 1; }
int PaintManager::OnNcPaint(WPARAM, LPARAM) { return 1; }
int PaintManager::OnDestroy(WPARAM, LPARAM) { return 1; }

// --- Hover tracking ----------------------------------------------------------------------------

MControl* PaintManager::GetHoverControl() { return m_hover; }

int PaintManager::OnMouseMove(UINT keys, CPoint point) {
    if (!m_tracking && m_hwnd != nullptr) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE | TME_HOVER, m_hwnd, 400};
        m_tracking = ::TrackMouseEvent(&track) ? 1 : 0;
    }
    if (m_dragPending && (keys & MK_LBUTTON)) {
        // Compared with the point of the previous move, not with the press: the drag begins
        // unless the pointer went more than 2 pixels along both axes at once.
        const int dx = point.x - m_dragPoint.x;
        const int dy = point.y - m_dragPoint.y;
        const bool begins = !(std::abs(dx) > 2 && std::abs(dy) > 2);
        m_dragPoint = point;
        if (begins) {
            StartDrag();
            return 1;
        }
    }
    if (m_hover != nullptr) {
        if (m_hover->PtInRect(point) && m_hover->OnCheckMouseResponse(keys, point) &&
            m_tracking) {
            m_hover->OnMouseMove(keys, point);
            return 1;
        }
        ClearTooltip();
    }
    if (m_pressed) return 1;  // the pressed control keeps the hover
    if (!m_tracking) {
        m_hover = nullptr;
        return 1;
    }
    MControl* hover = nullptr;
    {
        LockScope lock(&m_controlLock);
        for (MControl* control : m_controls) {
            if (control == nullptr) continue;
            control->OnMouseMove(keys, point);
            // The last control in list order is drawn on top: it takes the pointer.
            if (control->PtInRect(point) && control->GetRresponse()) hover = control;
        }
    }
    m_hover = hover;
    return 1;
}

int PaintManager::OnMouseLeave(WPARAM, LPARAM) {
    ClearTooltip();
    m_tracking = 0;
    if (m_pressed) return 1;
    if (m_hover != nullptr) m_hover->OnMouseMove(0, CPoint(-1, -1));
    m_hover = nullptr;
    m_pressed = 0;
    return 1;
}

// --- Buttons -----------------------------------------------------------------------------------

int PaintManager::OnLButtonDown(UINT keys, CPoint point) {
    if (m_focus != nullptr && m_focus != m_hover) {
        m_focus->SetControlFocus(0);
        m_focus = nullptr;
    }
    if (m_hover != nullptr && Responds(m_hover, keys, point)) {
        if (m_hover->IsDragDrop() && m_hover->IsEnabled()) {
            m_dragPending = 1;
            if (m_dragBitmap != nullptr) ::DeleteObject(m_dragBitmap);
            m_dragBitmap = m_hover->GetControlDropBitmap();
        }
        m_pressed = 1;
        m_focus = m_hover;
        const int taken = m_hover->OnLButtonDown(keys, point);
        if (!m_captured && m_hover != nullptr && m_hover->OnCheckMouseResponse(keys, point)) {
            SetCapture();
            m_captured = 1;
            return 1;
        }
        if (taken) return 1;
    }
    if (m_wndDrag && m_hwnd != nullptr) {
        // A press on the background moves the window: the system's move loop runs while
        // the button is held, as for a press on a caption.
        ::ReleaseCapture();
        ::SendMessageW(m_hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
    }
    return 1;
}

int PaintManager::OnLButtonUp(UINT keys, CPoint point) {
    if (m_captured) {
        ReleaseCapture();
        m_captured = 0;
    }
    m_pressed = 0;
    if (m_hover == nullptr) return 1;
    if (m_hover->IsVisible() && m_hover->GetRresponse()) {
        MControl* hover = m_hover;
        const CRect rect = hover->GetRect();
        hover->OnLButtonUp(keys, point);
        if (!rect.PtInRect(point)) m_hover = nullptr;
    } else {
        m_hover = nullptr;
    }
    return 1;
}

int PaintManager::OnLButtonDblClk(UINT keys, CPoint point) {
    if (m_hover != nullptr && m_hover->IsVisible() && m_hover->GetRresponse()) {
        m_hover->OnLButtonDblClk(keys, point);
        if (m_hover != nullptr && !m_hover->GetRect().PtInRect(point)) m_hover = nullptr;
    }
    return 1;
}

int PaintManager::OnRButtonDown(UINT keys, CPoint point) {
    if (m_focus != nullptr && m_focus != m_hover) {
        m_focus->SetControlFocus(0);
        m_focus = nullptr;
    }
    if (m_hover != nullptr && Responds(m_hover, keys, point)) {
        m_focus = m_hover;
        m_hover->OnRButtonDown(keys, point);
        if (!m_captured && m_hover != nullptr && m_hover->OnCheckMouseResponse(keys, point)) {
            SetCapture();
            m_captured = 1;
        }
    }
    return 1;  // never a window drag or a drag and drop
}

int PaintManager::OnRButtonUp(UINT keys, CPoint point) {
    if (m_captured) {
        ReleaseCapture();
        m_captured = 0;
    }
    if (m_hover == nullptr) return 1;
    if (m_hover->IsVisible() && m_hover->GetRresponse()) {
        MControl* hover = m_hover;
        const CRect rect = hover->GetRect();
        hover->OnRButtonUp(keys, point);
        if (!rect.PtInRect(point)) m_hover = nullptr;
    } else {
        m_hover = nullptr;
    }
    return 1;
}

int PaintManager::OnRButtonDblClk(UINT keys, CPoint point) {
    if (m_hover != nullptr && m_hover->IsVisible() && m_hover->GetRresponse()) {
        m_hover->OnRButtonDblClk(keys, point);
        if (m_hover != nullptr && !m_hover->GetRect().PtInRect(point)) m_hover = nullptr;
    }
    return 1;
}

// --- Deactivation and the wheel ----------------------------------------------------------------

int PaintManager::OnNcActivate(int active) {
    if (!active) {
        m_tracking = 0;
        m_captured = 0;
        if (m_hover != nullptr) {
            if (m_pressed) {
                m_hover->OnLButtonUp(0, CPoint(-1, -1));
            } else {
                m_hover->OnMouseMove(0, CPoint(-1, -1));
            }
        }
        m_pressed = 0;
        m_hover = nullptr;
    }
    if (m_hwnd != nullptr) ::InvalidateRect(m_hwnd, nullptr, m_layered ? TRUE : FALSE);
    return 1;
}

int PaintManager::OnMouseWheel(UINT, int delta, CPoint screenPoint) {
    CPoint point = screenPoint;
    if (m_hwnd != nullptr) ::ScreenToClient(m_hwnd, &point);
    const int steps = delta / 120;  // truncated toward zero: less than a notch is nothing
    const unsigned direction = steps <= 0 ? 1 : 0;
    int handled = 0;
    for (int step = 0; step < std::abs(steps); ++step) {
        if (m_hover != nullptr && m_hover->OnScroll(1, direction, point)) {
            handled = 1;
            continue;
        }
        LockScope lock(&m_controlLock);
        for (MControl* control : m_controls) {
            if (control != nullptr && control->OnScroll(1, direction, point)) {
                handled = 1;
                break;
            }
        }
    }
    return handled;
}

}  // namespace Vela
