// MRender: GDI text output, text measurement through GDI+ paths, content placement.
#include "vela/MRender.h"

#include <cmath>

#include "render/Handles.h"

namespace Vela {
namespace {

// World bounds of the text laid out in layout (no transform, no pen).
Gdiplus::RectF PathBounds(const Gdiplus::Font& font, const Gdiplus::StringFormat& format,
                          const Gdiplus::RectF& layout, const std::wstring& text) {
    Gdiplus::FontFamily family;
    font.GetFamily(&family);
    Gdiplus::GraphicsPath path;
    path.AddString(text.c_str(), static_cast<INT>(text.size()), &family, font.GetStyle(),
                   font.GetSize(), layout, &format);
    Gdiplus::RectF bounds;
    path.GetBounds(&bounds);
    return bounds;
}

bool IsWhole(Gdiplus::REAL value) { return value == std::floor(value); }

}  // namespace

void MRender::DrawTextW(HDC dc, CRect& rect, const wchar_t* text, unsigned long color,
                        HFONT font, unsigned format) {
    if (text == nullptr) return;
    ::SetBkMode(dc, TRANSPARENT);  // stays so: callers rely on it for later output
    const COLORREF previousColor = ::SetTextColor(dc, color);
    {
        Selection selected(dc, font);
        ::DrawTextW(dc, text, -1, &rect, format);
    }
    ::SetTextColor(dc, previousColor);
}

Gdiplus::Size MRender::GetTextBounds(const Gdiplus::Font& font,
                                     const Gdiplus::StringFormat& format,
                                     const std::wstring& text) {
    const Gdiplus::RectF bounds = PathBounds(font, format, Gdiplus::RectF(0, 0, 0, 0), text);
    const Gdiplus::REAL fontHeight = font.GetHeight(0.0f);
    const int height = IsWhole(fontHeight) ? static_cast<int>(fontHeight) + 1
                                           : static_cast<int>(fontHeight) + 4;
    return Gdiplus::Size(static_cast<INT>(std::ceil(bounds.Width)), height);
}

Gdiplus::Size MRender::GetTextBounds(const Gdiplus::Font& font,
                                     const Gdiplus::StringFormat& format, int width,
                                     const std::wstring& text) {
    const Gdiplus::RectF bounds =
        PathBounds(font, format, Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(width), 0),
                   text);
    auto lineHeight = [](Gdiplus::REAL h) {
        return IsWhole(h) ? static_cast<int>(h) + 1 : static_cast<int>(h) + 2;
    };
    const int fontLines = lineHeight(font.GetHeight(0.0f));
    const int textLines = lineHeight(bounds.Height);
    const int height = textLines > fontLines ? textLines + 5 : fontLines + 1;
    return Gdiplus::Size(static_cast<INT>(std::ceil(bounds.Width)), height);
}

Gdiplus::Size MRender::GetTextBounds(const Gdiplus::Font& font, const std::wstring& text) {
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    return GetTextBounds(font, format, text);
}

CPoint MRender::GetOriginPoint(int width, int height, int contentWidth, int contentHeight,
                               unsigned hAlign, unsigned vAlign) {
    int x = 0;
    if (hAlign == 1) x = (width - contentWidth) / 2;
    else if (hAlign == 2) x = width - contentWidth;
    int y = 0;
    if (vAlign == 4) y = (height - contentHeight) / 2;
    else if (vAlign == 8) y = height - contentHeight;
    return CPoint(x, y);
}

CPoint MRender::GetOriginPoint(CRect rect, int contentWidth, int contentHeight, unsigned hAlign,
                               unsigned vAlign) {
    const CPoint offset = GetOriginPoint(rect.Width(), rect.Height(), contentWidth,
                                         contentHeight, hAlign, vAlign);
    return CPoint(rect.left + offset.x, rect.top + offset.y + 2);
}

}  // namespace Vela
