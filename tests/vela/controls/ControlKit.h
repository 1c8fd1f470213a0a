// What the control tests build trees from:
//   Recorder  an MObject at the top of a tree (where a dialog would be): records the repaint
//             requests and notifications that reach it
//   TestHost  a ControlHost standing in for the paint manager, which is built elsewhere:
//             focus, tooltip, timer list, the skin folder's images and the library's font
//   Box       a concrete control: paints a colour through its memory DC, records what it is
//             asked, and lets a test put children below it as a creator does
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vela/ControlHost.h"
#include "vela/MControl.h"

namespace VelaTest {

class Recorder : public Vela::MObject {
public:
    struct Update {
        Vela::CRect rect;
        int flag;
        Vela::MControl* from;
        DWORD thread;
    };
    struct Note {
        unsigned long id, code, wParam;
        long lParam;
    };

    explicit Recorder(const wchar_t* className = nullptr) : m_className(className) {}
    const wchar_t* GetClassNameW() const override { return m_className; }
    long OnControlUpdate(Vela::CRect rect, int flag, Vela::MControl* from) override;
    long OnBaseMessage(unsigned long id, unsigned long code, unsigned long wParam,
                       long lParam) override;

    std::vector<Update> updates;
    std::vector<Note> notes;
    long answer = 0;  // what OnBaseMessage returns

private:
    const wchar_t* m_className;
};

class TestHost : public Vela::ControlHost {
public:
    TestHost();
    ~TestHost() override;

    Vela::PaintManager* GetPaintManager() override { return nullptr; }
    HWND GetPaintWnd() override { return window; }
    int IsLayered() override { return layered; }
    Vela::MControl* GetFocusControl() override { return focus; }
    void SetFocusControl(Vela::MControl* control) override;
    void SetTooltip(const std::wstring& text, Vela::CRect rect) override;
    void ClearTooltip() override { ++tooltipClears; }
    void SetTooltipCtrlID(int id) override { tooltipOwner = id; }
    int GetTooltipCtrlID() override { return tooltipOwner; }
    int AddMTimer(Vela::MControl* control) override;
    int DeleteFSTimer(Vela::MControl* control) override;
    Gdiplus::FontFamily* FindTempFont(const wchar_t* name) override;
    Vela::ImgResInfo* AddImgResInfo(const wchar_t* name, int count) override;
    Vela::ImgResInfo* AddImgResInfo(UINT id, const wchar_t* type, int count,
                                    int fromApplication) override;
    // Posts flushMessage to window, but only once until BeginFlush: a flood of posted
    // messages would starve the window's input and painting.
    void PostControlUpdates() override;
    void BeginFlush() { m_flushQueued = false; }

    // The skin folder: the executable's folder, "skins\", the theme.
    static std::wstring SkinFolder();

    HWND window = nullptr;  // not owned
    UINT flushMessage = 0;  // posted to window by PostControlUpdates when set
    int layered = 0;
    Vela::MControl* focus = nullptr;  // not owned
    std::vector<std::wstring> tooltips;
    Vela::CRect tooltipRect;
    int tooltipOwner = 0;
    int tooltipClears = 0;
    long posts = 0;  // calls of PostControlUpdates

    CRITICAL_SECTION timerLock;           // guards timerList: ticks read it on their thread
    std::vector<Vela::MControl*> timerList;  // not owned

private:
    std::atomic<bool> m_flushQueued{false};
    std::unique_ptr<Gdiplus::FontFamily> m_family;
    std::map<std::wstring, std::unique_ptr<Vela::ImgResInfo>> m_images;  // owned, with images
};

class Box : public Vela::MControl {
public:
    Box(Vela::MObject* parent, unsigned id, Vela::CRect rect, COLORREF color = RGB(200, 0, 0),
        int visible = 1, int enabled = 1, int response = 1);
    ~Box() override;

    // Inserts a child as a creator does: into the list under its lock, then attaches it to
    // this control's host. Returns the child.
    Box* Add(Box* child);
    Box* AddArea(Box* area);

    // Protected state that derived controls set.
    void SetFocusedFlag(int focused) { m_focused = focused; }
    void SetDoubleClick(int dblClk, int notify) {
        m_dblClk = dblClk;
        m_dblClkNotify = notify;
    }
    void SetKeyNotify(int notify) { m_keyNotify = notify; }
    void SetAccelerator(unsigned key, unsigned flags) {
        m_accelKey = key;
        m_accelFlags = flags;
    }
    int Press() const { return m_press; }
    Vela::MControl* Hover() const { return m_hover; }
    HDC MemDC() const { return GetMemDC(); }
    int Position(const Vela::FS_POSITION_ITEM& item, int low, int high) {
        return PositionItem2Value(item, low, high);
    }

    int DrawControl(HDC& target, Vela::CRect clip) override;
    int OnMousePointChange(Vela::CPoint& point) override;
    long OnControlUpdate(Vela::CRect rect, int flag, Vela::MControl* from) override;
    long OnBaseMessage(unsigned long id, unsigned long code, unsigned long wParam,
                       long lParam) override;
    int SetControlFocus(int focus) override;
    int OnControlTimer() override;
    int OnControlMouseMove(unsigned flags, Vela::CPoint point) override;
    int OnControlLButtonDown(unsigned flags, Vela::CPoint point) override;
    int OnControlLButtonUp(unsigned flags, Vela::CPoint point) override;
    int OnControlLButtonDblClk(unsigned flags, Vela::CPoint point) override;
    int OnControlRButtonDown(unsigned flags, Vela::CPoint point) override;
    int OnControlScroll(int kind, unsigned direction, Vela::CPoint point) override;
    int OnControlKeyDown(unsigned key, unsigned repeat, unsigned flags) override;

    struct Event {
        std::string what;
        Vela::CPoint point;
    };
    std::vector<Event> events;     // OnControl* reactions, in order
    std::vector<int> focusCalls;   // arguments of SetControlFocus
    std::vector<Recorder::Note> notes;  // notifications from children
    int paints = 0;                // renderings into the memory DC
    int consume = 0;               // what the OnControl* reactions answer
    int ticks = 0;
    COLORREF color;
    Vela::CPoint translation;      // added to mouse points for the children (scrolling)
    bool forwardUpdates = false;   // pass children's repaint requests up, as containers do
    bool* deleted = nullptr;       // set when the box is destroyed

private:
    int Record(const char* what, Vela::CPoint point);
};

}  // namespace VelaTest
