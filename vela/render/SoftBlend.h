// The software blend that stands in for the system's AlphaBlend where it is missing.
#pragma once

#include <windows.h>

namespace Vela {

// Same arguments as AlphaBlend. Per pixel, x = source alpha * constant alpha / 255 / 255 and
// each colour channel becomes trunc(destination * (1 - x) + source * x); the alpha byte of
// the result is 0. 1 on success, 0 when a DC or DIB cannot be made.
BOOL WINAPI SoftwareAlphaBlend(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy,
                               int sw, int sh, BLENDFUNCTION blend);

}  // namespace Vela
