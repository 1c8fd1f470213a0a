// What the paint manager tests build on:
//   HostWindow  a native popup window with its paint manager, standing where a dialog
//               stands: it passes its messages to the manager and its children's repaint
//               requests up to it
//   Frame       a bottom-up 32-bit ARGB bitmap in a memory DC, as the paint pipeline makes
//               one, whose pixels a test reads back
//   Pump        runs the thread's messages for a while
#pragma once

#include <windows.h>

#include <string>

#include "vela/MObject.h"
#include "vela/MRender.h"
#include "vela/MWindow.h"
#include "vela/PaintManager.h"
#include "vela/controls/ControlKit.h"

namespace PaintTest {

class HostWindow : public Vela::MWindow, public Vela::MObject {
public:
    explicit HostWindow(Vela::CRect rect, DWORD style = WS_POPUP | WS_VISIBLE) {
        Create(nullptr, L"paint test", style, 0, rect);
    }
    ~HostWindow() override {
        if (GetSafeHwnd() != nullptr) DestroyWindow();
    }

    // A control put at the end of the control list, as the factory does.
    template <class C>
    C* Add(C* control) {
        manager.GetControls().push_back(control);
        control->SetManager(&manager);
        return control;
    }

    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_ERASEBKGND) return 1;
        if (const long handled = manager.OnWindowMessage(message, wparam, lparam)) return handled;
        return MWindow::OnWindowMessage(message, wparam, lparam);
    }
    int OnInitDialog() override {
        manager.Init(GetSafeHwnd(), this);
        return 1;
    }
    void OnDestroyMessage(HWND hwnd) override { manager.OnDestroyMessage(hwnd); }
    int PreTranslateMessage(MSG* msg) override { return manager.PreTranslateMessage(msg); }
    const wchar_t* GetClassNameW() const override { return L"MDialog"; }
    long OnControlUpdate(Vela::CRect rect, int flag, Vela::MControl* control) override {
        return manager.OnControlUpdate(rect, flag, control);
    }

    Vela::PaintManager manager;
};

class Frame {
public:
    Frame(int width, int height) : m_width(width), m_height(height) {
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = Vela::MRender::CreateARGB32Bitmap(m_dc, width, height, &m_bits);
        m_previous = ::SelectObject(m_dc, m_bitmap);
    }
    ~Frame() {
        ::SelectObject(m_dc, m_previous);  // out of the DC before both go
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bitmap);
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    void Paint(Vela::PaintManager& manager, Vela::CRect update) {
        manager.PaintFrame(m_dc, m_bits, m_width, m_height, update);
    }
    void Paint(Vela::PaintManager& manager) {
        Paint(manager, Vela::CRect(0, 0, m_width, m_height));
    }
    // 0xAARRGGBB at image row y (memory row height - 1 - y).
    DWORD Pixel(int x, int y) const {
        ::GdiFlush();
        return reinterpret_cast<const DWORD*>(m_bits)[(m_height - 1 - y) * m_width + x];
    }
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    int m_width, m_height;
    HDC m_dc;                       // owned
    HBITMAP m_bitmap;               // owned
    unsigned char* m_bits = nullptr;  // owned by m_bitmap
    HGDIOBJ m_previous;             // not owned
};

// Dispatches the thread's messages for ms milliseconds, through the window's
// pre-translation as a modal loop does.
inline void Pump(DWORD ms, HostWindow* window = nullptr) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    MSG msg;
    do {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (window != nullptr && window->PreTranslateMessage(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(2);
    } while (::GetTickCount64() < end);
}

}  // namespace PaintTest
