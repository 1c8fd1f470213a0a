#include "vela/MButton.h"

#include "core/SkinFolder.h"
#include "vela/MRender.h"
#include "vela/Manager.h"

namespace Vela {
namespace {

const int kStates = 4;
const Gdiplus::ARGB kDisabledTitle = 0xFF808080;

void UseCursor(const wchar_t* cursor) { ::SetCursor(::LoadCursorW(nullptr, cursor)); }

}  // namespace

MButton::MButton(MObject* parent, unsigned id, CRect rect, const wchar_t* title, int visible,
                 int enabled)
    : MControlFont(parent, id, rect, title, visible, enabled, 1) {
    m_hAlign = 1;
    if (!enabled) m_state = StateDisabled;
}

MButton::~MButton() = default;

// --- Appearance ------------------------------------------------------------------------------

void MButton::SetFrameSize(int size) { m_frameSize = size; }
void MButton::SetTextRect(CRect rect) { m_textRect = rect; }

int MButton::SetIconImage(const wchar_t* name, int count) {
    std::unique_ptr<Gdiplus::Image> icon(MRender::LoadImageFromFile(SkinPath(name)));
    if (!icon) return 0;
    m_iconFrameWidth = static_cast<int>(icon->GetWidth()) / count;
    m_iconHeight = static_cast<int>(icon->GetHeight());
    m_iconCount = count;
    m_icon = std::move(icon);  // releases the previous icon
    return 1;
}

int MButton::DrawControl(HDC& target, CRect) {
    const int w = m_rect.Width(), h = m_rect.Height();
    if (!m_update) {
        // One slot per state: state i at x = i * w.
        UpdateMemDC(target, kStates * w, h);
        HDC mem = GetMemDC();
        // Order matters: every slot gets what lies behind the button by GDI before the
        // graphics object below starts drawing into the same DC.
        for (int i = 0; i < kStates; ++i) {
            ::BitBlt(mem, i * w, 0, w, h, target, m_rect.left, m_rect.top, SRCCOPY);
        }
        if (!m_title.empty()) ::SetBkMode(mem, TRANSPARENT);
        Gdiplus::Graphics graphics(mem);
        const int imageWidth = m_image != nullptr ? static_cast<int>(m_image->GetWidth()) : 0;
        for (int i = 0; i < kStates; ++i) {
            // A strip with fewer frames leaves the later slots without an image.
            if (m_image == nullptr || m_frameWidth * (i + 1) > imageWidth) continue;
            MRender::DrawImageFrame(graphics, m_image, CRect(i * w, 0, i * w + w, h),
                                    m_frameWidth * i, 0, m_frameWidth, m_frameHeight,
                                    m_frameSize);
        }
        if (!m_title.empty()) {
            graphics.SetTextRenderingHint(m_textHint);
            Gdiplus::StringFormat format;
            format.SetAlignment(Gdiplus::StringAlignmentCenter);
            format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
            format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap |
                                  Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
            std::unique_ptr<Gdiplus::Font> font = CreateTitleFont();
            Gdiplus::SolidBrush grey{Gdiplus::Color(kDisabledTitle)};
            for (int i = 0; i < kStates; ++i) {
                const int p = i == StatePressed ? 1 : 0;  // the pressed title sits 1 px lower
                const Gdiplus::RectF layout =
                    m_textRect.IsEmpty()
                        ? Gdiplus::RectF(Gdiplus::REAL(i * w + p), Gdiplus::REAL(p),
                                         Gdiplus::REAL(w), Gdiplus::REAL(h))
                        : Gdiplus::RectF(Gdiplus::REAL(i * w + m_textRect.left + p),
                                         Gdiplus::REAL(m_textRect.top + p),
                                         Gdiplus::REAL(m_textRect.Width()),
                                         Gdiplus::REAL(m_textRect.Height()));
                const Gdiplus::Brush* brush =
                    i == StateDisabled ? static_cast<Gdiplus::Brush*>(&grey) : m_textBrush.get();
                graphics.DrawString(m_title.c_str(), -1, font.get(), layout, &format, brush);
            }
        }
    }  // the graphics object has drawn everything before the slot is copied out
    ::BitBlt(target, m_rect.left, m_rect.top, w, h, GetMemDC(), w * m_state, 0, SRCCOPY);
    return 1;
}

// --- States ----------------------------------------------------------------------------------

int MButton::ChangeState(int state) {
    if (state == m_state) return 0;
    m_state = state;
    UpdateControl(0, 0);
    return 1;
}

void MButton::SetControlEnabled(int enabled) {
    MControlFont::SetControlEnabled(enabled);
    if (!enabled) {
        m_state = StateDisabled;
    } else if (m_state == StateDisabled) {
        m_state = StateNormal;
    }
}

int MButton::OnControlMouseMove(unsigned, CPoint point) {
    if (!m_enabled || m_state == StatePressed) return 0;
    const bool inside = m_rect.PtInRect(point) != 0;
    UseCursor(inside ? IDC_HAND : IDC_ARROW);
    return ChangeState(inside ? StateHover : StateNormal);
}

int MButton::OnControlLButtonDown(unsigned, CPoint point) {
    if (!m_enabled || !m_rect.PtInRect(point)) return 0;
    UseCursor(IDC_HAND);
    const int changed = ChangeState(StatePressed);
    // Last: the parent may end the dialog, or remove this button, in its handler.
    SendMessageW(kPressCode, 0, 0);
    return changed;
}

int MButton::OnControlLButtonUp(unsigned, CPoint point) {
    if (!m_enabled) return 0;
    if (!m_rect.PtInRect(point)) return ChangeState(StateNormal);
    if (m_state != StatePressed) return ChangeState(StateHover);
    ChangeState(StateHover);
    SendMessageW(kClickCode, 0, 0);  // last, as for the press
    return 1;
}

int MButton::OnControlKeyDown(unsigned key, unsigned repeat, unsigned flags) {
    return MControlFont::OnControlKeyDown(key, repeat, flags);
}

}  // namespace Vela
