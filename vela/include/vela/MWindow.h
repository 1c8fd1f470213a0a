// MWindow: wraps one native top-level window. Registers its class (or a super class of
// an existing one), binds the native handle to the object, routes every message to
// OnWindowMessage and runs a private modal loop.
#pragma once

#include <windows.h>

#include <string>

#include "vela/Geometry.h"
#include "vela/VelaExport.h"

namespace Vela {

class VELA_API MWindow {
public:
    MWindow();
    // Does not destroy the native window: the owner destroys it first.
    virtual ~MWindow();

    // Overridables
    virtual const wchar_t* GetWindowClassName() const;  // "MWindow"
    virtual const wchar_t* GetSuperClassName() const;   // null: no super class
    virtual int ShowWindow(int cmd);
    virtual long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam);
    virtual int PreTranslateMessage(MSG* msg);
    virtual int OnInitDialog();
    virtual void OnDestroyMessage(HWND hwnd);

    // Creation
    int RegisterWindowClass();
    int RegisterSuperClass();
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exstyle, CRect rect,
                HMENU menu);
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exstyle, CRect rect);
    HWND Create(HWND parent, CRect rect);
    HWND Create(HWND parent);

    // The wparam of a WM_CLOSE posted to this window, 0 when none; 0xFFFFFFFF without a window.
    UINT ShowModal(int cmd);

    // Attributes
    HWND GetSafeHwnd() const;
    HWND GetParentHwnd() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    int ModifyStyle(DWORD remove, DWORD add, UINT flags);
    int ModifyExStyle(DWORD remove, DWORD add, UINT flags);
    int GetClientRect(CRect* rect) const;
    int GetWindowRect(CRect* rect) const;
    int SetWindowTextW(const wchar_t* text);
    int GetWindowTextW(std::wstring& text) const;
    int GetWindowTextLengthW() const;
    int IsWindowEnabled() const;
    int IsWindowVisible() const;
    int IsIconic() const;

    // Operations
    int DestroyWindow();
    int EnableWindow(int enable);
    int InvalidateRect(const RECT* rect, int erase);
    HWND SetCapture();
    int ReleaseCapture();
    HWND SetFocus();
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback);
    int KillTimer(UINT_PTR id);
    int ClientToScreen(POINT* point) const;
    int ScreenToClient(POINT* point) const;
    int ClientToScreen(RECT* rect) const;
    int ScreenToClient(RECT* rect) const;
    int SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags);
    int MoveWindow(int x, int y, int width, int height, int repaint);
    int MoveWindow(CRect rect, int repaint);
    LRESULT SendMessageW(UINT msg, WPARAM wparam, LPARAM lparam);
    int PostMessageW(UINT msg, WPARAM wparam, LPARAM lparam);
    void SetIcon(UINT resourceId);
    void CenterWindow(MWindow* reference);
    void BringToTop();

    // Implementation
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

protected:
    static LRESULT Route(bool superClass, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    bool IsLive() const;  // handle is non-null and names a window
    bool IsSet() const;   // handle is neither null nor all-ones

    HWND m_hParent;        // not owned
    HWND m_hWnd;           // the native window this object is bound to
    WNDPROC m_OldWndProc;  // gets every message the object does not consume
};

}  // namespace Vela
