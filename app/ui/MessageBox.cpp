#include "ui/MessageBox.h"

#include <memory>

#include "vela/MButton.h"
#include "vela/MText.h"

namespace Corvane {
namespace {

const unsigned kCaptionId = 31;
const unsigned kTextId = 32;
const unsigned kFirstButtonId = 33;  // "OK" or "YES"
const unsigned kSecondButtonId = 34; // "NO"
const unsigned long kClickCode = 2;
const Gdiplus::Color kWhite(0xFF, 0xFF, 0xFF, 0xFF);

void AddButton(Vela::MDialog& box, unsigned id, Vela::CRect rect, const wchar_t* title) {
    auto* button = static_cast<Vela::MButton*>(box.CreateControl(L"MButton", id, rect, title, 1, 1));
    if (button == nullptr) return;
    button->SetImage(L"img_button.png", 4);
    button->SetTextColor(kWhite);
}

}  // namespace

CUIMessageBox::CUIMessageBox(const std::wstring& caption, const std::wstring& text, int buttonSet)
    : m_caption(caption), m_text(text), m_buttonSet(buttonSet) {}

CUIMessageBox::~CUIMessageBox() {
    if (GetSafeHwnd() != nullptr) DestroyWindow();
}

int CUIMessageBox::OnInitDialog() {
    MDialog::OnInitDialog();  // the paint manager, then InitUI
    ::SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    return 1;
}

void CUIMessageBox::InitUI(Vela::CRect client) {
    SetLayeredWindow(1);
    const LONG r = client.right;
    const LONG b = client.bottom;
    const LONG cx = client.Width() / 2;
    const LONG m = client.Height() / 2;

    if (auto* caption = static_cast<Vela::MText*>(
            CreateArea(L"MText", kCaptionId, Vela::CRect(20, 15, r - 20, 40), m_caption.c_str(), 1, 1))) {
        caption->SetAlignment(1);
        caption->SetTextColor(kWhite);
    }
    if (auto* text = static_cast<Vela::MText*>(
            CreateArea(L"MText", kTextId, Vela::CRect(20, m - 30, r - 20, m + 30), m_text.c_str(), 1, 1))) {
        text->SetAlignment(1, 4);
        text->EnableMultiLine(1);
        text->EnableVCenter(1);
        text->SetTextColor(kWhite);
    }
    if (m_buttonSet == kButtonsOK) {
        AddButton(*this, kFirstButtonId, Vela::CRect(60, b - 40, r - 60, b - 10), L"OK");
    } else if (m_buttonSet == kButtonsYesNo) {
        AddButton(*this, kFirstButtonId, Vela::CRect(cx - 120, b - 40, cx - 20, b - 10), L"YES");
        AddButton(*this, kSecondButtonId, Vela::CRect(cx + 20, b - 40, cx + 120, b - 10), L"NO");
    }
}

void CUIMessageBox::UISize(Vela::CRect) {}

long CUIMessageBox::OnMessage(unsigned long id, unsigned long message, unsigned long, long) {
    if (message != kClickCode) return 0;
    if (id == kFirstButtonId) {
        DoOK();
        return 1;
    }
    if (id == kSecondButtonId) {
        DoCancel();
        return 1;
    }
    return 0;
}

int CUIMessageBox::OnDestroy() { return 0; }

int ShowMessageBox(const wchar_t* text, const wchar_t* caption, int buttonSet) {
    auto box = std::make_unique<CUIMessageBox>(caption != nullptr ? caption : L"",
                                               text != nullptr ? text : L"", buttonSet);
    box->Create(nullptr, L"MessageBox", 0x96000000, WS_EX_TOOLWINDOW, Vela::CRect(0, 0, 380, 200));
    box->CenterWindow(nullptr);
    return static_cast<int>(box->ShowModal(SW_SHOWNORMAL));
}

}  // namespace Corvane
