// MControl: the base of every windowless control. A control is a rectangle in the client
// area of a host window; controls form a tree under the window's paint manager.
// FS_POSITION_ITEM: one coordinate of a layout description (PositionItem2Value).
//
// Tree: each control owns the children of its two lists, the areas (painted first, behind)
// and the controls (painted after it, in list order; they also take input). Painting goes
// through a cached rendering (the memory DC) that is rebuilt only after the control was
// marked out of date with SetUpdate(0, ...). Repaint requests go up to the parent with
// OnControlUpdate, notifications with OnBaseMessage (see SendMessageW).
//
// Threads and locks. Painting and input run on the host window's thread, OnTimer also on
// the multimedia timer's thread, at the same time. Each child list has its own re-entrant
// lock, taken around every walk of it. So that the two threads can never wait for each other
// in a circle:
//   - A tick never waits for a child-list lock: OnTimer walks the children only when it gets
//     the lock at once; while the window thread holds it, those children miss that tick.
//   - A tick never reaches the window's own locks: a repaint request made on a thread other
//     than the host window's is recorded in the control, and the host is asked
//     (ControlHost::PostControlUpdates) to deliver it on its window thread, where
//     FlushUpdateRequests passes it up the parent chain.
//   - Code run from a tick (OnControlTimer and what it calls) changes the control's own state
//     and asks for repaints; it does not create, remove or load anything and sends no
//     notifications.
//   - The host's timer-list lock, which a tick holds while it runs, is taken on the window
//     thread only for short changes of the list, never while waiting for anything else (and
//     no timer is killed under it). A control leaves that list (LeaveMTimer) before it is
//     deleted, so no tick reaches a control that is being destroyed.
// The multimedia thread then only ever waits for locks whose holders wait for nothing, so no
// cycle of waits can form, whatever order the window thread takes its own locks in.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "vela/Geometry.h"
#include "vela/MObject.h"
#include "vela/VelaExport.h"

namespace Vela {

class ControlHost;
class PaintManager;

struct FS_POSITION_ITEM {
    int mode;     // 0 offset from an end, 1 offset from the middle, 2 percentage
    int fromEnd;  // count from the high end (modes 0 and 1)
    float value;
};

class VELA_API MControl : public MObject {
public:
    MControl(MObject* parent, unsigned id, CRect rect, int visible, int enabled, int response);
    ~MControl() override;
    MControl(const MControl&) = delete;
    MControl& operator=(const MControl&) = delete;

    // --- MObject ---------------------------------------------------------------------------
    const wchar_t* GetClassNameW() const override;  // "MControl"

    // --- Overridables, in slot order -------------------------------------------------------
    virtual void InitControl(PaintManager* manager);  // attached to a paint manager
    virtual int OnScroll(int kind, unsigned direction, CPoint point);  // wheel routing
    virtual int PtInRect(CPoint point);                // visible and point in rect
    virtual int DrawControl(HDC& target, CRect clip) = 0;
    virtual int DrawSubControls(HDC& target, CRect clip);
    virtual int IsDraw(CPoint point);
    // Marks the control and its overlapping children out of date (update 0) or valid.
    virtual void SetUpdate(int update, unsigned long backColor);
    virtual int SetControlFocus(int focus);
    virtual void InitUI(CRect rect);
    // Containers that scroll their content translate the mouse point here.
    virtual int OnMousePointChange(CPoint& point);
    virtual int OnCheckMouseResponse(unsigned flags, CPoint point);
    virtual long OnWindowMessage(unsigned message, unsigned wParam, long lParam);
    virtual long OnMessage(unsigned id, unsigned code, unsigned wParam, long lParam);
    virtual void SetControlRect(CRect rect);
    virtual void SetControlVisible(int visible);
    virtual void SetControlWndVisible(int visible);
    virtual void SetControlEnabled(int enabled);
    virtual int OnControlTimer();
    virtual HBITMAP GetControlDropBitmap();
    virtual int OnControlMouseMove(unsigned flags, CPoint point);
    virtual int OnControlSetCursor(unsigned flags, CPoint point);
    virtual int OnControlLButtonDown(unsigned flags, CPoint point);
    virtual int OnControlLButtonUp(unsigned flags, CPoint point);
    virtual int OnControlLButtonDblClk(unsigned flags, CPoint point);
    virtual int OnControlScroll(int kind, unsigned direction, CPoint point);
    virtual int OnControlRButtonDown(unsigned flags, CPoint point);
    virtual int OnControlRButtonUp(unsigned flags, CPoint point);
    virtual int OnControlRButtonDblClk(unsigned flags, CPoint point);
    virtual int OnControlKeyDown(unsigned key, unsigned repeat, unsigned flags);
    virtual void OnPositionChange();
    // Invalidates the control's rect in the host window (the whole client area, erased, when
    // the window is layered); the rect argument is not consulted.
    virtual int InvalidateRect(const RECT* rect, int erase);

