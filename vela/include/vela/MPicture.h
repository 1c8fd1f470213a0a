// MPicture: an image, or the first frame of an image strip, fitted into the control in one
// of six ways (enumShowMode).
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "vela/MControlFont.h"
#include "vela/VelaExport.h"

namespace Vela {

// How an MPicture fits its image; other values draw only what lies behind.
enum enumShowMode : int {
    ShowModeNormal = 0,    // own size, placed by the control's alignment
    ShowModeTile = 1,      // repeated from the top-left, the last row and column cut
    ShowModeStretch = 2,   // stretched over the control
    ShowModeFrame = 3,     // nine-grid with the frame border on every side
    ShowModeFrameMID = 4,  // nine-grid with four borders (SetShowModeMID)
    ShowModeCustom = 5,    // the custom source rectangle stretched over the control
};

class VELA_API MPicture : public MControlFont {
public:
    MPicture(MObject* parent, unsigned id, CRect rect, int visible, int enabled);
    ~MPicture() override;

    // --- Overridables ----------------------------------------------------------------------
    int DrawControl(HDC& target, CRect clip) override;
    // The picture's own copy of a resource image of the application's module (Manager's
    // instance). 1 on success; 0 leaves the picture without an image and asks for no repaint.
    int SetImage(unsigned id, const std::wstring& type, int count) override;
    // The picture's own copy of a file of the skin folder. 1 on success; 0 leaves the picture
    // without an image. Repaints either way. count is 1 or more.
    int SetImage(const wchar_t* name, int count) override;

    // --- Operations ------------------------------------------------------------------------
    // 0 and nothing changes when mode is the current one (and, for ShowModeFrame, border
    // the current frame border); else stores both, repaints and returns 1.
    int SetShowMode(enumShowMode mode, int border);
    // Borders for ShowModeFrameMID, which it selects; returns 1.
    int SetShowModeMID(int left, int top, int right, int bottom);
    // The part of the image, in image pixels, that ShowModeCustom shows. No repaint.
    void SetCustomRect(CRect rect);

private:
    // Takes the image (or its absence) and the frame size of a strip of count frames.
    int TakePicture(std::unique_ptr<Gdiplus::Image> image, int count);
    void DrawTiles(Gdiplus::Graphics& graphics, int width, int height);

    std::unique_ptr<Gdiplus::Image> m_picture;  // owned; m_image points at it
    enumShowMode m_showMode = ShowModeNormal;
    int m_frameBorder = 4;  // border of ShowModeFrame
    int m_midLeft = 0;
    int m_midTop = 0;
    int m_midRight = 0;
    int m_midBottom = 0;
    CRect m_customRect;
};

}  // namespace Vela
