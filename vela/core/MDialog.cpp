// MDialog: construction and lifecycle, the MObject side, result codes, and the services it
// offers on behalf of its paint manager.
#include "vela/MDialog.h"

#include "vela/MControl.h"

namespace Vela {

MDialog::MDialog() = default;

// The manager goes with the object (its tooltip and bubble windows included); the native
// window is gone by now, destroyed by the owner.
MDialog::~MDialog() = default;

// --- MObject side ----------------------------------------------------------------------------

const wchar_t* MDialog::GetClassNameW() const { return L"MDialog"; }

long MDialog::OnBaseMessage(unsigned long id, unsigned long message, unsigned long wparam,
                            long lparam) {
    return OnMessage(id, message, wparam, lparam);
}

long MDialog::OnControlUpdate(CRect rect, int mark, MControl* control) {
    return m_manager.OnControlUpdate(rect, mark, control);
}

long MDialog::OnMessage(unsigned long, unsigned long, unsigned long, long) { return 0; }

// --- Lifecycle -------------------------------------------------------------------------------

int MDialog::OnInitDialog() {
    m_manager.Init(m_hWnd, this);
    if (IsLive()) GetClientRect(&m_clientRect);
    InitUI(m_clientRect);
    return 1;
}

void MDialog::OnDestroyMessage(HWND hwnd) {
    m_manager.OnDestroyMessage(hwnd);  // its DestroyData, when hwnd is its window
    PostNcDestroy();
}

void MDialog::InitUI(CRect) {}
void MDialog::UISize(CRect) {}

void MDialog::OnMinimize() {
    if (IsSet()) ::ShowWindow(m_hWnd, SW_MINIMIZE);
}

void MDialog::OnMaximize() {
    if (IsSet()) ::ShowWindow(m_hWnd, ::IsZoomed(m_hWnd) ? SW_RESTORE : SW_MAXIMIZE);
}

CPoint MDialog::GetAirBladderPoint(MControl* control, int type) {
    if (control == nullptr) return CPoint(0, 0);
    const CRect r = control->GetRect();
    POINT point = {r.left, r.bottom};
    if (type == 1) point.x = r.left + r.Width() / 2;
    if (type == 2) point.x = r.right;
    ClientToScreen(&point);
    return CPoint(point.x, point.y);
}

// --- Result codes ----------------------------------------------------------------------------

void MDialog::PostResult(UINT code) {
    if (IsSet()) PostMessageW(kCloseRequest, code, 0);
}

void MDialog::DoOK() { PostResult(ResultOK); }
void MDialog::DoCancel() { PostResult(ResultCancel); }
void MDialog::DoClose() { PostResult(ResultCancel); }
void MDialog::DoYes() { PostResult(ResultYes); }
void MDialog::DoNo() { PostResult(ResultNo); }

// --- Controls --------------------------------------------------------------------------------

MControl* MDialog::CreateArea(const wchar_t* className, unsigned id, CRect rect,
                              const wchar_t* text, int a, int b) {
    return m_manager.CreateControl(0, this, className, id, rect, text, a, b);
}

MControl* MDialog::CreateControl(const wchar_t* className, unsigned id, CRect rect,
                                 const wchar_t* text, int a, int b) {
    return m_manager.CreateControl(1, this, className, id, rect, text, a, b);
}

MControl* MDialog::GetControl(unsigned id) { return m_manager.GetControl(id); }
std::vector<MControl*>& MDialog::GetControls() { return m_manager.GetControls(); }
void MDialog::SetFocusControl(MControl* control) { m_manager.SetFocusControl(control); }

// --- Appearance ------------------------------------------------------------------------------

int MDialog::LoadBKImage(const wchar_t* fileName) { return m_manager.LoadBKImage(fileName); }
int MDialog::LoadBKImage(UINT id, const wchar_t* type) { return m_manager.LoadBKImage(id, type); }
void MDialog::SetBackMode(enumBackMode mode, int value) { m_manager.SetBackMode(mode, value); }
void MDialog::SetScrollResID(UINT vertical, UINT horizontal) {
    m_manager.SetScrollResID(vertical, horizontal);
}
void MDialog::SetLayeredWindow(int layered) { m_manager.SetLayeredWindow(layered); }
void MDialog::EnableWndDrag(int drag) { m_manager.EnableWndDrag(drag); }
void MDialog::EnableDrawInfo(int draw) { m_manager.EnableDrawInfo(draw); }

void MDialog::SetupBackTranslucent() {
    if (!IsSet()) return;
    if (m_windowAlpha != 255) {
        ModifyExStyle(0, WS_EX_LAYERED, 0);
        ::SetLayeredWindowAttributes(m_hWnd, 0, static_cast<BYTE>(m_windowAlpha), LWA_ALPHA);
    } else if (m_colorKey != 0xFFFFFF) {
        ModifyExStyle(0, WS_EX_LAYERED, 0);
        ::SetLayeredWindowAttributes(m_hWnd, m_colorKey, 255, LWA_COLORKEY);
    }
}

void MDialog::SetupRegion(int) {}

// --- Shadow ----------------------------------------------------------------------------------

void MDialog::CreateShadow(int show, int flag) { m_manager.CreateShadow(show, flag); }
int MDialog::SetSize(int size) { return m_manager.SetSize(size); }
int MDialog::SetSharpness(unsigned value) { return m_manager.SetSharpness(value); }
int MDialog::SetDarkness(unsigned value) { return m_manager.SetDarkness(value); }
int MDialog::SetPosition(int x, int y) { return m_manager.SetPosition(x, y); }
int MDialog::SetShadowColor(COLORREF color) { return m_manager.SetShadowColor(color); }
int MDialog::SetShadowImage(const wchar_t* fileName, CRect corners) {
    return m_manager.SetShadowImage(fileName, corners);
}
int MDialog::SetShadowImage(UINT id, CRect corners) {
    return m_manager.SetShadowImage(id, corners);
}
void MDialog::SetShadowShow(int show) { m_manager.SetShadowShow(show); }

// --- Message panel, tooltip, bubble, multimedia timer ----------------------------------------

void MDialog::SetMessage(const std::wstring& text, CRect rect, MsgLevel level) {
    if (rect.IsEmpty()) {
        const LONG left = m_clientRect.Width() / 2 - 100;
        rect = CRect(left, m_clientRect.bottom - 60, left + 200, m_clientRect.bottom - 2);
        rect.Offset(0, m_messageOffset);
    }
    m_manager.SetMessage(text, rect, level);
}

void MDialog::SetProgress(int percent, const std::wstring& text, CRect rect) {
    m_manager.SetProgress(percent, text, rect);
}

void MDialog::SetTooltip(const std::wstring& text, CRect rect) {
    m_manager.SetTooltip(text, rect);
}
void MDialog::ClearTooltip() { m_manager.ClearTooltip(); }
void MDialog::SetTooltipCtrlID(int id) { m_tooltipCtrlId = id; }
int MDialog::GetTooltipCtrlID() { return m_tooltipCtrlId; }

int MDialog::SetAirBladderMsg(const std::wstring& text, CPoint point, int type) {
    if (point.x == 0 || point.y == 0) return 0;
    m_manager.SetAirBladderMsg(text, point, type, 3);
    m_manager.ShowAirBladder(1, 0);
    return 1;
}

unsigned MDialog::SetMTimer(UINT elapse) { return m_manager.SetMTimer(elapse); }
void MDialog::KillMTimer(unsigned id) { m_manager.KillMTimer(id); }

}  // namespace Vela
