#include "vela/MControlFont.h"

#include "vela/ControlHost.h"
#include "vela/Manager.h"

namespace Vela {

MControlFont::MControlFont(MObject* parent, unsigned id, CRect rect, const wchar_t* title,
                           int visible, int enabled, int response)
    : MControl(parent, id, rect, visible, enabled, response),
      m_title(title != nullptr ? title : L""),
      m_fontName(Manager::GetFontName()),
      m_fontSize(Manager::GetFontWidth()),
      m_textBrush(std::make_unique<Gdiplus::SolidBrush>(m_textColor)) {}

MControlFont::~MControlFont() = default;

// --- Title -----------------------------------------------------------------------------------

void MControlFont::SetControlTitle(const wchar_t* title) {
    m_title = title != nullptr ? title : L"";
}
std::wstring MControlFont::GetControlTitle() { return m_title; }

void MControlFont::SetTitle(const wchar_t* title) {
    ClearGDIFont();
    SetControlTitle(title);
    UpdateControl(1, 0);
}

std::wstring MControlFont::GetTitle() { return GetControlTitle(); }

// --- Font ------------------------------------------------------------------------------------

void MControlFont::SetFont(const wchar_t* name, int size, Gdiplus::FontStyle style) {
    m_fontName = name != nullptr ? name : L"";
    m_fontSize = size;
    m_fontStyle = style;
}

void MControlFont::SetTextFont(const std::wstring& name) { m_fontName = name; }
std::wstring MControlFont::GetTextFont() const { return m_fontName; }
void MControlFont::SetFontWidth(int size) { m_fontSize = size; }
int MControlFont::GetFontWidth() const { return m_fontSize; }
void MControlFont::SetFontStyle(Gdiplus::FontStyle style) { m_fontStyle = style; }
Gdiplus::FontStyle MControlFont::GetFontStyle() const { return m_fontStyle; }
void MControlFont::SetTextRenderingHint(Gdiplus::TextRenderingHint hint) { m_textHint = hint; }
Gdiplus::TextRenderingHint MControlFont::GetTextRenderingHint() const { return m_textHint; }
Gdiplus::Color MControlFont::GetTextColor() const { return m_textColor; }

void MControlFont::SetTextColor(Gdiplus::Color color) {
    m_textBrush = std::make_unique<Gdiplus::SolidBrush>(color);
    m_textColor = color;
}

Gdiplus::FontFamily* MControlFont::GetFontFamily(const wchar_t* name) {
    if (m_host == nullptr) return nullptr;
    Gdiplus::FontFamily* family = m_host->FindTempFont(name);
    if (family == nullptr) return nullptr;
    m_fontFamily.reset(family->Clone());
    return m_fontFamily.get();
}

HFONT MControlFont::GetGDIFont() {
    if (m_gdiFont) return m_gdiFont.get();
    LOGFONTW font = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    const std::wstring face = Manager::GetFontName();
    const size_t length = face.copy(font.lfFaceName, LF_FACESIZE - 1);
    font.lfFaceName[length] = L'\0';
    font.lfHeight = -m_fontSize;  // character height in pixels
    font.lfCharSet = DEFAULT_CHARSET;
    if (m_fontStyle & Gdiplus::FontStyleBold) font.lfWeight += FW_BOLD;  // added, not set
    font.lfItalic = (m_fontStyle & Gdiplus::FontStyleItalic) ? TRUE : FALSE;
    font.lfUnderline = (m_fontStyle & Gdiplus::FontStyleUnderline) ? TRUE : FALSE;
    m_gdiFont.reset(::CreateFontIndirectW(&font));
    return m_gdiFont.get();
}

void MControlFont::ClearGDIFont() { m_gdiFont.reset(); }

std::unique_ptr<Gdiplus::Font> MControlFont::CreateTitleFont() {
    return std::make_unique<Gdiplus::Font>(
        GetFontFamily(m_fontName.c_str()),
        static_cast<Gdiplus::REAL>(Manager::GetScaleValue(m_fontSize)),
        static_cast<INT>(m_fontStyle), Gdiplus::UnitPixel);
}

// --- Alignment -------------------------------------------------------------------------------

void MControlFont::SetAlignment(unsigned hAlign) { SetAlignment(hAlign, m_vAlign); }
void MControlFont::SetVAlignment(unsigned vAlign) { SetAlignment(m_hAlign, vAlign); }

void MControlFont::SetAlignment(unsigned hAlign, unsigned vAlign) {
    if (hAlign == m_hAlign && vAlign == m_vAlign) return;
    m_hAlign = hAlign;
    m_vAlign = vAlign;
    UpdateControl(1, 0);
}

void MControlFont::GetAlignment(unsigned& hAlign, unsigned& vAlign) const {
    hAlign = m_hAlign;
    vAlign = m_vAlign;
}

// --- Image strip -----------------------------------------------------------------------------

int MControlFont::SetImage(const wchar_t* name, int count) {
    if (m_host == nullptr) return 0;
    return TakeImage(m_host->AddImgResInfo(name, count), count);
}

int MControlFont::SetImage(unsigned id, const std::wstring& type, int count) {
    if (m_host == nullptr) return 0;
    return TakeImage(m_host->AddImgResInfo(id, type.c_str(), count, 1), count);
}

int MControlFont::TakeImage(const ImgResInfo* info, int count) {
    if (info == nullptr) return 0;
    m_image = info->image.get();
    m_frameWidth = info->frameWidth;
    m_frameHeight = info->height;
    m_imageCount = count;
    UpdateControl(1, 0);
    return 1;
}

void MControlFont::SetImageCount(int count) { m_imageCount = count; }
CSize MControlFont::GetImageSize() const { return CSize(m_frameWidth, m_frameHeight); }
std::wstring MControlFont::GetImagePath() const { return m_imagePath; }

}  // namespace Vela