    // --- Tree and attachment ---------------------------------------------------------------
    // Stores the host and calls InitControl with its paint manager. The host outlives the
    // control.
    void SetManager(ControlHost* host);
    PaintManager* GetManager() const;
    ControlHost* GetHost() const;
    void SetParent(MObject* parent);
    MObject* GetParantObject() const;
    unsigned GetControlID() const;
    std::vector<MControl*>& GetControls();
    // Depth first through the controls, then through the areas; never this control.
    MControl* GetControl(unsigned id);
    // Deletes the first match in the control list (areas are not searched); returns 0.
    int RemoveControl(MControl* control);
    void RemoveAllControl();

    // --- Geometry and state ----------------------------------------------------------------
    void SetRect(CRect rect);
    void SetRect(int x, int y, int width, int height);
    CRect GetRect() const;
    void SetVisible(int visible);
    void SetVisible(int visible, int repaint);
    int IsVisible() const;
    void SetEnabled(int enabled);
    int IsEnabled() const;
    // Whether the chain of parents up to the dialog is visible (this control's own flag is
    // not part of the answer).
    int IsParentVisible();
    void SetDragDrop(int dragDrop);
    int IsDragDrop() const;
    void SetRresponse(int response);
    int GetRresponse() const;
    void SetTabStop(int tabStop);
    int IsTabStop() const;
    int GetDblClk() const;
    int IsFocused() const;
    void SetRunTimer(int runTimer);
    int IsRunTimer() const;
    int GetUpdate() const;

    // --- Repainting ------------------------------------------------------------------------
    void UpdateControl(int update, int force);
    void UpdateControl(CRect rect, int update, int force);
    void UpdateAControl(int animate, int force);
    // Marks the cache valid; recreates it only when the size changed.
    void UpdateMemDC(HDC& target, int width, int height);
    // Always recreates the animation cache.
    void UpdateAnimateDC(HDC& target, int width, int height);
    // The areas behind, the control, then its controls, when visible and inside clip.
    int Draw(HDC& target, CRect clip);
    // On the host window's thread: passes on the repaint request that another thread
    // recorded in this control, then does the same for the areas and controls below it.
    void FlushUpdateRequests();

    // --- Input routing (points in window client coordinates) ------------------------------
    int OnMouseMove(unsigned flags, CPoint point);
    int OnLButtonDown(unsigned flags, CPoint point);
    int OnLButtonUp(unsigned flags, CPoint point);
    int OnLButtonDblClk(unsigned flags, CPoint point);
    int OnRButtonDown(unsigned flags, CPoint point);
    int OnRButtonUp(unsigned flags, CPoint point);
    int OnRButtonDblClk(unsigned flags, CPoint point);
    int OnKeyDown(unsigned key, unsigned repeat, unsigned flags);
    int OnKeyUp(unsigned key, unsigned repeat, unsigned flags);
    int OnTimer();

    // --- Focus -----------------------------------------------------------------------------
    int OnFocus(int focus);
    int IsFocusControl();
    MControl* GetFocusControl(MControl* from);
    MControl* GetNextFocusableControl(MControl* from);
    MControl* GetPrevFocusableControl(MControl* from);

    // --- Tooltips and cursor ---------------------------------------------------------------
    void SetTooltip(const wchar_t* text);  // stores the text only
    std::wstring GetTooltip() const;
    // Shows text in the host's tooltip now and makes this control its owner.
    void SetTooltip(const std::wstring& text, CRect rect);
    void ClearTooltip();
    void SetTooltipCtrlID(int id);
    int GetTooltipCtrlID();
    // "arrow", "wait", "cross", "sizewe", "sizens", "hand", "help"; other names change
    // nothing. Returns 0.
    int SetCursorEx(const wchar_t* name);

    // --- Timers, messages, drag and drop ---------------------------------------------------
    // Registers this control with the host's multimedia-timer list.
    int AddMTimer();
    // Takes this control and every control below it off the host's multimedia-timer list,
    // waiting for a tick that is running. Whoever deletes a control calls it first (the
    // removals here do), so that no tick reaches a control while it is being destroyed.
    void LeaveMTimer();
    // Reports code with two values to the parent's OnBaseMessage; returns its answer.
    long SendMessageW(unsigned code, unsigned wParam, long lParam);
    HBITMAP GetDropBitmap();

protected:
    int PositionItem2Value(const FS_POSITION_ITEM& item, int low, int high);
    HDC GetMemDC() const;      // the cached rendering; null before the first UpdateMemDC
    HDC GetAnimateDC() const;  // the animation frame cache

