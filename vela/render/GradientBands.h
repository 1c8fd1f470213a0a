// The banded gradient that stands in for the system's GradientFill where it is missing.
#pragma once

#include <windows.h>

namespace Vela {

// Fills area with 2^k solid bands (k from steps: 1 below 4, 2 below 8, ... 6 from 64 up),
// counted from the right (horizontal) or bottom (vertical) edge: the band at that edge has
// the colour "to", the far one comes close to "from". Colours are ARGB; alpha is ignored.
void FillGradientBands(HDC dc, const RECT& area, DWORD from, DWORD to, bool vertical, int steps);

}  // namespace Vela
