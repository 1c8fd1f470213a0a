// PaintManager: the engine of one top-level window. It hosts the window's windowless
// controls (areas, painted first, then controls), paints them double-buffered into a 32-bit
// ARGB bitmap on every paint message (also for per-pixel-alpha layered windows), draws the
// background, the temperature overlay and the message/progress panel, turns repaint requests
// into invalidated rectangles, keeps the window's images and fonts, routes mouse, keyboard and
// timer messages to the controls, keeps hover and focus, drags the window, runs window and
// multimedia timers for controls, the caret, the system tooltip, OLE drag and drop in both
// directions, and creates controls by class name.
//
// Threads and locks. Everything runs on the window's thread except OnMTimer, which the
// multimedia timer service calls on its own thread while holding the multimedia-timer lock.
// A tick never takes the area or control lock: repaint requests made from a tick are recorded
// in the control and delivered on the window thread (PostControlUpdates, then
// kFlushUpdatesMessage). No timer is killed while the multimedia-timer lock is held. The area
// and control locks are never held together.
//
// Ownership: the manager owns the controls of its two lists, every ImgResInfo with its image,
// the registered font families and memory fonts, the background image, the drag bitmap and the
// tooltip window. The owner window object owns the manager (as a member).
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vela/CIDropTarget.h"
#include "vela/ControlHost.h"
#include "vela/Geometry.h"
#include "vela/RKTimer.h"
#include "vela/VelaExport.h"

namespace Vela {

class MAirBladder;
class MControl;
class MObject;
class MWindow;

// How the background image is drawn: stretched, as a nine-part frame, or not at all (any
// other value also draws no plain background).
enum enumBackMode { BackModeStretch = 0, BackModeFrame = 1, BackModeNone = 2 };

// Stored with a panel message; drawing does not depend on it.
enum MsgLevel { MsgLevelInfo = 0, MsgLevelWarning = 1, MsgLevelError = 2 };

class VELA_API PaintManager : public RKTimer, public CIDropTarget, public ControlHost {
public:
    // Posted to the host window by PostControlUpdates; the owner passes it on to
    // OnWindowMessage like any other message.
    static constexpr UINT kFlushUpdatesMessage = WM_APP + 0x0F1;
    // Window timers of the host window that control timers never get.
    static constexpr UINT kMessageShowTimer = 66;
    static constexpr UINT kMessageFadeTimer = 88;
    static constexpr UINT kProgressTimer = 99;
    static constexpr UINT kCaretTimer = 6553;
    // The tool id of the system tooltip.
    static constexpr UINT kTooltipToolId = 1313;

    PaintManager();
    ~PaintManager() override;
    PaintManager(const PaintManager&) = delete;
    PaintManager& operator=(const PaintManager&) = delete;

    // --- Lifecycle ---------------------------------------------------------------------------
    void Init(HWND hwnd, MWindow* owner);
    void DestroyData();
    void OnDestroyMessage(HWND hwnd);  // DestroyData when hwnd is the host window
    int PostNcDestroy();               // DestroyData; 1
    MWindow* GetMDialog();
    HDC GetPaintDC();

    // --- ControlHost -------------------------------------------------------------------------
    PaintManager* GetPaintManager() override;
    HWND GetPaintWnd() override;
    int IsLayered() override;
    MControl* GetFocusControl() override;
    void SetFocusControl(MControl* control) override;
    void SetTooltip(const std::wstring& text, CRect rect) override;
    void ClearTooltip() override;
    void SetTooltipCtrlID(int id) override;
    int GetTooltipCtrlID() override;
    int AddMTimer(MControl* control) override;
    int DeleteFSTimer(MControl* control) override;
    // The name is not consulted: always the family of Manager's default font name (or, when
    // that family is not installed, a family that is).
    Gdiplus::FontFamily* FindTempFont(const wchar_t* name) override;
    ImgResInfo* AddImgResInfo(const wchar_t* name, int count) override;
    ImgResInfo* AddImgResInfo(UINT id, const wchar_t* type, int count,
                              int fromApplication) override;
    void PostControlUpdates() override;

