// TestDialog: an MDialog that records which of its handlers ran, and with what, and lets a
// test choose what InitUI and OnMessage do. Its window is a popup destroyed with the object's
// guard (the owner destroys the native window before the object).
// Frame: one paint of a dialog's manager into a 32-bit bitmap, read back top-down.
#pragma once

#include <windows.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "vela/MDialog.h"
#include "vela/MRender.h"
#include "vela/PaintManager.h"

namespace VelaDialogTest {

class TestDialog : public Vela::MDialog {
public:
    struct Note {
        unsigned long id, code;
    };
    static constexpr UINT_PTR kWatchdogTimer = 7777;  // ends a modal run that would never end
    static constexpr UINT kWatchdogResult = 0xDEAD;

    ~TestDialog() override { DestroyWindow(); }

    HWND CreatePopup(Vela::CRect rect, DWORD style = WS_POPUP) {
        return Create(nullptr, L"test dialog", style, 0, rect);
    }

    // --- Recording -----------------------------------------------------------------------
    void InitUI(Vela::CRect rect) override {
        Record("InitUI", rect);
        clientAtInit = rect;
        if (initUI) initUI(*this, rect);
    }
    void UISize(Vela::CRect rect) override { Record("UISize", rect); }
    long OnMessage(unsigned long id, unsigned long code, unsigned long wparam,
                   long lparam) override {
        notes.push_back(Note{id, code});
        if (onMessage) onMessage(*this, id, code);
        return MDialog::OnMessage(id, code, wparam, lparam);
    }
    long OnUserCloseWindow(WPARAM wparam, LPARAM lparam) override {
        closeRequests.push_back(static_cast<UINT>(wparam));
        return MDialog::OnUserCloseWindow(wparam, lparam);
    }
    int OnCreate(CREATESTRUCTW* create) override {
        calls.push_back("Create");
        return MDialog::OnCreate(create);
    }
    int OnSize(UINT type, int width, int height) override {
        std::ostringstream s;
        s << "Size " << type << " " << width << "x" << height;
        calls.push_back(s.str());
        return MDialog::OnSize(type, width, height);
    }
    int OnMouseMove(UINT keys, Vela::CPoint p) override { return Mouse("MouseMove", keys, p); }
    int OnMouseLeave(WPARAM keys, LPARAM l) override { return Raw("MouseLeave", keys, l); }
    int OnMouseHover(WPARAM keys, LPARAM l) override { return Raw("MouseHover", keys, l); }
    int OnMouseWheel(UINT keys, int delta, Vela::CPoint p) override {
        return Mouse("MouseWheel", keys + delta, p);
    }
    int OnLButtonDown(UINT keys, Vela::CPoint p) override { return Mouse("LButtonDown", keys, p); }
    int OnLButtonUp(UINT keys, Vela::CPoint p) override { return Mouse("LButtonUp", keys, p); }
    int OnLButtonDblClk(UINT keys, Vela::CPoint p) override {
        return Mouse("LButtonDblClk", keys, p);
    }
    int OnRButtonDown(UINT keys, Vela::CPoint p) override { return Mouse("RButtonDown", keys, p); }
    int OnRButtonUp(UINT keys, Vela::CPoint p) override { return Mouse("RButtonUp", keys, p); }
    int OnRButtonDblClk(UINT keys, Vela::CPoint p) override {
        return Mouse("RButtonDblClk", keys, p);
    }
    int OnKeyDown(UINT key, UINT, UINT) override { return Raw("KeyDown", key, 0); }
    int OnNcHitTest(Vela::CPoint p) override { return Mouse("NcHitTest", 0, p); }
    int OnGetMinMaxInfo(MINMAXINFO*) override { return Raw("GetMinMaxInfo", 0, 0); }
    int OnNcActivate(BOOL active) override { return Raw("NcActivate", active, 0); }
    int OnWindowPosChanging(WINDOWPOS* pos) override {
        calls.push_back("WindowPosChanging");
        return MDialog::OnWindowPosChanging(pos);
    }
    int OnWindowPosChanged(WINDOWPOS* pos) override {
        calls.push_back("WindowPosChanged");
        return MDialog::OnWindowPosChanged(pos);
    }
    int OnPaint() override { return Raw("Paint", 0, 0); }
    void OnTimer(UINT_PTR id) override {
        Raw("Timer", id, 0);
        if (id == kWatchdogTimer) PostMessageW(WM_CLOSE, kWatchdogResult, 0);
    }
    int OnNcPaint() override { return Raw("NcPaint", 0, 0); }
    int OnClose() override { return Raw("Close", 0, 0); }
    int OnDestroy() override {
        controlsAtDestroy = GetControls().size();
        return Raw("Destroy", 0, 0);
    }
    int PostNcDestroy() override {
        controlsAtEnd = GetControls().size();
        return Raw("PostNcDestroy", 0, 0);
    }

    // --- What the base keeps protected ---------------------------------------------------
    Vela::PaintManager& Manager() { return m_manager; }
    void SetWindowAlpha(int alpha) { m_windowAlpha = alpha; }
    void SetColorKey(COLORREF key) { m_colorKey = key; }
    void SetMessageOffset(int offset) { m_messageOffset = offset; }

    // Calls recorded since the last Take.
    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }

    std::function<void(TestDialog&, Vela::CRect)> initUI;
    std::function<void(TestDialog&, unsigned long id, unsigned long code)> onMessage;
    std::vector<std::string> calls;
    std::vector<Note> notes;
    std::vector<UINT> closeRequests;
    Vela::CRect clientAtInit;
    size_t controlsAtDestroy = 0;
    size_t controlsAtEnd = 99;

private:
    int Mouse(const char* name, UINT keys, Vela::CPoint p) {
        std::ostringstream s;
        s << name << " " << keys << " " << p.x << "," << p.y;
        calls.push_back(s.str());
        return 0;
    }
    int Raw(const char* name, WPARAM w, LPARAM l) {
        std::ostringstream s;
        s << name << " " << w << " " << l;
        calls.push_back(s.str());
        return 0;
    }
    void Record(const char* name, Vela::CRect r) {
        std::ostringstream s;
        s << name << " " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        calls.push_back(s.str());
    }
};

// One paint of the manager's frame (what its window would show), pixels 0xAARRGGBB.
class Frame {
public:
    Frame(Vela::PaintManager& manager, int width, int height)
        : m_width(width), m_height(height) {
        HDC screen = ::GetDC(nullptr);
        m_dc = ::CreateCompatibleDC(screen);
        m_bitmap = Vela::MRender::CreateARGB32Bitmap(screen, width, height, &m_bits);
        ::ReleaseDC(nullptr, screen);
        m_previous = ::SelectObject(m_dc, m_bitmap);
        manager.PaintFrame(m_dc, m_bits, width, height, Vela::CRect(0, 0, width, height));
        ::GdiFlush();
    }
    ~Frame() {
        ::SelectObject(m_dc, m_previous);  // out of the DC before both are deleted
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bitmap);
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    DWORD Pixel(int x, int y) const {  // rows are stored bottom-up
        return reinterpret_cast<const DWORD*>(m_bits)[(m_height - 1 - y) * m_width + x];
    }
    DWORD Rgb(int x, int y) const { return Pixel(x, y) & 0xFFFFFF; }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;             // owned
    HBITMAP m_bitmap = nullptr;     // owned
    HGDIOBJ m_previous = nullptr;   // not owned
    unsigned char* m_bits = nullptr;  // owned by m_bitmap
};

}  // namespace VelaDialogTest
