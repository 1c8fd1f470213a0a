// CIDropTarget: the window's OLE drop target.
#include "vela/CIDropTarget.h"

namespace Vela {

CIDropTarget::CIDropTarget(HWND target) : m_target(target) {}

CIDropTarget::~CIDropTarget() {
    if (m_dropHelper != nullptr) m_dropHelper->Release();
}

HRESULT STDMETHODCALLTYPE CIDropTarget::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CIDropTarget::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG STDMETHODCALLTYPE CIDropTarget::Release() {
    // Never deletes: the window object owns this object.
    const LONG left = ::InterlockedDecrement(&m_refs);
    return static_cast<ULONG>(left > 0 ? left : 0);
}

void CIDropTarget::AddSuportedFormat(const FORMATETC& format) { m_formats.push_back(format); }

void CIDropTarget::SetTargetWnd(HWND target) {
    m_target = target;
    // The system's drag image follows the pointer over the window; without COM there is none.
    if (m_dropHelper == nullptr) {
        ::CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IDropTargetHelper, reinterpret_cast<void**>(&m_dropHelper));
    }
}

HWND CIDropTarget::GetTargetWnd() const { return m_target; }

bool CIDropTarget::QueryDrop(DWORD keys, DWORD* effect) {
    if (effect == nullptr) return false;
    const DWORD allowed = *effect;
    if (!m_accept) {
        *effect = DROPEFFECT_NONE;
        return false;
    }
    const bool ctrl = (keys & MK_CONTROL) != 0;
    const bool shift = (keys & MK_SHIFT) != 0;
    if (ctrl || shift) {
        const DWORD wanted = ctrl && shift ? DROPEFFECT_LINK
                             : ctrl        ? DROPEFFECT_COPY
                                           : DROPEFFECT_MOVE;
        *effect = (allowed & wanted) != 0 ? wanted : DROPEFFECT_NONE;
    } else if (allowed & DROPEFFECT_COPY) {
        *effect = DROPEFFECT_COPY;
    } else if (allowed & DROPEFFECT_MOVE) {
        *effect = DROPEFFECT_MOVE;
    } else if (allowed & DROPEFFECT_LINK) {
        *effect = DROPEFFECT_LINK;
    } else {
        *effect = DROPEFFECT_NONE;
    }
    return *effect != DROPEFFECT_NONE;
}

HRESULT STDMETHODCALLTYPE CIDropTarget::DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                                  DWORD* effect) {
    POINT at = {point.x, point.y};
    if (m_dropHelper != nullptr && effect != nullptr) {
        m_dropHelper->DragEnter(m_target, data, &at, *effect);
    }
    m_matched = -1;
    for (size_t i = 0; data != nullptr && i < m_formats.size(); ++i) {
        if (data->QueryGetData(&m_formats[i]) == S_OK) {
            m_matched = static_cast<int>(i);
            break;
        }
    }
    m_accept = m_matched >= 0;
    QueryDrop(keys, effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIDropTarget::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    POINT at = {point.x, point.y};
    if (m_dropHelper != nullptr && effect != nullptr) m_dropHelper->DragOver(&at, *effect);
    QueryDrop(keys, effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIDropTarget::DragLeave() {
    if (m_dropHelper != nullptr) m_dropHelper->DragLeave();
    m_matched = -1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIDropTarget::Drop(IDataObject* data, DWORD keys, POINTL point,
                                             DWORD* effect) {
    POINT at = {point.x, point.y};
    if (m_dropHelper != nullptr && effect != nullptr) {
        m_dropHelper->Drop(data, &at, *effect);
    }
    if (data != nullptr && QueryDrop(keys, effect) && m_matched >= 0) {
        FORMATETC format = m_formats[static_cast<size_t>(m_matched)];
        STGMEDIUM medium = {};
        if (data->GetData(&format, &medium) == S_OK) {
            if (OnDrop(&format, medium, effect)) ::ReleaseStgMedium(&medium);
        }
    }
    m_accept = false;
    m_matched = -1;
    if (effect != nullptr) *effect = DROPEFFECT_NONE;
    return S_OK;
}

bool CIDropTarget::OnDrop(FORMATETC*, STGMEDIUM&, DWORD*) { return true; }

}  // namespace Vela
