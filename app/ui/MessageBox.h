// CUIMessageBox: the program's own modal message box, drawn by Vela like the main
// window: a caption line, a centred multi-line text and "OK", or "YES" and "NO".
// ShowMessageBox creates, runs and destroys one.
#pragma once

#include <string>

#include "vela/MDialog.h"

namespace Corvane {

// Button sets, with the values of the system message box's MB_OK and MB_YESNO.
inline constexpr int kButtonsOK = 0;
inline constexpr int kButtonsYesNo = 4;

class CUIMessageBox : public Vela::MDialog {
public:
    CUIMessageBox(const std::wstring& caption, const std::wstring& text, int buttonSet);
    ~CUIMessageBox() override;

    int OnInitDialog() override;
    void InitUI(Vela::CRect clientRect) override;
    void UISize(Vela::CRect clientRect) override;
    long OnMessage(unsigned long id, unsigned long message, unsigned long wparam,
                   long lparam) override;
    int OnDestroy() override;

private:
    std::wstring m_caption;
    std::wstring m_text;
    int m_buttonSet;
};

// Runs a box centred on the screen, topmost and without an owner: 1 when "OK" or "YES"
// ended it, 2 for "NO" (any other way of closing gives the dialog's own result).
int ShowMessageBox(const wchar_t* text, const wchar_t* caption, int buttonSet);

}  // namespace Corvane
