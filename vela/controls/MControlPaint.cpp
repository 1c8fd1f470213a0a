// MControl: the cached renderings and the painting order of a control and its children.
#include "vela/MControl.h"

#include "render/Lock.h"

namespace Vela {
namespace {

bool Intersects(const RECT& a, const RECT& b) {
    RECT common;
    return ::IntersectRect(&common, &a, &b) != FALSE;
}

}  // namespace

void MControl::CacheDC::Create(HDC target, int width, int height) {
    Release();
    m_width = width;
    m_height = height;
    m_dc = ::CreateCompatibleDC(target);
    m_bitmap = ::CreateCompatibleBitmap(target, width, height);
    if (m_dc != nullptr && m_bitmap != nullptr) m_first = ::SelectObject(m_dc, m_bitmap);
}

void MControl::CacheDC::Release() {
    // The bitmap must be out of the DC before either is deleted.
    if (m_dc != nullptr && m_first != nullptr) ::SelectObject(m_dc, m_first);
    if (m_dc != nullptr) ::DeleteDC(m_dc);
    if (m_bitmap != nullptr) ::DeleteObject(m_bitmap);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_first = nullptr;
}

void MControl::UpdateMemDC(HDC& target, int width, int height) {
    m_update = 1;
    if (m_memDC.HasSize(width, height)) return;
    m_memDC.Create(target, width, height);
}

void MControl::UpdateAnimateDC(HDC& target, int width, int height) {
    m_animateDC.Create(target, width, height);
    m_animate = 1;
}

HDC MControl::GetMemDC() const { return m_memDC.dc(); }
HDC MControl::GetAnimateDC() const { return m_animateDC.dc(); }

int MControl::Draw(HDC& target, CRect clip) {
    if (!m_visible || !Intersects(clip, m_rect)) return 0;
    // Order matters: the areas lie behind the control, the controls in front of it, and
    // later controls over earlier ones.
    {
        LockScope lock(m_areaLock.get());
        for (MControl* area : m_areas) {
            if (Intersects(area->m_rect, m_rect)) area->Draw(target, clip);
        }
    }
    DrawControl(target, clip);
    DrawSubControls(target, clip);
    return 1;
}

int MControl::DrawSubControls(HDC& target, CRect clip) {
    LockScope lock(m_controlLock.get());
    for (MControl* control : m_controls) {
        if (control->m_visible) control->Draw(target, clip);
    }
    return 1;
}

void MControl::SetUpdate(int update, unsigned long backColor) {
    // Without the lock: it runs on the window thread, the only one that changes the lists.
    m_update = update;
    for (MControl* control : m_controls) {
        if (Intersects(control->m_rect, m_rect)) control->SetUpdate(update, backColor);
    }
}

}  // namespace Vela
