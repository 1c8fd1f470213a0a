#include "render/GradientBands.h"

#include "render/Handles.h"

namespace Vela {
namespace {

int BandShift(int steps) {
    if (steps < 4) return 1;
    if (steps < 8) return 2;
    if (steps < 16) return 3;
    if (steps < 32) return 4;
    if (steps < 64) return 5;
    return 6;
}

// Channel at shift s of an ARGB colour: 16 red, 8 green, 0 blue.
int Channel(DWORD argb, int s) { return static_cast<int>((argb >> s) & 0xFF); }

}  // namespace

void FillGradientBands(HDC dc, const RECT& area, DWORD from, DWORD to, bool vertical,
                       int steps) {
    const int k = BandShift(steps);
    const int bands = 1 << k;
    const int span = vertical ? area.bottom - area.top : area.right - area.left;
    const int edge = vertical ? area.bottom : area.right;
    for (int t = 0; t < bands; ++t) {
        const int nearEdge = edge - ((span * t) >> k);
        const int farEdge = edge - ((span * (t + 1)) >> k);
        if (nearEdge - farEdge <= 0) continue;
        auto mix = [&](int s) {
            return (Channel(to, s) * (bands - t) + Channel(from, s) * t) >> k;
        };
        RECT band = area;
        if (vertical) {
            band.top = farEdge;
            band.bottom = nearEdge;
        } else {
            band.left = farEdge;
            band.right = nearEdge;
        }
        GdiObject<HBRUSH> brush(::CreateSolidBrush(RGB(mix(16), mix(8), mix(0))));
        ::FillRect(dc, &band, brush.get());
    }
}

}  // namespace Vela
