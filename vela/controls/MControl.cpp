// MControl: construction, the tree, state, the upward channel, tooltips and cursor.
#include "vela/MControl.h"

#include <algorithm>
#include <cstring>

#include "render/Lock.h"
#include "vela/ControlHost.h"

namespace Vela {

MControl::MControl(MObject* parent, unsigned id, CRect rect, int visible, int enabled,
                   int response)
    : m_parent(parent),
      m_id(id),
      m_rect(rect),
      m_visible(visible),
      m_enabled(enabled),
      m_response(response) {}

MControl::~MControl() {
    // The host must not reach a deleted control, through its timer list or as its focus
    // control. (The removals below and the host's take a control off the timer list before
    // deleting it, so no tick runs into a half-destroyed derived class; this is the last
    // chance for a control deleted some other way.)
    LeaveMTimer();
    if (m_host != nullptr && m_host->GetFocusControl() == this) m_host->SetFocusControl(nullptr);
    RemoveAllControl();
    // Then the caches (CacheDC members) and the locks go, in reverse order of declaration.
}

const wchar_t* MControl::GetClassNameW() const { return L"MControl"; }

// --- Tree and attachment ---------------------------------------------------------------------

void MControl::SetManager(ControlHost* host) {
    m_host = host;
    m_manager = host != nullptr ? host->GetPaintManager() : nullptr;
    InitControl(m_manager);
}

PaintManager* MControl::GetManager() const { return m_manager; }
ControlHost* MControl::GetHost() const { return m_host; }
void MControl::SetParent(MObject* parent) { m_parent = parent; }
MObject* MControl::GetParantObject() const { return m_parent; }
unsigned MControl::GetControlID() const { return m_id; }
std::vector<MControl*>& MControl::GetControls() { return m_controls; }

MControl* MControl::GetControl(unsigned id) {
    // Without the locks: only the window thread changes the lists, and it is the caller.
    for (const std::vector<MControl*>* list : {&m_controls, &m_areas}) {
        for (MControl* child : *list) {
            if (child->m_id == id) return child;
            if (MControl* found = child->GetControl(id)) return found;
        }
    }
    return nullptr;
}

int MControl::RemoveControl(MControl* control) {
    if (control == nullptr) return 0;
    // SetFocusControl(nullptr) tells the old focus control that it lost the focus.
    if (m_host != nullptr && m_host->GetFocusControl() == control) {
        m_host->SetFocusControl(nullptr);
    }
    LockScope lock(m_controlLock.get());
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end()) return 0;
    if (m_hover == control) m_hover = nullptr;
    m_controls.erase(it);
    control->LeaveMTimer();
    delete control;
    return 0;
}

void MControl::RemoveAllControl() {
    {
        LockScope lock(m_areaLock.get());
        for (MControl* area : m_areas) {
            area->LeaveMTimer();
            delete area;
        }
        m_areas.clear();
    }
    LockScope lock(m_controlLock.get());
    m_hover = nullptr;
    for (MControl* control : m_controls) {
        control->LeaveMTimer();
        delete control;
    }
    m_controls.clear();
}

void MControl::LeaveMTimer() {
    // Each removal waits for a tick that is running; the tick never waits for the child-list
    // locks held here (see the lock rule in the header).
    if (m_host != nullptr) {
        while (m_host->DeleteFSTimer(this)) {
        }
    }
    {
        LockScope lock(m_areaLock.get());
        for (MControl* area : m_areas) area->LeaveMTimer();
    }
    LockScope lock(m_controlLock.get());
    for (MControl* control : m_controls) control->LeaveMTimer();
}

// --- Geometry and state ----------------------------------------------------------------------

void MControl::SetRect(CRect rect) {
    RECT both;
    ::UnionRect(&both, &m_rect, &rect);
    SetControlRect(rect);
    if (m_visible) SendUpdate(both, 1);
}

void MControl::SetRect(int x, int y, int width, int height) {
    SetRect(CRect(x, y, x + width, y + height));
}

CRect MControl::GetRect() const { return m_rect; }

void MControl::SetVisible(int visible) { SetVisible(visible, 1); }

void MControl::SetVisible(int visible, int repaint) {
    if (visible == m_visible) return;
    SetControlVisible(visible);
    // Also when hiding: the area the control covered must be painted again.
    if (repaint) SendUpdate(m_rect, 1);
}

int MControl::IsVisible() const { return m_visible; }

void MControl::SetEnabled(int enabled) {
    if (enabled == m_enabled) return;
    SetControlEnabled(enabled);
    if (m_visible) SendUpdate(m_rect, 1);
}

