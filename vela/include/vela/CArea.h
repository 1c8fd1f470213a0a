// CArea: a plain rectangle that lays a translucent colour veil, or a framed solid fill, over
// what lies behind it.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include "vela/MControl.h"
#include "vela/VelaExport.h"

namespace Vela {

class VELA_API CArea : public MControl {
public:
    // Always takes mouse input (response 1); the factory creates it enabled.
    CArea(MObject* parent, unsigned id, CRect rect, int visible, int enabled);

    // --- Operations ------------------------------------------------------------------------
    // Transparency in percent, top and bottom (0 opaque, 100 invisible), and the COLORREF
    // colour of the veil. While either percentage is non-zero no frame is drawn.
    void SetTransparent(int start, int end, unsigned long color);
    // A 1-pixel frame in an ARGB colour around the fill; the width argument is not used.
    void SetFrame(int frame, Gdiplus::Color color, int width);

    // --- Overridables ----------------------------------------------------------------------
    int DrawControl(HDC& target, CRect clip) override;

private:
    int m_startTransparency = 80;
    int m_endTransparency = 80;
    unsigned long m_color = 0xFFFFFF;       // COLORREF
    int m_frame = 0;
    Gdiplus::Color m_frameColor{0xFE050505};  // ARGB
};

}  // namespace Vela
