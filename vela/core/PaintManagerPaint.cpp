// PaintManager: the paint pipeline, the background, the temperature overlay, the message and
// progress panel with its timers, repaint requests and control snapshots.
#include "vela/PaintManager.h"

#include <cstdio>
#include <cstring>

#include "render/Handles.h"
#include "render/Lock.h"
#include "vela/MControl.h"
#include "vela/MRender.h"
#include "vela/Manager.h"

namespace Vela {
namespace {

bool Intersects(const RECT& a, const RECT& b) {
    RECT common;
    return ::IntersectRect(&common, &a, &b) != FALSE;
}

// The update rectangle clipped to the bitmap, as rows and columns of the bottom-up DIB.
template <class PixelOp>
void ForEachPixel(unsigned char* bits, int width, int height, CRect rect, PixelOp op) {
    RECT bounds = {0, 0, width, height};
    RECT clipped;
    if (bits == nullptr || !::IntersectRect(&clipped, &rect, &bounds)) return;
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        // Image row y is memory row height - 1 - y.
        DWORD* row = reinterpret_cast<DWORD*>(bits) + static_cast<size_t>(height - 1 - y) * width;
        for (int x = clipped.left; x < clipped.right; ++x) op(row[x]);
    }
}

Gdiplus::Color FromColorRef(BYTE alpha, COLORREF color) {
    return Gdiplus::Color(alpha, GetRValue(color), GetGValue(color), GetBValue(color));
}

}  // namespace

// --- Invalidation ------------------------------------------------------------------------------

