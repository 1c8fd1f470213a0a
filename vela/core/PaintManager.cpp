// PaintManager: construction, the window it manages, its life, the appearance setters and
// the thin window services.
#include "vela/PaintManager.h"

#include <commctrl.h>

#include "core/Module.h"
#include "vela/MControl.h"
#include "vela/MWindow.h"

namespace Vela {

PaintManager::PaintManager() {
    for (CRITICAL_SECTION* lock : {&m_areaLock, &m_controlLock, &m_mtimerLock, &m_imageLock,
                                   &m_timerLock, &m_fontLock}) {
        ::InitializeCriticalSection(lock);
    }
}

PaintManager::~PaintManager() {
    // The multimedia ticks call into this object: stop them while it is still whole
    // (RKTimer's own destructor runs only after the members are gone).
    RKTimer::KillTimer();
    if (m_tooltip != nullptr && ::IsWindow(m_tooltip)) ::DestroyWindow(m_tooltip);
    m_tooltip = nullptr;
    if (m_dragBitmap != nullptr) ::DeleteObject(m_dragBitmap);
    m_dragBitmap = nullptr;
    DestroyData();
    // A manager that was never initialised may still hold controls and resources.
    ClearAllControls();
    ClearImgResInfo();
    ClearTempFont();
    for (CRITICAL_SECTION* lock : {&m_areaLock, &m_controlLock, &m_mtimerLock, &m_imageLock,
                                   &m_timerLock, &m_fontLock}) {
        ::DeleteCriticalSection(lock);
    }
}

// --- Lifecycle ---------------------------------------------------------------------------------

void PaintManager::Init(HWND hwnd, MWindow* owner) {
    if (hwnd == nullptr || !::IsWindow(hwnd)) return;
    if (hwnd != m_hwnd) {
        if (m_paintDC != nullptr && m_hwnd != nullptr) ::ReleaseDC(m_hwnd, m_paintDC);
        m_hwnd = hwnd;
        m_paintDC = ::GetDC(hwnd);
    }
    m_owner = owner;
    InitDragDrop();
    SetTargetWnd(hwnd);
    m_initialised = 1;
    m_scrollV = 102;
    m_scrollH = 101;
    AddGDITempFont(106);
}

void PaintManager::DestroyData() {
    if (!m_initialised) return;
    m_backImage.reset();
    if (m_paintDC != nullptr) ::ReleaseDC(m_hwnd, m_paintDC);
    m_paintDC = nullptr;
    // Ticks reach the controls: stop them before the controls go. Not under the timer-list
    // lock (a kill waits for a running tick, which holds that lock).
    RKTimer::KillTimer();
    m_mtimerId = 0;
    ClearTimers();
    if (m_hwnd != nullptr && ::IsWindow(m_hwnd)) ::RevokeDragDrop(m_hwnd);
    ClearAreaControls();
    ClearControls();
    ClearImgResInfo();
    ClearTempFont();
    m_initialised = 0;
}

void PaintManager::OnDestroyMessage(HWND hwnd) {
    if (hwnd != nullptr && hwnd == m_hwnd) DestroyData();
}

int PaintManager::PostNcDestroy() {
    DestroyData();
    return 1;
}

MWindow* PaintManager::GetMDialog() { return m_owner; }
HDC PaintManager::GetPaintDC() { return m_paintDC; }

// --- ControlHost: plain attributes -------------------------------------------------------------

PaintManager* PaintManager::GetPaintManager() { return this; }
HWND PaintManager::GetPaintWnd() { return m_hwnd; }
int PaintManager::IsLayered() { return m_layered; }
MControl* PaintManager::GetFocusControl() { return m_focus; }
void PaintManager::SetTooltipCtrlID(int id) { m_tooltipCtrlId = id; }
int PaintManager::GetTooltipCtrlID() { return m_tooltipCtrlId; }

void PaintManager::PostControlUpdates() {
    // Any thread. One message at a time: the flag is cleared when the message is handled.
    if (m_hwnd == nullptr || m_flushPosted.exchange(true)) return;
    if (!::PostMessageW(m_hwnd, kFlushUpdatesMessage, 0, 0)) m_flushPosted = false;
}

// --- Appearance --------------------------------------------------------------------------------

void PaintManager::SetBackColor(COLORREF fill, COLORREF frame) {
    m_fillColor = fill;
    m_frameColor = frame;
}

void PaintManager::SetBackMode(enumBackMode mode, int value) {
    m_backMode = mode;
    m_backValue = value;
}

void PaintManager::SetLayeredWindow(int layered) { m_layered = layered; }
void PaintManager::EnableDrawInfo(int draw) { m_drawInfo = draw; }
void PaintManager::SetCaptionRect(CRect rect) { m_captionRect = rect; }
void PaintManager::GetCaptionRect(CRect* rect) {
    if (rect != nullptr) *rect = m_captionRect;
}
void PaintManager::SetScrollResID(UINT vertical, UINT horizontal) {
    m_scrollV = vertical;
    m_scrollH = horizontal;
}
UINT PaintManager::GetScrollVID() { return m_scrollV; }
UINT PaintManager::GetScrollHID() { return m_scrollH; }
void PaintManager::SetDefaultEnabledColor(COLORREF color) { m_enabledColor = color; }
COLORREF PaintManager::GetDefaultEnabledColor() { return m_enabledColor; }

// --- Window services ---------------------------------------------------------------------------

void PaintManager::GetClientRect(CRect* rect) { ::GetClientRect(m_hwnd, rect); }
void PaintManager::GetWindowRect(CRect* rect) { ::GetWindowRect(m_hwnd, rect); }
void PaintManager::GetClientSize(int& width, int& height) {
    CRect client;
    ::GetClientRect(m_hwnd, &client);
    width = client.Width();
    height = client.Height();
}

long PaintManager::SendMessageW(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (m_hwnd == nullptr || !::IsWindow(m_hwnd)) return 0;
    return static_cast<long>(::SendMessageW(m_hwnd, msg, wparam, lparam));
}

long PaintManager::PostMessageW(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (m_hwnd == nullptr || !::IsWindow(m_hwnd)) return 0;
    return ::PostMessageW(m_hwnd, msg, wparam, lparam) ? 1 : 0;
}

HWND PaintManager::SetCapture() {
    if (m_hwnd == nullptr || !::IsWindow(m_hwnd)) return nullptr;
    return ::SetCapture(m_hwnd);
}

int PaintManager::ReleaseCapture() {
    if (m_hwnd == nullptr || !::IsWindow(m_hwnd)) return 0;
    return ::ReleaseCapture() ? 1 : 0;
}

int PaintManager::IsCaptured() { return m_captured; }
void PaintManager::EnableWndDrag(int drag) { m_wndDrag = drag; }
void PaintManager::SetWindowMaxSize(int width, int height) {
    m_maxWidth = width;
    m_maxHeight = height;
}
void PaintManager::GetWindowManSize(int& width, int& height) {
    width = m_maxWidth;
    height = m_maxHeight;
}
void PaintManager::SetWindowMixSize(int width, int height) {
    m_minWidth = width;
    m_minHeight = height;
}
void PaintManager::GetWindowMinSize(int& width, int& height) {
    width = m_minWidth;
    height = m_minHeight;
}
HWND PaintManager::GetToolTipWnd() { return m_hwnd; }

}  // namespace Vela
