// MControlFont: a control with a title, the font and colour it is drawn in, alignment and
// an image strip (one image holding several equal frames side by side, one per visual
// state). It draws nothing itself; concrete controls read these properties when they paint.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>
#include <type_traits>

#include "vela/MControl.h"
#include "vela/VelaExport.h"

namespace Vela {

struct ImgResInfo;

class VELA_API MControlFont : public MControl {
public:
    MControlFont(MObject* parent, unsigned id, CRect rect, const wchar_t* title, int visible,
                 int enabled, int response);
    ~MControlFont() override;

    // --- Overridables (after MControl's) ---------------------------------------------------
    virtual void SetTextFont(const std::wstring& name);
    virtual void SetTextColor(Gdiplus::Color color);
    // An image resource of the given type in the application's module.
    virtual int SetImage(unsigned id, const std::wstring& type, int count);
    // An image file of the skin folder. Both return 1, or 0 (keeping the previous image) when
    // there is no host or the image cannot be loaded.
    virtual int SetImage(const wchar_t* name, int count);

protected:
    virtual void SetControlTitle(const wchar_t* title);
    virtual std::wstring GetControlTitle();

public:
    // --- Title -----------------------------------------------------------------------------
    void SetTitle(const wchar_t* title);
    std::wstring GetTitle();

    // --- Font ------------------------------------------------------------------------------
    // None of these asks for a repaint or drops the GDI font.
    void SetFont(const wchar_t* name, int size, Gdiplus::FontStyle style);
    std::wstring GetTextFont() const;
    void SetFontWidth(int size);  // em size in pixels before scaling
    int GetFontWidth() const;
    void SetFontStyle(Gdiplus::FontStyle style);
    Gdiplus::FontStyle GetFontStyle() const;
    void SetTextRenderingHint(Gdiplus::TextRenderingHint hint);
    Gdiplus::TextRenderingHint GetTextRenderingHint() const;
    Gdiplus::Color GetTextColor() const;
    // The family for GDI+ text from the host (a copy this control keeps), or null.
    Gdiplus::FontFamily* GetFontFamily(const wchar_t* name);
    // A GDI font for GDI text output, built once from the library's font name and this
    // control's size and style; kept until ClearGDIFont or SetTitle.
    HFONT GetGDIFont();
    void ClearGDIFont();

    // --- Alignment: horizontal 0 left, 1 centre, 2 right; vertical 0 top, 4 middle, 8 bottom.
    void SetAlignment(unsigned hAlign);
    void SetVAlignment(unsigned vAlign);
    void SetAlignment(unsigned hAlign, unsigned vAlign);
    void GetAlignment(unsigned& hAlign, unsigned& vAlign) const;

    // --- Image strip -----------------------------------------------------------------------
    void SetImageCount(int count);
    CSize GetImageSize() const;  // one frame
    std::wstring GetImagePath() const;

protected:
    // A GDI+ font for the title: the family GetFontFamily gives for the font name, em size
    // trunc(font size x the library's scale value) in pixels, the font style. Without a
    // family the font is invalid, and GDI+ draws no text with it.
    std::unique_ptr<Gdiplus::Font> CreateTitleFont();

    struct FontDeleter {
        void operator()(HFONT font) const { ::DeleteObject(font); }
    };

    std::wstring m_title;
    std::wstring m_fontName;   // the library's font name at construction
    std::wstring m_imagePath;  // no setter changes it
    int m_fontSize;            // the library's font size at construction
    Gdiplus::Color m_textColor{0xFFFFFFFF};
    std::unique_ptr<Gdiplus::SolidBrush> m_textBrush;  // owned, always in m_textColor
    Gdiplus::FontStyle m_fontStyle = Gdiplus::FontStyleRegular;
    std::unique_ptr<Gdiplus::FontFamily> m_fontFamily;  // owned copy of the last family
    unsigned m_hAlign = 0;
    unsigned m_vAlign = 4;
    Gdiplus::TextRenderingHint m_textHint = Gdiplus::TextRenderingHintClearTypeGridFit;
    std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter> m_gdiFont;  // owned cache
    Gdiplus::Image* m_image = nullptr;  // not owned: the host's image registry keeps it
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    int m_imageCount = 4;

private:
    int TakeImage(const ImgResInfo* info, int count);  // 0 for null, else stores and repaints
};

}  // namespace Vela
