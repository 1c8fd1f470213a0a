// MDialog: the message dispatcher and the base behaviour of the notification handlers.
#include "vela/MDialog.h"

namespace Vela {
namespace {

// WM_CREATE keeps everything but the caption and the sizing frame, and adds clip-siblings,
// clip-children and the low style bit 0x8.
const DWORD kStyleKept = 0xFF3BFFFF;
const DWORD kStyleAdded = 0x06000008;

CPoint PointOf(LPARAM lparam) { return CPoint(lparam); }  // sign-extended words

// The notification each message gets before the paint manager sees it. Messages without an
// entry reach the manager (and the default procedure) without one.
struct Notification {
    UINT message;
    void (*notify)(MDialog& dialog, WPARAM wparam, LPARAM lparam);
};

const Notification kNotifications[] = {
    {WM_CREATE, [](MDialog& d, WPARAM, LPARAM l) {
         d.OnCreate(reinterpret_cast<CREATESTRUCTW*>(l)); }},
    {WM_DESTROY, [](MDialog& d, WPARAM, LPARAM) { d.OnDestroy(); }},
    {WM_SIZE, [](MDialog& d, WPARAM w, LPARAM l) {
         const CPoint size = PointOf(l);
         d.OnSize(static_cast<UINT>(w), size.x, size.y); }},
    {WM_PAINT, [](MDialog& d, WPARAM, LPARAM) { d.OnPaint(); }},
    {WM_CLOSE, [](MDialog& d, WPARAM, LPARAM) { d.OnClose(); }},
    {WM_WINDOWPOSCHANGING, [](MDialog& d, WPARAM, LPARAM l) {
         d.OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(l)); }},
    {WM_WINDOWPOSCHANGED, [](MDialog& d, WPARAM, LPARAM l) {
         d.OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(l)); }},
    {WM_NCACTIVATE, [](MDialog& d, WPARAM w, LPARAM) {
         d.OnNcActivate(static_cast<BOOL>(w)); }},
    {WM_TIMER, [](MDialog& d, WPARAM w, LPARAM) { d.OnTimer(static_cast<UINT_PTR>(w)); }},
    {WM_MOUSEMOVE, [](MDialog& d, WPARAM w, LPARAM l) {
         d.OnMouseMove(static_cast<UINT>(w), PointOf(l)); }},
    {WM_LBUTTONDOWN, [](MDialog& d, WPARAM w, LPARAM l) {
         d.OnLButtonDown(static_cast<UINT>(w), PointOf(l)); }},
    {WM_LBUTTONUP, [](MDialog& d, WPARAM w, LPARAM l) {
         d.OnLButtonUp(static_cast<UINT>(w), PointOf(l)); }},
    {WM_LBUTTONDBLCLK, [](MDialog& d, WPARAM w, LPARAM l) {
         d.OnLButtonDblClk(static_cast<UINT>(w), PointOf(l)); }},
    {WM_RBUTTONDOWN, [](MDialog& d, WPARAM w, LPARAM l) {
         d.OnRButtonDown(static_cast<UINT>(w), PointOf(l)); }},
    {WM_RBUTTONUP, [](MDialog& d, WPARAM w, LPARAM l) {
         d.OnRButtonUp(static_cast<UINT>(w), PointOf(l)); }},
    {WM_RBUTTONDBLCLK, [](MDialog& d, WPARAM w, LPARAM l) {
         d.OnRButtonDblClk(static_cast<UINT>(w), PointOf(l)); }},
    {WM_MOUSEHOVER, [](MDialog& d, WPARAM w, LPARAM l) { d.OnMouseHover(w, l); }},
    {WM_MOUSELEAVE, [](MDialog& d, WPARAM w, LPARAM l) { d.OnMouseLeave(w, l); }},
};

}  // namespace

long MDialog::OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    // Answered at once: the background is never erased (the manager paints all of it), and
    // the close request ends the dialog with its code.
    if (message == WM_ERASEBKGND) return 1;
    if (message == kCloseRequest) return OnUserCloseWindow(wparam, lparam);

    for (const Notification& entry : kNotifications) {
        if (entry.message == message) {
            entry.notify(*this, wparam, lparam);
            break;
        }
    }
    if (const long handled = m_manager.OnWindowMessage(message, wparam, lparam)) return handled;
    return MWindow::OnWindowMessage(message, wparam, lparam);  // the default procedure
}

int MDialog::PreTranslateMessage(MSG* msg) {
    return m_manager.PreTranslateMessage(msg) ? 1 : 0;
}

long MDialog::OnUserCloseWindow(WPARAM wparam, LPARAM lparam) {
    // The modal loop takes the code from this WM_CLOSE; dispatching it destroys the window.
    if (IsSet()) PostMessageW(WM_CLOSE, wparam, lparam);
    return 1;
}

// --- Notification handlers: the base behaviour ------------------------------------------------

int MDialog::OnCreate(CREATESTRUCTW*) {
    if (!IsSet()) return 1;
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>((style & kStyleKept) | kStyleAdded));
    // The frame was measured with the caption and sizing border: without them the client
    // area must be measured again, or it stays smaller than the window.
    if ((style & ~kStyleKept) != 0) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 1;
}

int MDialog::OnSize(UINT type, int, int) {
    if (type != SIZE_MINIMIZED) SetupBackTranslucent();
    GetClientRect(&m_clientRect);
    if (m_clientRect.Width() > 1 && m_clientRect.Height() > 1) UISize(m_clientRect);
    InvalidateRect(&m_clientRect, 0);
    return 0;
}

int MDialog::OnMouseMove(UINT, CPoint) { return 0; }
int MDialog::OnMouseLeave(WPARAM, LPARAM) { return 0; }
int MDialog::OnMouseHover(WPARAM, LPARAM) { return 0; }
int MDialog::OnMouseWheel(UINT, int, CPoint) { return 0; }
int MDialog::OnLButtonDown(UINT, CPoint) { return 0; }
int MDialog::OnLButtonUp(UINT, CPoint) { return 0; }
int MDialog::OnLButtonDblClk(UINT, CPoint) { return 0; }
int MDialog::OnRButtonDown(UINT, CPoint) { return 0; }
int MDialog::OnRButtonUp(UINT, CPoint) { return 0; }
int MDialog::OnRButtonDblClk(UINT, CPoint) { return 0; }
int MDialog::OnKeyDown(UINT, UINT, UINT) { return 0; }
int MDialog::OnNcHitTest(CPoint) { return 0; }
int MDialog::OnGetMinMaxInfo(MINMAXINFO*) { return 0; }
int MDialog::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) { return 0; }
int MDialog::OnNcActivate(BOOL) { return 0; }
int MDialog::OnWindowPosChanging(WINDOWPOS*) { return 1; }
int MDialog::OnWindowPosChanged(WINDOWPOS*) { return 1; }
int MDialog::OnPaint() { return 0; }
void MDialog::OnTimer(UINT_PTR) {}
int MDialog::OnNcPaint() { return 0; }
int MDialog::OnClose() { return 1; }
int MDialog::OnDestroy() { return 0; }
int MDialog::PostNcDestroy() { return 0; }

}  // namespace Vela
