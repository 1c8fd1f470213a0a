#include "vela/MText.h"

#include <memory>

#include "render/Lock.h"

namespace Vela {
namespace {

const unsigned kScrollBarId = 1;
const unsigned kScrollPositionCode = 8;

std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L""; }

// The string alignment for an alignment value: centre, far, or near for any other value.
Gdiplus::StringAlignment Alignment(unsigned align, unsigned centreValue, unsigned farValue) {
    if (align == centreValue) return Gdiplus::StringAlignmentCenter;
    if (align == farValue) return Gdiplus::StringAlignmentFar;
    return Gdiplus::StringAlignmentNear;
}

}  // namespace

MText::MText(MObject* parent, unsigned id, CRect rect, const wchar_t* title, int visible)
    : MControlFont(parent, id, rect, title, visible, 0, 1) {}

MText::~MText() = default;

// --- Children --------------------------------------------------------------------------------

long MText::OnBaseMessage(unsigned long id, unsigned long code, unsigned long wParam,
                          long lParam) {
    return OnMessage(static_cast<unsigned>(id), static_cast<unsigned>(code),
                     static_cast<unsigned>(wParam), lParam);
}

long MText::OnMessage(unsigned id, unsigned code, unsigned, long) {
    if (id == kScrollBarId && code == kScrollPositionCode && m_visible) UpdateControl(1, 0);
    return 0;
}

void MText::SetControlRect(CRect rect) {
    m_rect = rect;
    if (!m_scroll) return;
    LockScope lock(m_controlLock.get());
    for (MControl* child : m_controls) {
        if (child->GetControlID() == kScrollBarId) {
            child->SetRect(CRect(rect.right - m_scrollWidth, rect.top, rect.right, rect.bottom));
            break;
        }
    }
}

int MText::OnControlScroll(int, unsigned, CPoint) { return 1; }

// --- Mark text and flags ---------------------------------------------------------------------

void MText::SetMarkText(const wchar_t* mark) {
    const std::wstring text = Text(mark);
    if (text == m_markText) return;
    m_markText = text;
    UpdateControl(1, 0);
}

void MText::SetMarkText(const wchar_t* mark, Gdiplus::Color color, int flag) {
    const std::wstring text = Text(mark);
    if (text == m_markText && color.GetValue() == m_markColor.GetValue() && flag == m_mark) {
        return;
    }
    m_markText = text;
    m_markColor = color;
    m_mark = flag;
    UpdateControl(1, 0);
}

void MText::SetMarkText(const wchar_t* title, const wchar_t* mark, Gdiplus::Color color,
                        int flag) {
    const std::wstring newTitle = Text(title), text = Text(mark);
    if (newTitle == m_title && text == m_markText &&
        color.GetValue() == m_markColor.GetValue() && flag == m_mark) {
        return;
    }
    SetControlTitle(newTitle.c_str());
    m_markText = text;
    m_markColor = color;
    m_mark = flag;
    UpdateControl(1, 0);
}

void MText::SetTitleMarkText(const wchar_t* title, const wchar_t* mark, int) {
    const std::wstring newTitle = Text(title), text = Text(mark);
    if (newTitle == m_title && text == m_markText) return;
    SetControlTitle(newTitle.c_str());
    m_markText = text;
    UpdateControl(1, 0);
}

void MText::EnableTextBack(int enable, Gdiplus::Color color) {
    if (enable != m_textBack) {
        m_textBack = enable;
        m_textBackColor = color;
    }
    UpdateControl(1, 0);
}

void MText::EnableMultiLine(int enable) { m_multiLine = enable; }
void MText::EnableShadow(int enable) { m_shadow = enable; }
void MText::EnableVCenter(int enable) { m_vCenter = enable; }
int MText::GetVirtualHeight() { return 0; }

// --- Painting --------------------------------------------------------------------------------

int MText::DrawControl(HDC& target, CRect) {
    const int w = m_rect.Width(), h = m_rect.Height();
    if (!m_update) {
        UpdateMemDC(target, w, h);
        HDC mem = GetMemDC();
        if (!m_textBack) ::BitBlt(mem, 0, 0, w, h, target, m_rect.left, m_rect.top, SRCCOPY);
        Gdiplus::Graphics graphics(mem);
        if (m_textBack) graphics.Clear(m_textBackColor);
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);

        Gdiplus::StringFormat format;
        format.SetAlignment(Alignment(m_hAlign, 1, 2));
        format.SetLineAlignment(Alignment(m_vAlign, 4, 8));
        if (m_multiLine) {
            format.SetFormatFlags(Gdiplus::StringFormatFlagsNoClip |
                                  Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
            if (m_vCenter) format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        } else {
            format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap |
                                  Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
        }
        // The font (and the family copy it uses) dies before the graphics object.
        std::unique_ptr<Gdiplus::Font> font = CreateTitleFont();
        const Gdiplus::RectF layout(0, 0, Gdiplus::REAL(w), Gdiplus::REAL(h));
        graphics.DrawString(m_title.c_str(), -1, font.get(), layout, &format, m_textBrush.get());
    }
    ::BitBlt(target, m_rect.left, m_rect.top, w, h, GetMemDC(), 0, 0, SRCCOPY);
    return 1;
}

}  // namespace Vela
