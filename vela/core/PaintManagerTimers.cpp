// PaintManager: window timers of controls, the multimedia timer and its list, the caret, the
// system tooltip and the bubble.
#include "vela/PaintManager.h"

#include <commctrl.h>

#include <algorithm>

#include "render/Lock.h"
#include "vela/MControl.h"
#include "vela/MControlFont.h"
#include "vela/MRender.h"

namespace Vela {
namespace {

// Native ids of control timers are taken from 0 .. 239. The ids of the panel's own timers
// lie in that range and are never handed to a control.
constexpr unsigned kNativeIdRange = 240;

bool Reserved(unsigned id) {
    return id == PaintManager::kMessageShowTimer || id == PaintManager::kMessageFadeTimer ||
           id == PaintManager::kProgressTimer;
}

}  // namespace

// --- Window timers of controls -----------------------------------------------------------------

bool PaintManager::NativeIdInUse(UINT id) const {
    return std::any_of(m_timers.begin(), m_timers.end(), [&](const TimerRecord& record) {
        return record.window == m_hwnd && record.nativeId == id;
    });
}

int PaintManager::SetTimer(MControl* control, UINT key, UINT elapse) {
    if (m_hwnd == nullptr || control == nullptr) return 0;
    LockScope lock(&m_timerLock);
    for (TimerRecord& record : m_timers) {
        if (record.window != m_hwnd || record.control != control || record.key != key) continue;
        if (!record.killed) return 0;  // still running
        if (!::SetTimer(m_hwnd, record.nativeId, elapse, nullptr)) return 0;
        record.killed = 0;
        return 1;
    }
    // The next free id after the last one handed out: not reserved, and not held by another
    // record (killed records keep theirs for re-arming).
    for (unsigned tries = 0; tries < kNativeIdRange; ++tries) {
        m_timerCounter = (m_timerCounter + 1) % kNativeIdRange;
        if (Reserved(m_timerCounter) || NativeIdInUse(m_timerCounter)) continue;
        if (!::SetTimer(m_hwnd, m_timerCounter, elapse, nullptr)) return 0;
        m_timers.push_back(TimerRecord{m_hwnd, key, m_timerCounter, 0, control});
        return 1;
    }
    return 0;  // every id is taken
}

int PaintManager::KillTimer(MControl* control, UINT key) {
    LockScope lock(&m_timerLock);
    for (TimerRecord& record : m_timers) {
        if (record.window == m_hwnd && record.control == control && record.key == key &&
            !record.killed) {
            if (m_hwnd != nullptr) ::KillTimer(m_hwnd, record.nativeId);
            record.killed = 1;
            return 1;
        }
    }
    return 0;
}

void PaintManager::KillTimer(MControl* control) {
    LockScope lock(&m_timerLock);
    auto mine = [&](const TimerRecord& record) {
        return record.window == m_hwnd && record.control == control;
    };
    for (const TimerRecord& record : m_timers) {
        if (mine(record) && !record.killed && m_hwnd != nullptr) {
            ::KillTimer(m_hwnd, record.nativeId);
        }
    }
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(), mine), m_timers.end());
}

void PaintManager::ClearTimers() {
    LockScope lock(&m_timerLock);
    for (const TimerRecord& record : m_timers) {
        if (record.window == m_hwnd && !record.killed && m_hwnd != nullptr) {
            ::KillTimer(m_hwnd, record.nativeId);
        }
    }
    m_timers.clear();
}

void PaintManager::OnTimer(UINT_PTR id) {
    if (id == kCaretTimer) {
        OnCaretTimer();
        return;
    }
    if (Reserved(static_cast<unsigned>(id))) {
        OnMessageTimer(static_cast<UINT>(id));
        return;
    }
    LockScope lock(&m_timerLock);
    // By index: a control's tick may kill or set timers (the lock is re-entrant).
    for (size_t i = 0; i < m_timers.size(); ++i) {
        const TimerRecord record = m_timers[i];
        if (record.window == m_hwnd && record.nativeId == id && !record.killed) {
            record.control->OnTimer();
        }
    }
}

// --- Multimedia timer --------------------------------------------------------------------------

unsigned PaintManager::SetMTimer(UINT elapse) {
    m_mtimerId = RKTimer::SetTimer(elapse, L"", 0);
    return m_mtimerId;
}

void PaintManager::KillMTimer(unsigned id) {
    RKTimer::KillTimer(id);
    if (id == m_mtimerId) m_mtimerId = 0;
}

void PaintManager::KillMTimer() {
    RKTimer::KillTimer();
    m_mtimerId = 0;
}

int PaintManager::AddMTimer(MControl* control) {
    LockScope lock(&m_mtimerLock);
    m_mtimerList.push_back(control);
    return 1;
}

int PaintManager::DeleteFSTimer(MControl* control) {
    // Waits for a running tick: after this returns, no tick reaches the control.
    LockScope lock(&m_mtimerLock);
    auto found = std::find(m_mtimerList.begin(), m_mtimerList.end(), control);
    if (found == m_mtimerList.end()) return 0;
    m_mtimerList.erase(found);
    return 1;
}

