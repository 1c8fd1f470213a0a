// ControlHost: what a windowless control asks of the paint manager that hosts it.
// ImgResInfo: one image of the paint manager's image registry, as a control sees it.
//
// PaintManager implements ControlHost; its own operations of the same names are the
// implementations. A control reaches its host only through this interface, so it can be
// hosted (and tested) before the whole paint manager is there.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "vela/Geometry.h"
#include "vela/VelaExport.h"

namespace Vela {

class MControl;
class PaintManager;

// Owned by the paint manager; controls borrow it and its image.
struct ImgResInfo {
    std::unique_ptr<Gdiplus::Image> image;  // owned
    int frameWidth = 0;                     // image width / frame count
    int height = 0;                         // image height
    int frameCount = 0;
    std::wstring name;                      // file name as given (file entries)
    UINT resourceId = 0;                    // resource id (resource entries)
};

class VELA_API ControlHost {
public:
    virtual ~ControlHost();

    // The paint manager behind this host, or null for a host that is not one.
    virtual PaintManager* GetPaintManager() = 0;

    // The host window and how it is presented.
    virtual HWND GetPaintWnd() = 0;
    virtual int IsLayered() = 0;

    // Keyboard focus: SetFocusControl tells the old focus control it lost the focus and the
    // new one (if any) that it has it.
    virtual MControl* GetFocusControl() = 0;
    virtual void SetFocusControl(MControl* control) = 0;

    // The window's tooltip and the id of the control whose tooltip shows.
    virtual void SetTooltip(const std::wstring& text, CRect rect) = 0;
    virtual void ClearTooltip() = 0;
    virtual void SetTooltipCtrlID(int id) = 0;
    virtual int GetTooltipCtrlID() = 0;

    // The multimedia-timer list whose controls get OnTimer on every tick. DeleteFSTimer
    // removes the first occurrence: 1, or 0 when the control is not listed.
    virtual int AddMTimer(MControl* control) = 0;
    virtual int DeleteFSTimer(MControl* control) = 0;

    // Resources: the family for GDI+ text, images of the skin folder and of resources.
    virtual Gdiplus::FontFamily* FindTempFont(const wchar_t* name) = 0;
    virtual ImgResInfo* AddImgResInfo(const wchar_t* name, int count) = 0;
    virtual ImgResInfo* AddImgResInfo(UINT id, const wchar_t* type, int count,
                                      int fromApplication) = 0;

    // A control recorded a repaint request on a thread other than the host window's (see
    // MControl). The host wakes its window thread (a posted message), which then calls
    // FlushUpdateRequests() on each of its areas and controls. Called on any thread, as often
    // as every tick of every control: it must not wait for anything, and it posts at most one
    // message until that message is handled, so the window's input and painting are not
    // starved.
    virtual void PostControlUpdates() = 0;
};

}  // namespace Vela