void PaintManager::Invalidate() {
    if (m_hwnd != nullptr) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

void PaintManager::InvalidateRect(CRect rect, int erase) {
    if (m_hwnd == nullptr) return;
    // A layered window is always handed over whole, so all of it is painted again.
    if (m_layered) {
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
    } else {
        ::InvalidateRect(m_hwnd, &rect, erase);
    }
}

long PaintManager::OnControlUpdate(CRect rect, int mark, MControl* control) {
    if (control == nullptr) return 0;
    CRect dirty = rect;
    if (mark) control->SetUpdate(0, m_fillColor);
    if (m_initialised) {
        // Controls painted after the requesting one would be painted over by it: they are
        // marked and repainted as well. Compared with the requested rectangle, not with the
        // growing dirty one, so the dirty area grows only by direct overlaps.
        bool met = false;
        auto walk = [&](std::vector<MControl*>& list, CRITICAL_SECTION* lock) {
            LockScope scope(lock);
            for (MControl* entry : list) {
                if (entry == nullptr) continue;
                if (!met) {
                    met = entry == control;
                    continue;
                }
                const CRect entryRect = entry->GetRect();
                if (entry->IsVisible() && Intersects(entryRect, rect)) {
                    entry->SetUpdate(0, m_fillColor);
                    RECT both;
                    ::UnionRect(&both, &dirty, &entryRect);
                    dirty = both;
                }
            }
        };
        walk(m_areas, &m_areaLock);
        walk(m_controls, &m_controlLock);
    }
    if (m_hwnd == nullptr) return 0;
    if (m_layered) {
        ::InvalidateRect(m_hwnd, nullptr, TRUE);
    } else {
        ::InvalidateRect(m_hwnd, &dirty, FALSE);
    }
    return 0;
}

// --- The paint pipeline ------------------------------------------------------------------------

int PaintManager::OnPaint() {
    const int painted = PaintWindow();
    // The pause caps the frame rate of a window that is invalidated all the time (a
    // multimedia-timer animation) at about 66 frames a second, leaving the thread to input.
    if (painted && m_hwnd != nullptr && !::IsIconic(m_hwnd)) ::Sleep(15);
    return painted;
}

int PaintManager::PaintWindow() {
    if (m_hwnd == nullptr) return 0;
    if (::IsIconic(m_hwnd)) return 1;  // nothing to see; the update region stays
    CRect update;
    if (!::GetUpdateRect(m_hwnd, &update, FALSE)) return 0;
    CRect client;
    ::GetClientRect(m_hwnd, &client);
    const int width = client.Width();
    const int height = client.Height();

    PAINTSTRUCT paint = {};
    HDC target = ::BeginPaint(m_hwnd, &paint);
    {
        // Declaration order is release order in reverse: the bitmap is selected out of the
        // memory DC (selection) before the bitmap and then the DC are deleted, and the window
        // DC is released last.
        WindowDC screen(m_hwnd);
        MemoryDC memory(::CreateCompatibleDC(screen.get()));
        unsigned char* bits = nullptr;
        GdiObject<HBITMAP> frame(MRender::CreateARGB32Bitmap(screen.get(), width, height, &bits));
        if (memory && frame) {
            Selection selected(memory.get(), frame.get());
            PaintFrame(memory.get(), bits, width, height, update);
            if (m_layered) {
                ::SetWindowLongW(m_hwnd, GWL_EXSTYLE,
                                 ::GetWindowLongW(m_hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
                SIZE size = {width, height};
                POINT origin = {0, 0};
                BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                ::UpdateLayeredWindow(m_hwnd, screen.get(), nullptr, &size, memory.get(), &origin,
                                      0, &blend, ULW_ALPHA);
            } else {
                ::BitBlt(target, update.left, update.top, update.Width(), update.Height(),
                         memory.get(), update.left, update.top, SRCCOPY);
            }
        }
    }
    ::EndPaint(m_hwnd, &paint);
    return 1;
}

void PaintManager::PaintFrame(HDC dc, unsigned char* bits, int width, int height,
                              CRect update) {
    if (bits == nullptr || width <= 0 || height <= 0) return;
    const CRect client(0, 0, width, height);
    const int state = ::SaveDC(dc);
    // Layered: the update rectangle starts fully transparent, so what no one paints there
    // stays see-through.
    if (m_layered) {
        ::GdiFlush();
        ForEachPixel(bits, width, height, update, [](DWORD& pixel) { pixel = 0; });
    }
    {
        // GDI+ draws on the frame's own pixels as ARGB, so its alpha lands in the frame (on
        // a DC it would treat the pixels as opaque RGB). The rows are bottom-up: the first
        // image row is the last memory row, and the stride is negative. The bitmap and the
        // graphics die (end of this scope) before the DC's state is restored, long before
        // the caller releases the DC and the pixels.
        const INT stride = width * 4;
        Gdiplus::Bitmap pixels(width, height, -stride, PixelFormat32bppARGB,
                               bits + static_cast<size_t>(height - 1) * stride);
        Gdiplus::Graphics graphics(&pixels);
        // Only the update rectangle of a plain window reaches the screen: GDI+ fills no
        // pixel outside it. (A layered window is handed over whole, so it is drawn whole.)
        if (!m_layered) {
            graphics.SetClip(Gdiplus::Rect(update.left, update.top, update.Width(),
                                           update.Height()));
        }
        if (m_backImage) {
            DrawBackImage(graphics, client);
        } else {
            // The plain background: a one-pixel frame around the fill, both at alpha 254
            // (not 255).
            Gdiplus::SolidBrush frame(FromColorRef(254, m_frameColor));
            graphics.FillRectangle(&frame, 0, 0, width, height);
            Gdiplus::SolidBrush fill(FromColorRef(254, m_fillColor));
            graphics.FillRectangle(&fill, 1, 1, width - 2, height - 2);
        }
        // The controls draw with GDI into the same DC: what GDI+ holds back must be there
        // first.
        graphics.Flush(Gdiplus::FlushIntentionSync);

        HDC target = dc;
        const CRect clip = m_layered ? client : update;
        DrawControl(target, clip);
        DrawCaret(target, clip);
        ::GdiFlush();

        // Layered: GDI writes colour with alpha 0, which the layered window would show as
        // nothing. A pixel with colour but no alpha was drawn by GDI and becomes opaque; a
        // pixel that is 0 in all four bytes was never painted and stays transparent.
        if (m_layered) {
            ForEachPixel(bits, width, height, update, [](DWORD& pixel) {
                if ((pixel & 0xFF000000) == 0 && (pixel & 0x00FFFFFF) != 0) pixel |= 0xFF000000;
            });
        }
        if (m_drawInfo) DrawInfo(graphics, width);
        if (m_messageAlpha > 10 && !m_message.empty()) DrawMessage(graphics);
        graphics.Flush(Gdiplus::FlushIntentionSync);
    }
    ::RestoreDC(dc, state);
}

void PaintManager::DrawControl(HDC& dc, CRect rect) {
    {
        LockScope lock(&m_areaLock);
        for (MControl* area : m_areas) {
            if (area != nullptr) area->Draw(dc, rect);
        }
    }
    LockScope lock(&m_controlLock);
    for (MControl* control : m_controls) {
        if (control != nullptr) control->Draw(dc, rect);
    }
}

void PaintManager::DrawBackImage(Gdiplus::Graphics& graphics, CRect rect) {
    if (!m_backImage) return;
    if (m_backMode == BackModeStretch) {
        graphics.DrawImage(m_backImage.get(), 0, 0, rect.Width(), rect.Height());
    } else if (m_backMode == BackModeFrame) {
        MRender::DrawImageFrame(graphics, m_backImage.get(), rect, 0, 0, m_backWidth,
                                m_backHeight, m_backValue);
    }
}

void PaintManager::DrawInfo(Gdiplus::Graphics& graphics, int width) {
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(m_hwnd, &cursor);
    const CRect hot(275, 10, 293, 27);
    if (hot.PtInRect(cursor)) {
        Gdiplus::Pen pen(Gdiplus::Color(0xFFC8C8C8), 1.0f);
        graphics.DrawRectangle(&pen, Gdiplus::Rect(hot.left, hot.top, hot.Width(), hot.Height()));
    }
    Gdiplus::FontFamily* family = FindTempFont(L"Arial");
    if (family == nullptr) return;
    Gdiplus::Font font(family, 50.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%d", static_cast<int>(Manager::GetCPUTemp()));
    Gdiplus::SolidBrush brush(Gdiplus::Color(0xFFFBFBFB));
    const Gdiplus::RectF box(static_cast<float>(width / 2 - 60), 70.0f, 120.0f, 60.0f);
    graphics.DrawString(text, -1, &font, box, &format, &brush);
}

void PaintManager::DrawMessage(Gdiplus::Graphics& graphics) {
    const Gdiplus::Rect r(m_messageRect.left, m_messageRect.top, m_messageRect.Width(),
                          m_messageRect.Height());
    const Gdiplus::ARGB alpha = static_cast<Gdiplus::ARGB>(m_messageAlpha) << 24;
    Gdiplus::SolidBrush outer(Gdiplus::Color(alpha | 0xE6E6E6));
    graphics.FillRectangle(&outer, r);
    Gdiplus::SolidBrush inner(Gdiplus::Color(alpha | 0xFEFEFE));
    graphics.FillRectangle(&inner, r.X + 2, r.Y + 2, r.Width - 4, r.Height - 4);

    Gdiplus::FontFamily* family = FindTempFont(m_messageFont.c_str());
    if (family == nullptr) return;
    Gdiplus::Font font(family, 12.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    Gdiplus::SolidBrush text(Gdiplus::Color(alpha | 0x050505));
    Gdiplus::StringFormat format;
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    const float left = static_cast<float>(r.X + 5);
    const float top = static_cast<float>(r.Y + 5);
    if (m_progress == 0) {
        format.SetAlignment(Gdiplus::StringAlignmentNear);
        graphics.DrawString(m_message.c_str(), -1, &font, Gdiplus::RectF(left, top, 190, 50),
                            &format, &text);
        return;
    }
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    graphics.DrawString(m_message.c_str(), -1, &font,
                        Gdiplus::RectF(left, top, static_cast<float>(r.Width - 10), 30),
                        &format, &text);
    Gdiplus::Pen line(Gdiplus::Color(0xC8C8C8C8), 1.0f);
    graphics.DrawLine(&line, r.X + 10, r.GetBottom() - 15, r.GetRight() - 20, r.GetBottom() - 15);
    Gdiplus::SolidBrush bar(Gdiplus::Color(0xFEFFE100));
    graphics.FillRectangle(&bar, r.X + 10, r.GetBottom() - 16, m_progress * (r.Width - 20) / 100,
                           3);
}

// --- The message and progress panel ------------------------------------------------------------

void PaintManager::InvalidateMessage() { InvalidateRect(m_messageRect, FALSE); }

void PaintManager::SetMessage(const std::wstring& text, CRect rect, MsgLevel level) {
    if (m_hwnd != nullptr) {
        ::KillTimer(m_hwnd, kMessageShowTimer);
        ::KillTimer(m_hwnd, kMessageFadeTimer);
    }
    m_messageAlpha = 255;
    m_message = text;
    m_messageLevel = level;
    m_messageRect = rect;
    m_progress = 0;
    InvalidateMessage();
    if (m_hwnd != nullptr) ::SetTimer(m_hwnd, kMessageShowTimer, 3000, nullptr);
}

void PaintManager::SetProgress(int percent, const std::wstring& text, CRect rect) {
    if (percent == m_progressTarget) return;
    if (percent < 5 && m_hwnd != nullptr) ::KillTimer(m_hwnd, kMessageFadeTimer);
    m_messageAlpha = 255;
    m_message = text;
    m_progressTarget = percent;
    if (rect.IsEmpty() && m_hwnd != nullptr) {
        ::GetClientRect(m_hwnd, &rect);
        rect.top = rect.bottom - 60;
        rect.bottom -= 2;
    }
    m_messageRect = rect;
    if (m_progressTarget - m_progress < 6) {
        m_progress = m_progressTarget;
        InvalidateMessage();
        if (m_progress > 99 && m_hwnd != nullptr) ::SetTimer(m_hwnd, kMessageFadeTimer, 50, nullptr);
    } else if (m_hwnd != nullptr) {
        ::SetTimer(m_hwnd, kProgressTimer, 10, nullptr);
    }
}

void PaintManager::OnMessageTimer(UINT id) {
    if (m_hwnd == nullptr) return;
    if (id == kMessageShowTimer) {
        ::KillTimer(m_hwnd, kMessageShowTimer);
        ::SetTimer(m_hwnd, kMessageFadeTimer, 50, nullptr);
    } else if (id == kMessageFadeTimer) {
        m_messageAlpha -= 10;
        if (m_messageAlpha < 20) {
            m_messageAlpha = 0;
            m_progress = 0;
            ::KillTimer(m_hwnd, kMessageFadeTimer);
            Invalidate();
        }
        InvalidateMessage();
    } else if (id == kProgressTimer) {
        m_progress += 2;
        if (m_progress >= m_progressTarget) {
            // Odd targets: the bar stops at the target instead of one step past it.
            m_progress = m_progressTarget;
            ::KillTimer(m_hwnd, kProgressTimer);
        }
        InvalidateMessage();
        if (m_progress >= 100) ::SetTimer(m_hwnd, kMessageFadeTimer, 50, nullptr);
    }
}

// --- Control snapshots -------------------------------------------------------------------------

HBITMAP PaintManager::Snapshot(MControl* control, CRect drawRect, CPoint from, CSize size) {
    if (control == nullptr || size.cx <= 0 || size.cy <= 0) return nullptr;
    const CRect bounds = control->GetRect();
    HDC reference = m_paintDC;
    WindowDC screen(nullptr);  // the reference DC when there is no window yet
    if (reference == nullptr) reference = screen.get();

    // The control draws in window coordinates: the scratch bitmap reaches from the window
    // origin to the control's right and bottom edges.
    MemoryDC scratchDC(::CreateCompatibleDC(reference));
    GdiObject<HBITMAP> scratch(::CreateCompatibleBitmap(reference, bounds.right, bounds.bottom));
    MemoryDC copyDC(::CreateCompatibleDC(reference));
    unsigned char* bits = nullptr;
    GdiObject<HBITMAP> copy(MRender::CreateARGB32Bitmap(reference, size.cx, size.cy, &bits));
    if (!scratchDC || !scratch || !copyDC || !copy) return nullptr;
    {
        // Both bitmaps leave their DCs (end of scope) before the DCs and the scratch bitmap
        // are deleted; the copy is handed to the caller.
        Selection scratchSel(scratchDC.get(), scratch.get());
        Selection copySel(copyDC.get(), copy.get());
        HDC target = scratchDC.get();
        control->Draw(target, drawRect);
        ::BitBlt(copyDC.get(), 0, 0, size.cx, size.cy, scratchDC.get(), from.x, from.y, SRCCOPY);
    }
    return copy.release();
}

HBITMAP PaintManager::GetDropBitmap(MControl* control, CRect rect, COLORREF) {
    if (control == nullptr) return nullptr;
    const CRect bounds = control->GetRect();
    return Snapshot(control, bounds, CPoint(bounds.left + rect.left, bounds.top + rect.top),
                    rect.Size());
}

HBITMAP PaintManager::GenerateBitmap(MControl* control, CRect rect, COLORREF color) {
    HBITMAP bitmap = Snapshot(control, rect, rect.TopLeft(), rect.Size());
    if (bitmap != nullptr && color > 0xFFFFFF) {
        MemoryDC dc(::CreateCompatibleDC(nullptr));
        Selection selected(dc.get(), bitmap);
        const CRect all(0, 0, rect.Width(), rect.Height());
        MRender::DrawColor(dc.get(), all, static_cast<Gdiplus::ARGB>(color));
    }
    return bitmap;
}

}  // namespace Vela
