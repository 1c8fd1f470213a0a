#include "vela/CArea.h"

#include "render/Handles.h"
#include "vela/MRender.h"

namespace Vela {
namespace {

// The veil's colour as GDI+ draws it: the COLORREF's red, green and blue with alpha 0xFE.
Gdiplus::Color AreaColor(unsigned long color) {
    return Gdiplus::Color(0xFE, GetRValue(color), GetGValue(color), GetBValue(color));
}

}  // namespace

CArea::CArea(MObject* parent, unsigned id, CRect rect, int visible, int enabled)
    : MControl(parent, id, rect, visible, enabled, 1) {}

void CArea::SetTransparent(int start, int end, unsigned long color) {
    m_startTransparency = start;
    m_endTransparency = end;
    m_color = color;
    UpdateControl(1, 0);
}

void CArea::SetFrame(int frame, Gdiplus::Color color, int) {
    m_frame = frame;
    m_frameColor = color;
    UpdateControl(1, 0);
}

int CArea::DrawControl(HDC& target, CRect) {
    const int w = m_rect.Width(), h = m_rect.Height();
    if (!m_update) {
        UpdateMemDC(target, w, h);
        HDC mem = GetMemDC();
        ::BitBlt(mem, 0, 0, w, h, target, m_rect.left, m_rect.top, SRCCOPY);
        if (m_startTransparency != 0 || m_endTransparency != 0) {
            // A solid sheet of the colour, faded onto what lies behind row by row.
            MemoryDC sheet(::CreateCompatibleDC(mem));
            GdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(mem, w, h));
            Selection selected(sheet.get(), bitmap.get());  // deselected before both die
            HDC sheetDC = sheet.get();
            MRender::FillSolidRect(sheetDC, 0, 0, w, h, m_color);
            const CRect all(0, 0, w, h);
            MRender::DrawVerticalTransition(mem, sheetDC, all, all, m_startTransparency,
                                            m_endTransparency);
        } else {
            Gdiplus::Graphics graphics(mem);
            Gdiplus::SolidBrush fill(AreaColor(m_color));
            if (m_frame) {
                Gdiplus::SolidBrush frame(m_frameColor);
                graphics.FillRectangle(&frame, 0, 0, w, h);
                graphics.FillRectangle(&fill, 1, 1, w - 2, h - 2);
            } else {
                graphics.FillRectangle(&fill, 0, 0, w, h);
            }
        }  // the graphics object is gone (and has drawn) before the copy below
    }
    ::BitBlt(target, m_rect.left, m_rect.top, w, h, GetMemDC(), 0, 0, SRCCOPY);
    return 1;
}

}  // namespace Vela