void PaintManager::OnMTimer(unsigned id) {
    // The multimedia timer's thread. Only this lock is taken here; the controls' repaint
    // requests reach the window thread through PostControlUpdates.
    if (id == 0 || id != m_mtimerId) return;
    LockScope lock(&m_mtimerLock);
    for (MControl* control : m_mtimerList) control->OnTimer();
}

// --- Caret -------------------------------------------------------------------------------------

void PaintManager::InvalidateCaret() { InvalidateRect(m_caretRect, FALSE); }

int PaintManager::CreateCaret(HBITMAP bitmap, int width, int height) {
    if (m_hwnd != nullptr) ::CreateCaret(m_hwnd, bitmap, width, height);
    m_caretRect.right = m_caretRect.left + width;
    m_caretRect.bottom = m_caretRect.top + height;
    return 1;
}

int PaintManager::ShowCaret(int show) {
    if (show == m_caretShown) return 1;
    if (show) {
        if (m_hwnd != nullptr) ::SetTimer(m_hwnd, kCaretTimer, ::GetCaretBlinkTime(), nullptr);
        if (!m_caretPhase) {
            InvalidateCaret();
            m_caretPhase = 1;
        }
    } else {
        if (m_hwnd != nullptr) ::KillTimer(m_hwnd, kCaretTimer);
        if (m_caretPhase) InvalidateCaret();
        m_caretPhase = 0;
    }
    m_caretShown = show;
    return 1;
}

int PaintManager::SetCaretPos(MControl* edit, int x, int y) {
    if (!::SetCaretPos(x, y)) return 0;
    m_caretOwner = edit;
    InvalidateCaret();
    m_caretRect.Offset(x - m_caretRect.left, y - m_caretRect.top);
    InvalidateCaret();
    return 1;
}

MControl* PaintManager::GetCurrentCaretObject() { return m_caretOwner; }

void PaintManager::OnCaretTimer() {
    InvalidateCaret();
    m_caretPhase = !m_caretPhase;
}

void PaintManager::DrawCaret(HDC& dc, CRect clip) {
    if (m_caretOwner == nullptr || !m_caretOwner->IsFocused() || ::GetFocus() != m_hwnd ||
        m_hwnd == nullptr) {
        if (m_hwnd != nullptr) ::KillTimer(m_hwnd, kCaretTimer);
        if (m_caretPhase) InvalidateCaret();
        m_caretPhase = 0;
        return;
    }
    RECT visible;
    if (!m_caretPhase || !m_caretShown || !::IntersectRect(&visible, &m_caretRect, &clip)) return;
    Gdiplus::Color color(0xFF000000);
    if (auto* text = dynamic_cast<MControlFont*>(m_caretOwner)) color = text->GetTextColor();
    MRender::DrawColor(dc, visible,
                       Gdiplus::Color::MakeARGB(254, color.GetR(), color.GetG(), color.GetB()));
}

// --- Tooltip -----------------------------------------------------------------------------------

void PaintManager::SetTooltip(const std::wstring& text, CRect) {
    // The tool always covers the whole client area; the control's rectangle is not used.
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = m_hwnd;
    tool.uId = kTooltipToolId;
    if (text.empty()) {
        if (m_tooltip != nullptr) {
            tool.lpszText = const_cast<wchar_t*>(L"");
            ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
            ::SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
        }
        return;
    }
    if (m_hwnd == nullptr) return;
    if (m_tooltip == nullptr) {
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&classes);
        m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, TOOLTIPS_CLASSW,
                                      WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd,
                                      nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (m_tooltip == nullptr) return;
        ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 256);
        ::SendMessageW(m_tooltip, TTM_SETTIPBKCOLOR, 0xFFFFFF, 0);
        tool.uFlags = TTF_PARSELINKS;
        ::GetClientRect(m_hwnd, &tool.rect);
        tool.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_PARSELINKS;
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    if (::GetACP() == 936) {
        RECT margin = {2, 3, 0, 0};
        ::SendMessageW(m_tooltip, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
    }
    ::SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
}

void PaintManager::ClearTooltip() {
    if (m_tooltip != nullptr) {
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = m_hwnd;
        tool.uId = kTooltipToolId;
        tool.lpszText = const_cast<wchar_t*>(L"");
        ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageW(m_tooltip, TTM_ACTIVATE, FALSE, 0);
    }
    m_tooltipCtrlId = 0;
}

// --- Bubble ------------------------------------------------------------------------------------

// The bubble window comes with its own class. Until it exists there is never a bubble, and
// both calls report that nothing was shown.
int PaintManager::SetAirBladderMsg(const std::wstring&, CPoint, int, int) { return 0; }

int PaintManager::ShowAirBladder(int show, int key) {
    if (m_bubble == nullptr) return 0;
    if (key != 0) {
        if (!show && key != m_bubbleKey) return 0;
        m_bubbleKey = key;
    }
    return 0;
}

}  // namespace Vela
