// MRender: nine-grid drawing of skin images.
#include "vela/MRender.h"

namespace Vela {
namespace {

// One part: destination (x, y, width, height) from source (x, y, width, height), in pixels
// and without image attributes.
void DrawPart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int dx, int dy, int dw, int dh,
              int sx, int sy, int sw, int sh) {
    graphics.DrawImage(image, Gdiplus::Rect(dx, dy, dw, dh), sx, sy, sw, sh, Gdiplus::UnitPixel);
}

}  // namespace

void MRender::DrawImageFrame(Gdiplus::Graphics& graphics, Gdiplus::Image* image,
                             const CRect& dst, int srcX, int srcY, int srcWidth, int srcHeight,
                             int border) {
    DrawImageFrameMID(graphics, image, dst, srcX, srcY, srcWidth, srcHeight, border, border,
                      border, border);
}

void MRender::DrawImageFrameMID(Gdiplus::Graphics& graphics, Gdiplus::Image* image,
                                const CRect& dst, int srcX, int srcY, int srcWidth,
                                int srcHeight, int l, int t, int r, int b) {
    if (image == nullptr) return;
    const int L = dst.left, T = dst.top, R = dst.right, B = dst.bottom;
    const int midW = R - L - l - r, midH = B - T - t - b;                // destination middles
    const int srcMidW = srcWidth - l - r, srcMidH = srcHeight - t - b;  // source middles
    const int srcR = srcX + srcWidth, srcB = srcY + srcHeight;

    // Drawing order: the left column, the top edge, the right column, the bottom edge, the
    // centre.
    DrawPart(graphics, image, L, T, l, t, srcX, srcY, l, t);                     // top-left
    DrawPart(graphics, image, L, T + t, l, midH, srcX, srcY + t, l, srcMidH);    // left
    DrawPart(graphics, image, L, B - b, l, b, srcX, srcB - b, l, b);             // bottom-left
    DrawPart(graphics, image, L + l, T, midW, t, srcX + l, srcY, srcMidW, t);    // top
    DrawPart(graphics, image, R - r, T, r, t, srcR - r, srcY, r, t);             // top-right
    DrawPart(graphics, image, R - r, T + t, r, midH, srcR - r, srcY + t, r, srcMidH);  // right
    DrawPart(graphics, image, R - r, B - b, r, b, srcR - r, srcB - b, r, b);     // bottom-right
    DrawPart(graphics, image, L + l, B - b, midW, b, srcX + l, srcB - b, srcMidW, b);  // bottom
    DrawPart(graphics, image, L + l, T + t, midW, midH, srcX + l, srcY + t, srcMidW,
             srcMidH);  // centre
}

}  // namespace Vela
