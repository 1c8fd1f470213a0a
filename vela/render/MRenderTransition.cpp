// MRender: alpha transitions, one system blend per row, column or pixel.
#include "vela/MRender.h"

#include <algorithm>
#include <cmath>

namespace Vela {
namespace {

BLENDFUNCTION ConstantAlpha(int alpha) {
    return BLENDFUNCTION{AC_SRC_OVER, 0, static_cast<BYTE>(alpha & 0xFF), 0};
}

// Alpha of step i of n between two transparency percentages: the first step has the start
// value's opacity, the others move linearly toward the end value's.
int StepAlpha(int i, int n, int startPercent, int endPercent) {
    const int lo = std::min(startPercent, endPercent);
    const int hi = std::max(startPercent, endPercent);
    const double opaque = std::trunc(255.0 - lo * 255.0 / 100.0);
    const double clear = std::trunc((100.0 - hi) * 255.0 / 100.0);
    const double step = (opaque - clear) / n;
    const double alpha = startPercent < endPercent ? opaque - i * step : clear + i * step;
    return static_cast<int>(alpha) & 0xFF;
}

}  // namespace

int MRender::DrawVerticalTransition(HDC& dst, HDC& src, const CRect& dstRect,
                                    const CRect& srcRect, int startPercent, int endPercent) {
    const int n = dstRect.Height();
    const int w = dstRect.Width();
    int alpha = 255;
    for (int i = 0; i < n; ++i) {
        alpha = StepAlpha(i, n, startPercent, endPercent);
        ::AlphaBlend(dst, dstRect.left, dstRect.top + i, w, 1, src, srcRect.left, srcRect.top + i,
                     w, 1, ConstantAlpha(alpha));
    }
    return alpha;
}

int MRender::DrawHorizontalTransition(HDC& dst, HDC& src, const CRect& dstRect,
                                      const CRect& srcRect, int startPercent, int endPercent) {
    const int n = dstRect.Width();
    const int h = dstRect.Height();
    int alpha = 255;
    for (int i = 0; i < n; ++i) {
        alpha = StepAlpha(i, n, startPercent, endPercent);
        ::AlphaBlend(dst, dstRect.left + i, dstRect.top, 1, h, src, srcRect.left + i, srcRect.top,
                     1, h, ConstantAlpha(alpha));
    }
    return alpha;
}

void MRender::DrawRightBottomTransition(HDC& dst, HDC& src, CRect rect, int size,
                                        unsigned long) {
    // The square sits at the DCs' own origin plus the rectangle's size, not at rect's corner.
    const int x0 = rect.Width() - size;
    const int y0 = rect.Height() - size;
    for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
            const double distance = std::min<double>(size, std::sqrt(double(i * i + j * j)));
            const int alpha = static_cast<int>(255.0 - distance * 255.0 / size);
            ::AlphaBlend(dst, x0 + i, y0 + j, 1, 1, src, x0 + i, y0 + j, 1, 1,
                         ConstantAlpha(alpha));
        }
    }
}

}  // namespace Vela
