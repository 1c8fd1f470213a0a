#include "vela/MPicture.h"

#include "core/SkinFolder.h"
#include <algorithm>
#include <utility>

#include "vela/MRender.h"
#include "vela/Manager.h"

namespace Vela {
MPicture::MPicture(MObject* parent, unsigned id, CRect rect, int visible, int enabled)
    : MControlFont(parent, id, rect, nullptr, visible, enabled, 1) {
    m_imageCount = 1;
}

MPicture::~MPicture() = default;

// --- Images ----------------------------------------------------------------------------------

int MPicture::TakePicture(std::unique_ptr<Gdiplus::Image> image, int count) {
    // A resource whose bytes no decoder took still gives an image object: no image either.
    if (image && image->GetLastStatus() != Gdiplus::Ok) image.reset();
    m_picture = std::move(image);  // releases the previous one
    m_image = m_picture.get();
    if (m_image == nullptr) {
        m_frameWidth = 0;
        m_frameHeight = 0;
        return 0;
    }
    m_frameWidth = static_cast<int>(m_image->GetWidth()) / count;
    m_frameHeight = static_cast<int>(m_image->GetHeight());
    m_imageCount = count;
    return 1;
}

int MPicture::SetImage(const wchar_t* name, int count) {
    TakePicture(nullptr, count);  // the old image goes first, whatever the load gives
    std::unique_ptr<Gdiplus::Image> image(MRender::LoadImageFromFile(SkinPath(name)));
    const int loaded = TakePicture(std::move(image), count);
    UpdateControl(1, 0);
    return loaded;
}

int MPicture::SetImage(unsigned id, const std::wstring& type, int count) {
    TakePicture(nullptr, count);
    std::unique_ptr<Gdiplus::Image> image(
        MRender::LoadImageFromIDResource(id, type, Manager::GetInstance()));
    const int loaded = TakePicture(std::move(image), count);
    if (loaded) UpdateControl(1, 0);
    return loaded;
}

// --- Fitting ---------------------------------------------------------------------------------

int MPicture::SetShowMode(enumShowMode mode, int border) {
    if (mode == m_showMode && (mode != ShowModeFrame || border == m_frameBorder)) return 0;
    m_frameBorder = border;
    m_showMode = mode;
    UpdateControl(1, 0);
    return 1;
}

int MPicture::SetShowModeMID(int left, int top, int right, int bottom) {
    m_midLeft = left;
    m_midTop = top;
    m_midRight = right;
    m_midBottom = bottom;
    m_showMode = ShowModeFrameMID;
    UpdateControl(1, 0);
    return 1;
}

void MPicture::SetCustomRect(CRect rect) { m_customRect = rect; }

void MPicture::DrawTiles(Gdiplus::Graphics& graphics, int w, int h) {
    const int fw = m_frameWidth, fh = m_frameHeight;
    if (fw <= 0 || fh <= 0) return;
    for (int c = 0; c <= w / fw; ++c) {
        for (int r = 0; r <= h / fh; ++r) {
            const int restW = w - c * fw, restH = h - r * fh;
            if (restW < 0 || restH < 0) continue;
            const int tw = std::min(fw, restW), th = std::min(fh, restH);
            graphics.DrawImage(m_image, Gdiplus::Rect(c * fw, r * fh, tw, th), 0, 0, tw, th,
                               Gdiplus::UnitPixel);
        }
    }
}

int MPicture::DrawControl(HDC& target, CRect) {
    const int w = m_rect.Width(), h = m_rect.Height();
    if (!m_update) {
        UpdateMemDC(target, w, h);
        ::BitBlt(GetMemDC(), 0, 0, w, h, target, m_rect.left, m_rect.top, SRCCOPY);
        if (m_image != nullptr) {
            Gdiplus::Graphics graphics(GetMemDC());
            const int fw = m_frameWidth, fh = m_frameHeight;
            const CRect all(0, 0, w, h);
            switch (m_showMode) {
            case ShowModeNormal: {
                const int x = m_hAlign == 0 ? 0 : m_hAlign == 2 ? w - fw : (w - fw) / 2;
                const int y = m_vAlign == 0 ? 0 : m_vAlign == 8 ? h - fh : (h - fh) / 2;
                graphics.DrawImage(m_image, Gdiplus::Rect(x, y, fw, fh), 0, 0, fw, fh,
                                   Gdiplus::UnitPixel);
                break;
            }
            case ShowModeTile:
                DrawTiles(graphics, w, h);
                break;
            case ShowModeStretch:
                graphics.DrawImage(m_image, Gdiplus::Rect(0, 0, w, h), 0, 0, fw, fh,
                                   Gdiplus::UnitPixel);
                break;
            case ShowModeFrame:
                MRender::DrawImageFrame(graphics, m_image, all, 0, 0, fw, fh, m_frameBorder);
                break;
            case ShowModeFrameMID:
                MRender::DrawImageFrameMID(graphics, m_image, all, 0, 0, fw, fh, m_midLeft,
                                           m_midTop, m_midRight, m_midBottom);
                break;
            case ShowModeCustom:
                graphics.DrawImage(m_image, Gdiplus::Rect(0, 0, w, h), m_customRect.left,
                                   m_customRect.top, m_customRect.Width(),
                                   m_customRect.Height(), Gdiplus::UnitPixel);
                break;
            }
        }  // the graphics object has drawn into the memory DC before the copy below
    }
    ::BitBlt(target, m_rect.left, m_rect.top, w, h, GetMemDC(), 0, 0, SRCCOPY);
    return 1;
}

}  // namespace Vela