    // --- Painting and invalidation -----------------------------------------------------------
    void Invalidate();
    void InvalidateRect(CRect rect, int erase);
    // A control's repaint request; always 0.
    long OnControlUpdate(CRect rect, int mark, MControl* control);
    // The paint pipeline: PaintWindow, then a pause of 15 ms when something was painted, so
    // a window that is invalidated without a break repaints about 66 times a second.
    int OnPaint();
    // The pipeline without the pause: 1 painted (or minimised: nothing to paint), 0 no update
    // region.
    int PaintWindow();
    // One frame into a 32-bit bottom-up DIB of width x height selected into dc, whose pixels
    // are bits: background, controls and caret, the alpha repair (layered), the overlay and
    // the panel. PaintWindow draws through it; it is public so a frame can be read back.
    void PaintFrame(HDC dc, unsigned char* bits, int width, int height, CRect update);
    void DrawControl(HDC& dc, CRect rect);
    void DrawBackImage(Gdiplus::Graphics& graphics, CRect rect);
    void GetClientRect(CRect* rect);
    void GetWindowRect(CRect* rect);
    void GetClientSize(int& width, int& height);

    // --- Appearance (each stores; the next paint uses it) ------------------------------------
    void SetBackColor(COLORREF fill, COLORREF frame);
    void SetBackMode(enumBackMode mode, int value);
    int LoadBKImage(const wchar_t* fileName);
    int LoadBKImage(UINT id, const wchar_t* type);
    void SetLayeredWindow(int layered);
    void EnableDrawInfo(int draw);
    void SetCaptionRect(CRect rect);
    void GetCaptionRect(CRect* rect);
    void SetScrollResID(UINT vertical, UINT horizontal);
    UINT GetScrollVID();
    UINT GetScrollHID();
    void SetDefaultEnabledColor(COLORREF color);
    COLORREF GetDefaultEnabledColor();
    void SetMessage(const std::wstring& text, CRect rect, MsgLevel level);
    void SetProgress(int percent, const std::wstring& text, CRect rect);

    // --- Resources ---------------------------------------------------------------------------
    void ClearImgResInfo();
    void AddGDITempFont(UINT id);
    Gdiplus::FontFamily* AddTempFont(const std::wstring& name, const std::wstring& filePath);
    Gdiplus::FontFamily* AddTempFont(const std::wstring& name, UINT id);
    void ClearTempFont();
    // The control drawn into a new 32-bit DIB section of rect's size (rect relative to the
    // control); the caller deletes it. Null without a control.
    HBITMAP GetDropBitmap(MControl* control, CRect rect, COLORREF color);

    // --- Shadow (the companion window comes with the shadow class; until then the setters
    // validate and store) --------------------------------------------------------------------
    void CreateShadow(int show, int flag);
    int SetSize(int size);               // -35 .. 35
    int SetSharpness(unsigned value);    // 0 .. 35
    int SetDarkness(unsigned value);     // 0 .. 255
    int SetPosition(int x, int y);       // each -35 .. 35
    int SetShadowColor(COLORREF color);
    int SetShadowImage(const wchar_t* fileName, CRect corners);
    int SetShadowImage(UINT id, CRect corners);
    void SetShadowShow(int show);
    void DisableShadow(int flag);

    // --- Message entry points ----------------------------------------------------------------
    // Non-zero: handled, and the window procedure's result; 0: default processing.
    long OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam);
    // Tab focus cycling and tooltip relaying; 1 = consumed.
    int PreTranslateMessage(MSG* msg);

    int OnNcActivate(int active);
    int OnKeyDown(UINT key, UINT flags);
    int OnKeyUp(UINT key, UINT flags);
    void OnTimer(UINT_PTR id);
    int OnMouseMove(UINT keys, CPoint point);
    int OnLButtonDown(UINT keys, CPoint point);
    int OnLButtonUp(UINT keys, CPoint point);
    int OnLButtonDblClk(UINT keys, CPoint point);
    int OnRButtonDown(UINT keys, CPoint point);
    int OnRButtonUp(UINT keys, CPoint point);
    int OnRButtonDblClk(UINT keys, CPoint point);
    int OnMouseWheel(UINT keys, int delta, CPoint screenPoint);
    int OnMouseLeave(WPARAM wparam, LPARAM lparam);
    // Not called by the dispatcher; they only return 1.
    int OnCreate(WPARAM wparam, LPARAM lparam);
    int OnSize(WPARAM wparam, LPARAM lparam);
    int OnMouseHover(WPARAM wparam, LPARAM lparam);
    int OnNcHitTest(WPARAM wparam, LPARAM lparam);
    int OnNcCalcSize(WPARAM wparam, LPARAM lparam);
    int OnWindowPosChanging(WPARAM wparam, LPARAM lparam);
    int OnNcPaint(WPARAM wparam, LPARAM lparam);
    int OnDestroy(WPARAM wparam, LPARAM lparam);
    int OnGetMinMaxInfo(MINMAXINFO* info);
    int OnWindowPosChanged(WINDOWPOS* pos);