int MControl::IsEnabled() const { return m_enabled; }

int MControl::IsParentVisible() {
    if (m_parent == nullptr) return 0;
    if (m_parent->IsClass(L"MDialog")) return 1;
    auto* parent = dynamic_cast<MControl*>(m_parent);
    if (parent == nullptr) return 0;
    return parent->m_visible && parent->IsParentVisible() ? 1 : 0;
}

void MControl::SetDragDrop(int dragDrop) { m_dragDrop = dragDrop; }
int MControl::IsDragDrop() const { return m_dragDrop; }
void MControl::SetRresponse(int response) { m_response = response; }
int MControl::GetRresponse() const { return m_response; }
void MControl::SetTabStop(int tabStop) { m_tabStop = tabStop; }
int MControl::IsTabStop() const { return m_tabStop; }
int MControl::GetDblClk() const { return m_dblClk; }
int MControl::IsFocused() const { return m_focused; }
void MControl::SetRunTimer(int runTimer) { m_runTimer = runTimer; }
int MControl::IsRunTimer() const { return m_runTimer; }
int MControl::GetUpdate() const { return m_update; }

// --- The upward channel ----------------------------------------------------------------------

void MControl::UpdateControl(int update, int force) { UpdateControl(m_rect, update, force); }

void MControl::UpdateControl(CRect rect, int update, int force) {
    if (m_visible || force) SendUpdate(rect, update);
}

void MControl::UpdateAControl(int animate, int force) {
    if (!m_visible && !force) return;
    m_animate = !animate;
    SendUpdate(m_rect, 0);
}

bool MControl::OffHostThread() const {
    if (m_host == nullptr) return false;
    HWND window = m_host->GetPaintWnd();
    if (window == nullptr) return false;
    return ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId();
}

void MControl::SendUpdate(CRect rect, int update) {
    if (m_parent == nullptr) return;
    if (!OffHostThread()) {
        m_parent->OnControlUpdate(rect, update, this);
        return;
    }
    // Off the window thread (a multimedia tick): the parents and the paint manager take the
    // window's locks, so the request waits here until the window thread collects it.
    bool first = false;
    {
        LockScope lock(m_pendingLock.get());
        if (m_pending) {
            RECT both;
            ::UnionRect(&both, &m_pendingRect, &rect);
            m_pendingRect = both;
            m_pendingUpdate |= update;
        } else {
            m_pending = first = true;
            m_pendingRect = rect;
            m_pendingUpdate = update;
        }
    }
    if (first) m_host->PostControlUpdates();
}

void MControl::FlushUpdateRequests() {
    bool pending = false;
    CRect rect;
    int update = 0;
    {
        LockScope lock(m_pendingLock.get());
        std::swap(pending, m_pending);
        rect = m_pendingRect;
        update = m_pendingUpdate;
    }
    if (pending && m_parent != nullptr) m_parent->OnControlUpdate(rect, update ? 1 : 0, this);
    {
        LockScope lock(m_areaLock.get());
        for (MControl* area : m_areas) area->FlushUpdateRequests();
    }
    LockScope lock(m_controlLock.get());
    for (MControl* control : m_controls) control->FlushUpdateRequests();
}

long MControl::SendMessageW(unsigned code, unsigned wParam, long lParam) {
    if (m_parent == nullptr) return 0;
    return m_parent->OnBaseMessage(m_id, code, wParam, lParam);
}

int MControl::InvalidateRect(const RECT*, int erase) {
    if (m_host == nullptr) return 0;
    HWND window = m_host->GetPaintWnd();
    if (window == nullptr) return 0;
    if (m_host->IsLayered()) return ::InvalidateRect(window, nullptr, TRUE);
    return ::InvalidateRect(window, &m_rect, erase);
}

// --- Focus -----------------------------------------------------------------------------------

int MControl::OnFocus(int focus) { return SetControlFocus(focus); }

int MControl::IsFocusControl() {
    return m_host != nullptr && m_host->GetFocusControl() == this ? 1 : 0;
}

MControl* MControl::GetFocusControl(MControl*) { return nullptr; }
MControl* MControl::GetNextFocusableControl(MControl*) { return nullptr; }
MControl* MControl::GetPrevFocusableControl(MControl*) { return nullptr; }

// --- Tooltips and cursor ---------------------------------------------------------------------

void MControl::SetTooltip(const wchar_t* text) { m_tooltip = text != nullptr ? text : L""; }
std::wstring MControl::GetTooltip() const { return m_tooltip; }

