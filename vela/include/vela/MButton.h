// MButton: a push button with four visual states (normal, hover, pressed, disabled) taken from
// a skin image strip of four frames, a centred title, and press and click notifications.
//
// While enabled: a move inside hovers and outside returns to normal (not while pressed); a
// press inside is pressed and reports kPressCode (on every press); a release inside after a
// press hovers and then reports kClickCode, a release outside returns to normal. Disabled,
// it shows the disabled frame with a grey title and ignores the mouse. Notifications go out
// after the repaint request, as the last thing the button does.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <memory>

#include "vela/MControlFont.h"
#include "vela/VelaExport.h"

namespace Vela {

class VELA_API MButton : public MControlFont {
public:
    enum State { StateNormal = 0, StateHover = 1, StatePressed = 2, StateDisabled = 3 };
    // Notification codes sent to the parent (wParam 0, lParam 0).
    enum Notification : unsigned {
        kPressCode = 1,  // the left button went down on the enabled button
        kClickCode = 2,  // released over it after going down on it
    };

    // A button created disabled starts in the disabled state.
    MButton(MObject* parent, unsigned id, CRect rect, const wchar_t* title, int visible,
            int enabled);
    ~MButton() override;

    // --- Overridables ----------------------------------------------------------------------
    // All four states are rendered once, side by side; a paint copies the current one.
    int DrawControl(HDC& target, CRect clip) override;
    void SetControlEnabled(int enabled) override;
    int OnControlMouseMove(unsigned flags, CPoint point) override;
    int OnControlLButtonDown(unsigned flags, CPoint point) override;
    int OnControlLButtonUp(unsigned flags, CPoint point) override;
    int OnControlKeyDown(unsigned key, unsigned repeat, unsigned flags) override;

    // --- Operations ------------------------------------------------------------------------
    // Nine-grid border used to stretch each state image. No repaint.
    void SetFrameSize(int size);
    // Where the title goes, relative to the button's top-left; empty: the whole button.
    // No repaint.
    void SetTextRect(CRect rect);
    // The button's own icon strip from the skin folder (count 1 or more), for derived
    // buttons to draw. 1 on success; 0 keeps the previous icon. No repaint.
    int SetIconImage(const wchar_t* name, int count);

protected:
    // Moves to state; a change asks for a repaint of the cached strip (update 0).
    // Returns whether the state changed.
    int ChangeState(int state);

    int m_state = StateNormal;
    int m_frameSize = 8;
    std::unique_ptr<Gdiplus::Image> m_icon;  // owned
    int m_iconFrameWidth = 0;
    int m_iconHeight = 0;
    int m_iconCount = 4;
    CRect m_textRect;
};

}  // namespace Vela
