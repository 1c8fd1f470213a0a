// MDialog: the library's skinned, borderless top-level window and the base of the
// application's windows. It joins a native window (MWindow) with the notification side of
// MObject, owns the PaintManager that paints and hosts its controls, turns window messages into
// virtual notification handlers, and ends with a result code: DoOK and the other result
// operations post the close request kCloseRequest carrying the code, the dialog turns it into
// WM_CLOSE with the same code, and ShowModal returns it.
//
// Message flow (OnWindowMessage): the notification handler of the message runs first (its
// result is not used), then the paint manager handles the message; what it leaves goes to the
// default procedure. WM_ERASEBKGND returns 1 at once (the background is never erased) and
// kCloseRequest returns OnUserCloseWindow's result at once.
//
// Lifecycle: Create sends WM_CREATE (OnCreate fixes the style), then runs OnInitDialog, which
// initialises the manager and calls InitUI. The size message of creation can arrive before
// OnInitDialog, so UISize may run before InitUI. When the native window is finally destroyed
// the manager lets go of its controls and resources and PostNcDestroy runs. The owner
// destroys the native window before the object.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "vela/Geometry.h"
#include "vela/MObject.h"
#include "vela/MWindow.h"
#include "vela/PaintManager.h"
#include "vela/VelaExport.h"

namespace Vela {

class MControl;

class VELA_API MDialog : public MWindow, public MObject {
public:
    // The close request: wParam the result code, lParam 0.
    enum : UINT { kCloseRequest = WM_USER + 66 };  // 0x442
    // Result codes posted by DoOK, DoCancel and DoClose, DoYes, DoNo.
    enum Result : UINT { ResultOK = 1, ResultCancel = 2, ResultYes = 6, ResultNo = 7 };

    MDialog();
    ~MDialog() override;
    MDialog(const MDialog&) = delete;
    MDialog& operator=(const MDialog&) = delete;

    // --- MObject -----------------------------------------------------------------------------
    const wchar_t* GetClassNameW() const override;  // "MDialog"
    // Notifications of the dialog's controls go to OnMessage.
    long OnBaseMessage(unsigned long id, unsigned long message, unsigned long wparam,
                       long lparam) override;
    // Repaint requests of the dialog's controls go to the manager.
    long OnControlUpdate(CRect rect, int mark, MControl* control) override;

    // --- MWindow -----------------------------------------------------------------------------
    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
    int PreTranslateMessage(MSG* msg) override;  // 1 when the manager consumed it
    int OnInitDialog() override;                 // manager, client rectangle, InitUI; 1
    void OnDestroyMessage(HWND hwnd) override;   // manager's DestroyData, then PostNcDestroy

    // --- Overridables, in slot order (after MWindow's) ---------------------------------------
    // The screen point below a control's bottom edge where a bubble points: at its left
    // (type 0 and others), centre (1) or right (2) end; (0, 0) without a control.
    virtual CPoint GetAirBladderPoint(MControl* control, int type);
    virtual void OnMinimize();
    virtual void OnMaximize();  // restores a maximised window, else maximises it
    virtual void InitUI(CRect clientRect);  // subclasses create their controls here
    virtual void UISize(CRect clientRect);  // subclasses lay out their controls here
    virtual long OnMessage(unsigned long id, unsigned long message, unsigned long wparam,
                           long lparam);  // 0
    // The close request: posts WM_CLOSE with the same wparam and lparam; 1.
    virtual long OnUserCloseWindow(WPARAM wparam, LPARAM lparam);
    // Notifications; their results are not used.
    // OnCreate removes the caption and the sizing frame (and measures the frame again when it
    // removed something, so the client area is the whole window) and adds WS_CLIPSIBLINGS,
    // WS_CLIPCHILDREN and the style bit 0x8.
    // OnSize applies SetupBackTranslucent (unless minimised), reads the client rectangle,
    // calls UISize when it is wider and higher than 1 pixel and invalidates the client area.
    virtual int OnCreate(CREATESTRUCTW* create);
    virtual int OnSize(UINT type, int width, int height);
    virtual int OnMouseMove(UINT keys, CPoint point);
    virtual int OnMouseLeave(WPARAM keys, LPARAM lparam);
    virtual int OnMouseHover(WPARAM keys, LPARAM lparam);
    virtual int OnMouseWheel(UINT keys, int delta, CPoint point);  // not called by the library
    virtual int OnLButtonDown(UINT keys, CPoint point);
    virtual int OnLButtonUp(UINT keys, CPoint point);
    virtual int OnLButtonDblClk(UINT keys, CPoint point);
    virtual int OnRButtonDown(UINT keys, CPoint point);
    virtual int OnRButtonUp(UINT keys, CPoint point);
    virtual int OnRButtonDblClk(UINT keys, CPoint point);
    // Not called by the library: these messages reach the manager without a notification.
    virtual int OnKeyDown(UINT key, UINT repeat, UINT flags);
    virtual int OnNcHitTest(CPoint point);
    virtual int OnGetMinMaxInfo(MINMAXINFO* info);
    virtual int OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params);
    virtual int OnNcActivate(BOOL active);
    virtual int OnWindowPosChanging(WINDOWPOS* pos);  // 1
    virtual int OnWindowPosChanged(WINDOWPOS* pos);   // 1
    virtual int OnPaint();
    virtual void OnTimer(UINT_PTR id);
    virtual int OnNcPaint();  // not called by the library
    virtual int OnClose();    // 1; default processing then destroys the window
    virtual int OnDestroy();
    virtual int PostNcDestroy();