    // A re-entrant lock that lives as long as the control.
    class ListLock {
    public:
        ListLock() { ::InitializeCriticalSection(&m_cs); }
        ~ListLock() { ::DeleteCriticalSection(&m_cs); }
        ListLock(const ListLock&) = delete;
        ListLock& operator=(const ListLock&) = delete;
        CRITICAL_SECTION* get() { return &m_cs; }

    private:
        CRITICAL_SECTION m_cs;
    };

    // A DC compatible with a paint target with a bitmap of a remembered size selected into
    // it. Release selects the DC's first bitmap back, then deletes the DC and the bitmap.
    class CacheDC {
    public:
        CacheDC() = default;
        ~CacheDC() { Release(); }
        CacheDC(const CacheDC&) = delete;
        CacheDC& operator=(const CacheDC&) = delete;
        void Create(HDC target, int width, int height);
        void Release();
        HDC dc() const { return m_dc; }
        bool HasSize(int width, int height) const {
            return width == m_width && height == m_height;
        }

    private:
        HDC m_dc = nullptr;          // owned
        HBITMAP m_bitmap = nullptr;  // owned, selected into m_dc
        HGDIOBJ m_first = nullptr;   // not owned: the DC's own bitmap, selected back first
        int m_width = 0;
        int m_height = 0;
    };

    MObject* m_parent;     // not owned: gets repaint requests and notifications
    PaintManager* m_manager = nullptr;  // not owned
    ControlHost* m_host = nullptr;      // not owned: the same paint manager, as a host
    unsigned m_id;         // 1 and 2 are a container's own vertical and horizontal scroll bar
    CRect m_rect;          // window client coordinates
    int m_visible;
    int m_enabled;
    int m_dragDrop = 0;
    int m_response;        // 0: takes no mouse or keyboard input and passes none on
    int m_tabStop = 0;
    int m_dblClk = 0;      // 0: a double-click is handled as a second press
    int m_press = 0;       // a button that went down inside the control is held
    int m_focused = 0;     // set by derived controls while they take keyboard input
    unsigned m_accelKey = 0;    // virtual-key code the control answers to; 0 none
    unsigned m_accelFlags = 0;  // key flags that must come with it
    int m_update = 0;      // the memory DC holds a valid rendering
    int m_animate = 0;
    int m_runTimer = 0;    // the parent's timer pass reaches this control
    int m_running = 0;     // kept by derived controls that animate on ticks
    std::vector<MControl*> m_areas;     // owned: background children
    std::vector<MControl*> m_controls;  // owned: foreground children
    ListLock m_areaLock;
    ListLock m_controlLock;
    MControl* m_hover = nullptr;  // not owned: member of m_controls taking mouse input
    CacheDC m_memDC;
    CacheDC m_animateDC;
    std::wstring m_tooltip;
    HCURSOR m_cursor = nullptr;  // shared system cursor, not owned
    int m_dblClkNotify = 0;      // report double-clicks to the parent (code 3)
    int m_keyNotify = 0;         // report routed keys to the parent (code 14)

private:
    // The one way up for repaint requests: straight to the parent on the host window's
    // thread (or without a host window), recorded and handed to the host otherwise.
    void SendUpdate(CRect rect, int update);
    bool OffHostThread() const;
    CPoint ChildPoint(const MControl* child, CPoint incoming, CPoint translated) const;
    // A press makes the last visible, enabled, responding child under the point the hover child.
    void HoverChildUnderPress(CPoint incoming, CPoint translated);
    // What a left or right press and release do alike: the press goes to the hover child or
    // takes the focus and reaches this control's own handler; so does the release.
    using RouteHandler = int (MControl::*)(unsigned flags, CPoint point);
    int RoutePress(unsigned flags, CPoint point, RouteHandler childHandler,
                   RouteHandler ownHandler);
    int RouteRelease(unsigned flags, CPoint point, RouteHandler childHandler,
                     RouteHandler ownHandler);

    // A repaint request recorded off the window thread, waiting to be passed on. The lock is
    // a leaf: nothing else is taken while it is held.
    ListLock m_pendingLock;
    bool m_pending = false;
    CRect m_pendingRect;
    int m_pendingUpdate = 0;
};

}  // namespace Vela