    // --- Window services ---------------------------------------------------------------------
    long SendMessageW(UINT msg, WPARAM wparam, LPARAM lparam);
    long PostMessageW(UINT msg, WPARAM wparam, LPARAM lparam);
    HWND SetCapture();
    int ReleaseCapture();
    int IsCaptured();
    void EnableWndDrag(int drag);
    void SetWindowMaxSize(int width, int height);
    void GetWindowManSize(int& width, int& height);
    void SetWindowMixSize(int width, int height);
    void GetWindowMinSize(int& width, int& height);
    HWND GetToolTipWnd();  // the host window, as GetPaintWnd

    // --- Hover and focus ---------------------------------------------------------------------
    MControl* GetHoverControl();
    MControl* GetPrevFocusableControl();
    MControl* GetNextFocusableControl();

    // --- Control window timers ---------------------------------------------------------------
    int SetTimer(MControl* control, UINT key, UINT elapse);
    int KillTimer(MControl* control, UINT key);
    void KillTimer(MControl* control);
    void ClearTimers();

    // --- Multimedia timer --------------------------------------------------------------------
    unsigned SetMTimer(UINT elapse);
    void KillMTimer(unsigned id);
    void KillMTimer();
    void OnMTimer(unsigned id) override;

    // --- Caret -------------------------------------------------------------------------------
    int CreateCaret(HBITMAP bitmap, int width, int height);
    int ShowCaret(int show);
    int SetCaretPos(MControl* edit, int x, int y);
    MControl* GetCurrentCaretObject();
    void DrawCaret(HDC& dc, CRect clip);

    // --- Bubble (the bubble window comes with its class; until then these return 0) --------
    int SetAirBladderMsg(const std::wstring& text, CPoint point, int type, int mode);
    int ShowAirBladder(int show, int key);

    // --- Drag and drop -----------------------------------------------------------------------
    int InitDragDrop();
    bool OnDrop(FORMATETC* format, STGMEDIUM& medium, DWORD* effect) override;

    // --- Control factory and lists -----------------------------------------------------------
    // Kind 0: an area, kind 1: a control, other kinds: registered nowhere (the caller owns
    // it). Class names are compared exactly; unknown names give null.
    MControl* CreateArea(MObject* parent, const wchar_t* className, unsigned id, CRect rect,
                         const wchar_t* text, int a, int b);
    MControl* CreateControl(MObject* parent, const wchar_t* className, unsigned id, CRect rect,
                            const wchar_t* text, int a, int b);
    MControl* CreateControl(int kind, MObject* parent, const wchar_t* className, unsigned id,
                            CRect rect, const wchar_t* text, int a, int b);
    MControl* GetControl(unsigned id);
    void RemoveControl(MControl* control);
    void ClearAreaControls();
    void ClearControls();
    void ClearAllControls();
    std::vector<MControl*>& GetControls();

private:
    struct TimerRecord {
        HWND window;
        UINT key;
        UINT nativeId;
        int killed;
        MControl* control;  // not owned
    };
    struct ShadowSettings {
        int show = 0;
        int disabled = 0;
        int size = 0;
        unsigned sharpness = 5;
        unsigned darkness = 150;
        int x = 5;
        int y = 5;
        COLORREF color = 0;
        std::wstring imageName;
        UINT imageId = 0;
        CRect corners;
    };
    // A family and the private collection it comes from (null for installed families): the
    // family stays valid only while its collection lives.
    struct FontEntry {
        std::unique_ptr<Gdiplus::PrivateFontCollection> collection;  // owned
        std::unique_ptr<Gdiplus::FontFamily> family;                 // owned
    };

