// MRender: static drawing and loading operations shared by the paint manager and the
// controls: images and icons, memory DCs and 32-bit bitmaps, nine-grid skin frames, alpha
// transitions, gradients and colour fills, text measurement and placement, rounded
// rectangles, point rotation, aspect-fit rectangles and BMP files. Nothing here knows about
// controls.
//
// Colours: "ARGB" is 0xAARRGGBB (GDI+), "COLORREF" is 0x00BBGGRR (GDI). Images returned by
// the loaders belong to the caller, who deletes them.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <string>

#include "vela/Geometry.h"
#include "vela/VelaExport.h"

namespace Vela {

class VELA_API MRender {
public:
    MRender() = delete;

    // --- Loading ---------------------------------------------------------------------------
    // The file at exactly that path (no skin folder is prepended); null on any GDI+ error.
    static Gdiplus::Image* LoadImageFromFile(const std::wstring& path);
    // A width x height thumbnail of the file (its own size when both are 0); null on failure.
    static Gdiplus::Image* LoadImageFromFileEx(const std::wstring& path, int width, int height);
    // A resource of the given type ("PNG", ...) in module; null when it is missing. Bytes that
    // do not decode give an image whose width and height read as 0.
    static Gdiplus::Image* LoadImageFromIDResource(UINT id, const std::wstring& type,
                                                   HINSTANCE module);
    // The first icon of the file, or the icon of its file type. The caller destroys it.
    static HICON LoadIconFromFile(const std::wstring& path);

    // --- DCs and bitmaps -------------------------------------------------------------------
    static HDC CreateCompatibleDC(HDC dc);
    static HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
    // 32 bits per pixel, bottom-up: image row r is memory row height - 1 - r.
    static HBITMAP CreateARGB32Bitmap(HDC dc, int width, int height, unsigned char** bits);
    static BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY);
    static BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY,
                       unsigned long rop);

    // --- Fills and colours -----------------------------------------------------------------
    // COLORREF fills; they leave the DC's background colour set to the colour.
    static void FillSolidRect(HDC& dc, const RECT* rect, unsigned long color);
    static void FillSolidRect(HDC& dc, int x, int y, int width, int height, unsigned long color);
    // Blends an ARGB colour over the rectangle; a colour with alpha 0 draws nothing.
    static void DrawColor(HDC dc, const RECT& rect, Gdiplus::ARGB color);
    // A colour whose low 24 bits are 0 gets 1 added (so it is never pure black).
    static void CheckAlphaColor(unsigned long& color);
    static void DrawGradient(HDC dc, const RECT& rect, Gdiplus::ARGB from, Gdiplus::ARGB to,
                             bool vertical, int steps);
    // Draws nothing.
    static void DrawRectangle(HDC& dc, const CRect& rect, int a, int b, int c);

    // --- Skin frames -----------------------------------------------------------------------
    // Nine-grid: the source rectangle is cut by a border of the given size on every side;
    // corners are copied unscaled, edges stretched along their length, the centre both ways.
    static void DrawImageFrame(Gdiplus::Graphics& graphics, Gdiplus::Image* image,
                               const CRect& dst, int srcX, int srcY, int srcWidth, int srcHeight,
                               int border);
    static void DrawImageFrameMID(Gdiplus::Graphics& graphics, Gdiplus::Image* image,
                                  const CRect& dst, int srcX, int srcY, int srcWidth,
                                  int srcHeight, int left, int top, int right, int bottom);

    // --- Transitions -----------------------------------------------------------------------
    // Fade src onto dst row by row (column by column); percentages are transparency, 0 opaque
    // and 100 invisible. Returns the last alpha used, 255 when nothing was drawn.
    static int DrawVerticalTransition(HDC& dst, HDC& src, const CRect& dstRect,
                                      const CRect& srcRect, int startPercent, int endPercent);
    static int DrawHorizontalTransition(HDC& dst, HDC& src, const CRect& dstRect,
                                        const CRect& srcRect, int startPercent, int endPercent);
    // Fades the size x size square at the DCs' (rect width - size, rect height - size) from
    // opaque at its top-left to invisible at distance size.
    static void DrawRightBottomTransition(HDC& dst, HDC& src, CRect rect, int size,
                                          unsigned long unused);

    // --- Text ------------------------------------------------------------------------------
    // System text output in a COLORREF colour and font; restores the DC's colour and font but
    // leaves its background mode transparent. A null text draws nothing.
    static void DrawTextW(HDC dc, CRect& rect, const wchar_t* text, unsigned long color,
                          HFONT font, unsigned format);
    static Gdiplus::Size GetTextBounds(const Gdiplus::Font& font,
                                       const Gdiplus::StringFormat& format,
                                       const std::wstring& text);
    static Gdiplus::Size GetTextBounds(const Gdiplus::Font& font,
                                       const Gdiplus::StringFormat& format, int width,
                                       const std::wstring& text);
    static Gdiplus::Size GetTextBounds(const Gdiplus::Font& font, const std::wstring& text);
    // Offset of content in an area: horizontal 0 left, 1 centre, 2 right; vertical 0 top,
    // 4 middle, 8 bottom.
    static CPoint GetOriginPoint(int width, int height, int contentWidth, int contentHeight,
                                 unsigned hAlign, unsigned vAlign);
    // The aligned position inside rect, 2 pixels lower than the aligned y.
    static CPoint GetOriginPoint(CRect rect, int contentWidth, int contentHeight,
                                 unsigned hAlign, unsigned vAlign);

    // --- Geometry --------------------------------------------------------------------------
    static void DrawRoundRectange(Gdiplus::Graphics& graphics, float x, float y, float width,
                                  float height, float radius, Gdiplus::Color color);
    // Corner radii width / divisor / 2 and height / divisor / 2 (the smaller one for both when
    // they differ by more than 10); filled with inside when fill is set, then outlined.
    static void DrawRoundRectange(Gdiplus::Graphics& graphics, float x, float y, float width,
                                  float height, float divisor, Gdiplus::Color border,
                                  float penWidth, bool fill, Gdiplus::Color inside);
    static void AddRoundedRectangle(Gdiplus::GraphicsPath& path, float x, float y, float width,
                                    float height, float radius);
    // Turns point around centre by angle degrees, clockwise on screen.
    static void RotatePoint(Gdiplus::PointF& point, float angle, const Gdiplus::PointF& centre);
    // The image size fitted into box (shrunk keeping its aspect where it overflows), centred.
    static CRect GetImageRect(int imageWidth, int imageHeight, CRect box);

    // --- Files -----------------------------------------------------------------------------
    // Writes the bitmap as a BMP file at the screen's colour depth (24 bits above 8).
    // 1 when written, 0 when the file could not be created or the screen has a palette.
    static int SaveBitmapToFile(HBITMAP bitmap, const std::wstring& path);
};

}  // namespace Vela
