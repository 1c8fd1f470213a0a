// MText: a text label, one line or wrapped over several, optionally on a solid background.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <string>

#include "vela/MControlFont.h"
#include "vela/VelaExport.h"

namespace Vela {

class VELA_API MText : public MControlFont {
public:
    // Created disabled (enable it for the wheel to reach it), with response 1.
    MText(MObject* parent, unsigned id, CRect rect, const wchar_t* title, int visible);
    ~MText() override;

    // --- Overridables ----------------------------------------------------------------------
    // Notifications of the children (its vertical scroll bar, id 1) go to OnMessage.
    long OnBaseMessage(unsigned long id, unsigned long code, unsigned long wParam,
                       long lParam) override;
    int DrawControl(HDC& target, CRect clip) override;
    // Repaints when the vertical scroll bar reports a new position (id 1, code 8); returns 0.
    long OnMessage(unsigned id, unsigned code, unsigned wParam, long lParam) override;
    // With the scroll flag, the vertical scroll bar follows the right edge.
    void SetControlRect(CRect rect) override;
    // Every wheel step that reaches the label stops here: 1.
    int OnControlScroll(int kind, unsigned direction, CPoint point) override;

    // --- Operations ------------------------------------------------------------------------
    // The mark text, its colour and flag and the shadow flag are kept for derived labels;
    // MText itself does not draw them. Each setter repaints only when something changed.
    void SetMarkText(const wchar_t* mark);
    void SetMarkText(const wchar_t* mark, Gdiplus::Color color, int flag);
    void SetMarkText(const wchar_t* title, const wchar_t* mark, Gdiplus::Color color, int flag);
    void SetTitleMarkText(const wchar_t* title, const wchar_t* mark, int unused);
    // The colour is taken only together with a change of the flag; always repaints.
    void EnableTextBack(int enable, Gdiplus::Color color);
    // These three store the flag only (no repaint).
    void EnableMultiLine(int enable);
    void EnableShadow(int enable);
    void EnableVCenter(int enable);
    int GetVirtualHeight();  // 0

protected:
    int m_scroll = 0;          // has a vertical scroll bar child (id 1)
    int m_scrollWidth = 8;     // its width
    int m_shadow = 0;
    int m_textBack = 0;
    Gdiplus::Color m_textBackColor{0xFF008000};
    Gdiplus::Color m_markColor{0xFFED801B};
    std::wstring m_markText;
    int m_mark = 0;
    int m_multiLine = 0;
    int m_vCenter = 0;  // multi-line text centred vertically
};

}  // namespace Vela