    // --- Result codes and closing (nothing without a window) ---------------------------------
    void DoOK();      // 1
    void DoCancel();  // 2
    void DoClose();   // 2
    void DoYes();     // 6
    void DoNo();      // 7

    // --- Controls ----------------------------------------------------------------------------
    // Created by class name through the manager's factory with this dialog as parent, as an
    // area (painted first, behind) or a control; null for an unknown name.
    MControl* CreateArea(const wchar_t* className, unsigned id, CRect rect, const wchar_t* text,
                         int a, int b);
    MControl* CreateControl(const wchar_t* className, unsigned id, CRect rect,
                            const wchar_t* text, int a, int b);
    MControl* GetControl(unsigned id);
    std::vector<MControl*>& GetControls();
    void SetFocusControl(MControl* control);

    // --- Appearance: forwards to the manager -------------------------------------------------
    int LoadBKImage(const wchar_t* fileName);
    int LoadBKImage(UINT id, const wchar_t* type);
    void SetBackMode(enumBackMode mode, int value);
    void SetScrollResID(UINT vertical, UINT horizontal);
    void SetLayeredWindow(int layered);
    void EnableWndDrag(int drag);
    void EnableDrawInfo(int draw);
    // Adds WS_EX_LAYERED with the constant window alpha when it is not 255, else with the
    // colour key when it is not 0xFFFFFF; else nothing.
    void SetupBackTranslucent();
    void SetupRegion(int flag);  // nothing

    // --- Shadow: forwards to the manager -----------------------------------------------------
    void CreateShadow(int show, int flag);
    int SetSize(int size);
    int SetSharpness(unsigned value);
    int SetDarkness(unsigned value);
    int SetPosition(int x, int y);
    int SetShadowColor(COLORREF color);
    int SetShadowImage(const wchar_t* fileName, CRect corners);
    int SetShadowImage(UINT id, CRect corners);
    void SetShadowShow(int show);

    // --- Message panel, tooltip, bubble, multimedia timer ------------------------------------
    // An empty rect gives a 200 x 58 panel centred near the client area's bottom, moved down
    // by the message offset.
    void SetMessage(const std::wstring& text, CRect rect, MsgLevel level);
    void SetProgress(int percent, const std::wstring& text, CRect rect);
    void SetTooltip(const std::wstring& text, CRect rect);
    void ClearTooltip();
    void SetTooltipCtrlID(int id);  // the dialog's own value, not the manager's
    int GetTooltipCtrlID();
    // 0 when a coordinate of point (screen) is 0; else passes the text to the bubble, shows
    // it and returns 1.
    int SetAirBladderMsg(const std::wstring& text, CPoint point, int type);
    unsigned SetMTimer(UINT elapse);
    void KillMTimer(unsigned id);

protected:
    PaintManager m_manager;        // owned: paints and hosts this window's controls
    COLORREF m_colorKey = 0xFFFFFF;  // made transparent by SetupBackTranslucent; 0xFFFFFF none
    int m_windowAlpha = 255;         // constant opacity of SetupBackTranslucent; 255 none
    int m_messageOffset = 0;         // moves the default message panel down
    int m_tooltipCtrlId = 0;
    CRect m_clientRect;              // as last read at initialisation or resize

private:
    void PostResult(UINT code);
};

}  // namespace Vela