void MControl::SetTooltip(const std::wstring& text, CRect rect) {
    if (m_host == nullptr) return;
    m_host->SetTooltip(text, rect);
    m_host->SetTooltipCtrlID(static_cast<int>(m_id));
}

void MControl::ClearTooltip() {
    if (m_host == nullptr) return;
    m_host->ClearTooltip();
    m_host->SetTooltipCtrlID(0);
}

void MControl::SetTooltipCtrlID(int) {}
int MControl::GetTooltipCtrlID() { return 0; }

int MControl::SetCursorEx(const wchar_t* name) {
    static const struct {
        const wchar_t* name;
        const wchar_t* cursor;
    } kCursors[] = {{L"arrow", IDC_ARROW},   {L"wait", IDC_WAIT},     {L"cross", IDC_CROSS},
                    {L"sizewe", IDC_SIZEWE}, {L"sizens", IDC_SIZENS}, {L"hand", IDC_HAND},
                    {L"help", IDC_HELP}};
    if (name == nullptr) return 0;
    for (const auto& entry : kCursors) {
        if (std::wcscmp(entry.name, name) == 0) {
            m_cursor = ::LoadCursorW(nullptr, entry.cursor);
            break;
        }
    }
    return 0;
}

// --- Timers, drag and drop, layout -----------------------------------------------------------

int MControl::AddMTimer() { return m_host != nullptr ? m_host->AddMTimer(this) : 0; }

HBITMAP MControl::GetDropBitmap() { return GetControlDropBitmap(); }

int MControl::PositionItem2Value(const FS_POSITION_ITEM& item, int low, int high) {
    const int v = static_cast<int>(item.value);  // truncated toward zero
    switch (item.mode) {
    case 0:
        return item.fromEnd ? high - v : low + v;
    case 1:
        return low + (high - low) / 2 + (item.fromEnd ? -v : v);
    case 2:
        return std::min(high, low + static_cast<int>((high - low) * item.value / 100));
    default:
        return 0;
    }
}

// --- Overridables with a base behaviour ------------------------------------------------------

void MControl::InitControl(PaintManager*) {}
int MControl::PtInRect(CPoint point) { return m_visible && m_rect.PtInRect(point) ? 1 : 0; }
int MControl::IsDraw(CPoint) { return 0; }
void MControl::InitUI(CRect) {}
int MControl::OnMousePointChange(CPoint&) { return 0; }
int MControl::OnCheckMouseResponse(unsigned, CPoint) { return 1; }
long MControl::OnWindowMessage(unsigned, unsigned, long) { return 0; }
long MControl::OnMessage(unsigned, unsigned, unsigned, long) { return 0; }
void MControl::SetControlRect(CRect rect) { m_rect = rect; }
void MControl::SetControlVisible(int visible) { m_visible = visible; }
void MControl::SetControlWndVisible(int) {}
void MControl::SetControlEnabled(int enabled) { m_enabled = enabled; }
int MControl::OnControlTimer() { return 0; }
HBITMAP MControl::GetControlDropBitmap() { return nullptr; }
int MControl::OnControlMouseMove(unsigned, CPoint) { return 0; }
int MControl::OnControlLButtonDown(unsigned, CPoint) { return 0; }
int MControl::OnControlLButtonUp(unsigned, CPoint) { return 0; }
int MControl::OnControlLButtonDblClk(unsigned, CPoint) { return 0; }
int MControl::OnControlScroll(int, unsigned, CPoint) { return 0; }
int MControl::OnControlRButtonDown(unsigned, CPoint) { return 0; }
int MControl::OnControlRButtonUp(unsigned, CPoint) { return 0; }
int MControl::OnControlRButtonDblClk(unsigned, CPoint) { return 0; }
void MControl::OnPositionChange() {}

int MControl::OnControlSetCursor(unsigned, CPoint point) {
    if (m_cursor == nullptr || !m_rect.PtInRect(point)) return 0;
    ::SetCursor(m_cursor);
    return 1;
}

int MControl::OnControlKeyDown(unsigned key, unsigned, unsigned flags) {
    return m_accelKey != 0 && key == m_accelKey && flags == m_accelFlags ? 1 : 0;
}

int MControl::SetControlFocus(int focus) {
    if (focus == 0) {
        LockScope lock(m_controlLock.get());
        for (MControl* control : m_controls) control->SetControlFocus(0);
    }
    return 0;
}

}  // namespace Vela
