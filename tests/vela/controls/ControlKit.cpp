#include "vela/controls/ControlKit.h"

#include <algorithm>

#include "vela/MRender.h"
#include "vela/Manager.h"

namespace VelaTest {

using Vela::CPoint;
using Vela::CRect;
using Vela::MControl;

// --- Recorder --------------------------------------------------------------------------------

long Recorder::OnControlUpdate(CRect rect, int flag, MControl* from) {
    updates.push_back(Update{rect, flag, from, ::GetCurrentThreadId()});
    return 0;
}

long Recorder::OnBaseMessage(unsigned long id, unsigned long code, unsigned long wParam,
                             long lParam) {
    notes.push_back(Note{id, code, wParam, lParam});
    return answer;
}

// --- TestHost --------------------------------------------------------------------------------

TestHost::TestHost() { ::InitializeCriticalSection(&timerLock); }
TestHost::~TestHost() { ::DeleteCriticalSection(&timerLock); }

void TestHost::SetFocusControl(MControl* control) {
    if (control == focus) return;
    if (focus != nullptr) focus->SetControlFocus(0);
    if (control != nullptr) control->SetControlFocus(1);
    focus = control;
}

void TestHost::SetTooltip(const std::wstring& text, CRect rect) {
    tooltips.push_back(text);
    tooltipRect = rect;
}

int TestHost::AddMTimer(MControl* control) {
    ::EnterCriticalSection(&timerLock);
    timerList.push_back(control);
    ::LeaveCriticalSection(&timerLock);
    return 1;
}

int TestHost::DeleteFSTimer(MControl* control) {
    ::EnterCriticalSection(&timerLock);
    auto it = std::find(timerList.begin(), timerList.end(), control);
    const bool found = it != timerList.end();
    if (found) timerList.erase(it);
    ::LeaveCriticalSection(&timerLock);
    return found ? 1 : 0;
}

Gdiplus::FontFamily* TestHost::FindTempFont(const wchar_t*) {
    // As the paint manager does: the library's default family, whatever is asked for.
    if (!m_family) {
        m_family = std::make_unique<Gdiplus::FontFamily>(Vela::Manager::GetFontName().c_str());
    }
    return m_family->IsAvailable() ? m_family.get() : nullptr;
}

std::wstring TestHost::SkinFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    folder.erase(folder.rfind(L'\\') + 1);
    return folder + L"skins\\" + Vela::Manager::GetTheme();
}

Vela::ImgResInfo* TestHost::AddImgResInfo(const wchar_t* name, int count) {
    auto found = m_images.find(name);
    if (found != m_images.end()) return found->second.get();
    std::unique_ptr<Gdiplus::Image> image(Vela::MRender::LoadImageFromFile(SkinFolder() + name));
    if (!image) return nullptr;
    auto info = std::make_unique<Vela::ImgResInfo>();
    info->frameWidth = static_cast<int>(image->GetWidth()) / count;
    info->height = static_cast<int>(image->GetHeight());
    info->image = std::move(image);
    info->frameCount = count;
    info->name = name;
    return (m_images[name] = std::move(info)).get();
}

Vela::ImgResInfo* TestHost::AddImgResInfo(UINT, const wchar_t*, int, int) { return nullptr; }

void TestHost::PostControlUpdates() {
    ::InterlockedIncrement(&posts);
    if (window == nullptr || flushMessage == 0) return;
    if (!m_flushQueued.exchange(true)) ::PostMessageW(window, flushMessage, 0, 0);
}

// --- Box -------------------------------------------------------------------------------------

Box::Box(Vela::MObject* parent, unsigned id, CRect rect, COLORREF color_, int visible,
         int enabled, int response)
    : MControl(parent, id, rect, visible, enabled, response), color(color_) {}

Box::~Box() {
    if (deleted != nullptr) *deleted = true;
}

Box* Box::Add(Box* child) {
    ::EnterCriticalSection(m_controlLock.get());
    m_controls.push_back(child);
    ::LeaveCriticalSection(m_controlLock.get());
    child->SetParent(this);
    child->SetManager(GetHost());
    return child;
}

Box* Box::AddArea(Box* area) {
    ::EnterCriticalSection(m_areaLock.get());
    m_areas.push_back(area);
    ::LeaveCriticalSection(m_areaLock.get());
    area->SetParent(this);
    area->SetManager(GetHost());
    return area;
}

int Box::DrawControl(HDC& target, CRect) {
    const int w = m_rect.Width(), h = m_rect.Height();
    if (!m_update) {
        UpdateMemDC(target, w, h);
        // Composed over what is already painted behind, then the colour over the left half.
        ::BitBlt(GetMemDC(), 0, 0, w, h, target, m_rect.left, m_rect.top, SRCCOPY);
        HDC mem = GetMemDC();
        Vela::MRender::FillSolidRect(mem, 0, 0, w / 2 > 0 ? w / 2 : w, h, color);
        ++paints;
    }
    ::BitBlt(target, m_rect.left, m_rect.top, w, h, GetMemDC(), 0, 0, SRCCOPY);
    return 1;
}

int Box::OnMousePointChange(CPoint& point) {
    point.x += translation.x;
    point.y += translation.y;
    return 1;
}

long Box::OnControlUpdate(CRect rect, int flag, MControl*) {
    if (!forwardUpdates || m_parent == nullptr) return 0;
    return m_parent->OnControlUpdate(rect, flag, this);
}

long Box::OnBaseMessage(unsigned long id, unsigned long code, unsigned long wParam,
                        long lParam) {
    notes.push_back(Recorder::Note{id, code, wParam, lParam});
    return 0;
}

int Box::SetControlFocus(int focus) {
    focusCalls.push_back(focus);
    return MControl::SetControlFocus(focus);
}

int Box::OnControlTimer() {
    ++ticks;
    return consume;
}

int Box::Record(const char* what, CPoint point) {
    events.push_back(Event{what, point});
    return consume;
}

int Box::OnControlMouseMove(unsigned, CPoint p) { return Record("move", p); }
int Box::OnControlLButtonDown(unsigned, CPoint p) { return Record("down", p); }
int Box::OnControlLButtonUp(unsigned, CPoint p) { return Record("up", p); }
int Box::OnControlLButtonDblClk(unsigned, CPoint p) { return Record("dblclk", p); }
int Box::OnControlRButtonDown(unsigned, CPoint p) { return Record("rdown", p); }
int Box::OnControlScroll(int, unsigned, CPoint p) { return Record("scroll", p); }

int Box::OnControlKeyDown(unsigned key, unsigned repeat, unsigned flags) {
    Record("key", CPoint(static_cast<LONG>(key), 0));
    return consume || MControl::OnControlKeyDown(key, repeat, flags) ? 1 : 0;
}

}  // namespace VelaTest