    // painting (PaintManagerPaint.cpp)
    void DrawInfo(Gdiplus::Graphics& graphics, int width);
    void DrawMessage(Gdiplus::Graphics& graphics);
    void OnMessageTimer(UINT id);
    void InvalidateMessage();
    HBITMAP GenerateBitmap(MControl* control, CRect rect, COLORREF color);
    HBITMAP Snapshot(MControl* control, CRect drawRect, CPoint from, CSize size);
    ImgResInfo* LoadImgResInfo(std::unique_ptr<ImgResInfo> entry, Gdiplus::Image* image);
    Gdiplus::FontFamily* RegisterFamily(const std::wstring& name, FontEntry entry);
    Gdiplus::FontFamily* RegisterCollection(
        const std::wstring& name, std::unique_ptr<Gdiplus::PrivateFontCollection> collection,
        Gdiplus::Status added);
    // input (PaintManagerInput.cpp)
    int StartDrag();
    void ForgetControl(MControl* removed);  // hover, focus, caret owner, timer records
    static bool InSubtree(MControl* root, MControl* control);
    // timers (PaintManagerTimers.cpp)
    bool NativeIdInUse(UINT id) const;
    void OnCaretTimer();
    void InvalidateCaret();
    // factory (PaintManagerFactory.cpp)
    static MControl* Construct(const std::wstring& className, MObject* parent, unsigned id,
                               CRect rect, const wchar_t* text, int a, int b);

    MWindow* m_owner = nullptr;  // not owned: owns this manager
    int m_initialised = 0;
    HWND m_hwnd = nullptr;       // not owned
    HDC m_paintDC = nullptr;     // borrowed from m_hwnd from Init to DestroyData
    COLORREF m_fillColor = RGB(5, 5, 5);
    COLORREF m_frameColor = RGB(189, 48, 255);
    CRect m_captionRect;
    int m_maxWidth = 0, m_maxHeight = 0;
    int m_minWidth = 0, m_minHeight = 0;
    CPoint m_dragPoint;
    int m_dragPending = 0;
    HBITMAP m_dragBitmap = nullptr;  // owned
    int m_layered = 0;
    std::unique_ptr<Gdiplus::Image> m_backImage;  // owned
    int m_backWidth = 0, m_backHeight = 0;
    ShadowSettings m_shadow;
    std::wstring m_message;
    MsgLevel m_messageLevel = MsgLevelInfo;
    int m_messageAlpha = 0;
    int m_progress = 0;
    int m_progressTarget = 0;
    std::wstring m_messageFont = L"Arial";
    CRect m_messageRect;
    int m_drawInfo = 0;
    std::atomic<unsigned> m_mtimerId{0};  // read by the ticks on the timer thread
    unsigned m_timerCounter = 4096;
    int m_tracking = 0;
    int m_pressed = 0;
    int m_captured = 0;
    int m_wndDrag = 1;
    UINT m_scrollV = 0, m_scrollH = 0;
    COLORREF m_enabledColor = 0x808080;
    MControl* m_hover = nullptr;  // not owned: an entry of m_controls
    MControl* m_focus = nullptr;  // not owned
    int m_tooltipCtrlId = 0;
    HWND m_tooltip = nullptr;          // owned
    MAirBladder* m_bubble = nullptr;   // not created yet (comes with the bubble window)
    int m_bubbleKey = 0;
    std::vector<MControl*> m_areas;     // owned
    std::vector<MControl*> m_controls;  // owned
    std::vector<MControl*> m_mtimerList;  // not owned; duplicates allowed
    // The six locks live as long as the manager (not only until DestroyData), so a control
    // destroyed late still finds them.
    CRITICAL_SECTION m_areaLock;
    CRITICAL_SECTION m_controlLock;
    CRITICAL_SECTION m_mtimerLock;
    enumBackMode m_backMode = BackModeStretch;
    int m_backValue = 4;
    CRect m_caretRect;
    int m_caretPhase = 0;
    int m_caretShown = 0;
    MControl* m_caretOwner = nullptr;  // not owned
    std::map<std::wstring, std::unique_ptr<ImgResInfo>> m_imagesByName;  // owned
    std::map<UINT, std::unique_ptr<ImgResInfo>> m_imagesByAppId;         // owned
    std::map<UINT, std::unique_ptr<ImgResInfo>> m_imagesByLibId;         // owned
    CRITICAL_SECTION m_imageLock;
    std::vector<TimerRecord> m_timers;
    CRITICAL_SECTION m_timerLock;
    std::map<std::wstring, FontEntry> m_fonts;  // owned
    std::vector<HANDLE> m_memoryFonts;          // owned: RemoveFontMemResourceEx
    CRITICAL_SECTION m_fontLock;
    std::atomic<bool> m_flushPosted{false};  // a kFlushUpdatesMessage is on its way
};

}  // namespace Vela
