// CIDropTarget: the OLE drop target of one window. It accepts a fixed list of clipboard
// formats, decides the drop effect from the modifier keys and what the source allows, keeps
// the system drag image informed and hands the dropped data to OnDrop.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <vector>

#include "vela/VelaExport.h"

namespace Vela {

class VELA_API CIDropTarget : public IDropTarget {
public:
    explicit CIDropTarget(HWND target = nullptr);
    CIDropTarget(const CIDropTarget&) = delete;
    CIDropTarget& operator=(const CIDropTarget&) = delete;

    // --- IDropTarget, in slot order ----------------------------------------------------------
    // The object is owned by its window object, not by its references: Release never
    // deletes it (RegisterDragDrop's reference is given back by RevokeDragDrop).
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) override;

    // --- Overridables ------------------------------------------------------------------------
    virtual ~CIDropTarget();
    // The data in a matched format arrived; true when the medium may be released.
    virtual bool OnDrop(FORMATETC* format, STGMEDIUM& medium, DWORD* effect);

    // --- Operations --------------------------------------------------------------------------
    void AddSuportedFormat(const FORMATETC& format);
    void SetTargetWnd(HWND target);
    HWND GetTargetWnd() const;
    // The effect for these keys among those allowed in *effect; false when it is none.
    bool QueryDrop(DWORD keys, DWORD* effect);

private:
    LONG m_refs = 1;
    bool m_accept = false;
    IDropTargetHelper* m_dropHelper = nullptr;  // owned reference; null if unavailable
    std::vector<FORMATETC> m_formats;           // accepted, in order of preference
    int m_matched = -1;                         // index into m_formats; -1 none
    HWND m_target;                              // not owned
};

}  // namespace Vela
