// PaintManager: OLE drag and drop. The drag source (a control's snapshot dragged out of the
// window) and the window's side of the drop target.
#include "vela/PaintManager.h"

#include <shellapi.h>
#include <shlobj.h>

#include <utility>
#include <vector>

#include "render/Handles.h"

namespace Vela {
namespace {

// The IUnknown part of an object that implements one interface: reference counted from
// one, deleted with its last reference.
template <typename Interface>
class SingleInterfaceObject : public Interface {
public:
    explicit SingleInterfaceObject(REFIID iid) : m_iid(iid) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, m_iid)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~SingleInterfaceObject() = default;

private:
    const IID& m_iid;
    ULONG m_refs = 1;
};

// CIDropSource: ends the drag when both buttons are up, cancels it on Escape, leaves the
// cursor shapes to the system.
class CIDropSource : public SingleInterfaceObject<IDropSource> {
public:
    CIDropSource() : SingleInterfaceObject(IID_IDropSource) {}
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (keys & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
        return DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override {
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    ~CIDropSource() override = default;
};

// A copy of a stored medium for a caller, who releases it.
HRESULT CopyMedium(const FORMATETC& format, const STGMEDIUM& from, STGMEDIUM* to) {
    *to = {};
    to->tymed = from.tymed;
    switch (from.tymed) {
    case TYMED_GDI:
        to->hBitmap = static_cast<HBITMAP>(::OleDuplicateData(from.hBitmap, CF_BITMAP, 0));
        return to->hBitmap != nullptr ? S_OK : E_OUTOFMEMORY;
    case TYMED_ENHMF:
        to->hEnhMetaFile = ::CopyEnhMetaFileW(from.hEnhMetaFile, nullptr);
        return to->hEnhMetaFile != nullptr ? S_OK : E_OUTOFMEMORY;
    case TYMED_HGLOBAL:
        to->hGlobal = ::OleDuplicateData(from.hGlobal, format.cfFormat, 0);
        return to->hGlobal != nullptr ? S_OK : E_OUTOFMEMORY;
    default:
        return DV_E_TYMED;
    }
}

// CIDataObject: format/medium pairs; it owns the stored media.
class CIDataObject : public SingleInterfaceObject<IDataObject> {
public:
    CIDataObject() : SingleInterfaceObject(IID_IDataObject) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format == nullptr || medium == nullptr) return E_INVALIDARG;
        const Entry* entry = Find(*format);
        if (entry == nullptr) return DV_E_FORMATETC;
        return CopyMedium(entry->format, entry->medium, medium);
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (format == nullptr) return E_INVALIDARG;
        return Find(*format) != nullptr ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out != nullptr) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium,
                                      BOOL release) override {
        if (format == nullptr || medium == nullptr) return E_INVALIDARG;
        Entry entry{*format, {}};
        if (release) {
            entry.medium = *medium;  // ownership passes to this object
        } else if (FAILED(CopyMedium(*format, *medium, &entry.medium))) {
            return E_OUTOFMEMORY;
        }
        m_entries.push_back(entry);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (out == nullptr) return E_INVALIDARG;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> formats;
        for (const Entry& entry : m_entries) formats.push_back(entry.format);
        return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    struct Entry {
        FORMATETC format;
        STGMEDIUM medium;  // owned
    };
    ~CIDataObject() override {
        for (Entry& entry : m_entries) ::ReleaseStgMedium(&entry.medium);
    }
    const Entry* Find(const FORMATETC& format) const {
        for (const Entry& entry : m_entries) {
            if (entry.format.cfFormat == format.cfFormat &&
                entry.format.dwAspect == format.dwAspect &&
                (entry.format.tymed & format.tymed) != 0) {
                return &entry;
            }
        }
        return nullptr;
    }
    std::vector<Entry> m_entries;
};

HBITMAP CopyBitmap(HBITMAP bitmap) {
    return static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
}

// The bitmap recorded into an enhanced metafile at its full size, against reference.
HENHMETAFILE BitmapMetafile(HBITMAP bitmap, HDC reference) {
    BITMAP info = {};
    if (::GetObjectW(bitmap, sizeof(info), &info) == 0) return nullptr;
    HDC record = ::CreateEnhMetaFileW(reference, nullptr, nullptr, nullptr);
    if (record == nullptr) return nullptr;
    {
        MemoryDC source(::CreateCompatibleDC(reference));
        Selection selected(source.get(), bitmap);
        ::BitBlt(record, 0, 0, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
    return ::CloseEnhMetaFile(record);
}

}  // namespace

// --- Drag source -------------------------------------------------------------------------------

int PaintManager::StartDrag() {
    if (m_hwnd == nullptr) return 0;
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    ::ClipCursor(&window);
    ::ReleaseCapture();
    m_captured = 0;

    CIDropSource* source = new CIDropSource;  // one reference, released below
    CIDataObject* data = new CIDataObject;    // one reference, released below
    if (m_dragBitmap != nullptr) {
        FORMATETC bitmapFormat = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
        STGMEDIUM bitmapMedium = {};
        bitmapMedium.tymed = TYMED_GDI;
        bitmapMedium.hBitmap = CopyBitmap(m_dragBitmap);
        if (bitmapMedium.hBitmap != nullptr) data->SetData(&bitmapFormat, &bitmapMedium, TRUE);

        FORMATETC metaFormat = {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
        STGMEDIUM metaMedium = {};
        metaMedium.tymed = TYMED_ENHMF;
        metaMedium.hEnhMetaFile = BitmapMetafile(m_dragBitmap, m_paintDC);
        if (metaMedium.hEnhMetaFile != nullptr) data->SetData(&metaFormat, &metaMedium, TRUE);

        // The system drag image, held at its centre; the helper takes the bitmap it is given.
        ComPtr<IDragSourceHelper> helper;
        BITMAP info = {};
        if (SUCCEEDED(::CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IDragSourceHelper,
                                         reinterpret_cast<void**>(helper.put()))) &&
            ::GetObjectW(m_dragBitmap, sizeof(info), &info) != 0) {
            SHDRAGIMAGE image = {};
            image.sizeDragImage = {info.bmWidth, info.bmHeight};
            image.ptOffset = {info.bmWidth / 2, info.bmHeight / 2};
            image.hbmpDragImage = CopyBitmap(m_dragBitmap);
            image.crColorKey = ::GetSysColor(COLOR_WINDOW);
            if (FAILED(helper.get()->InitializeFromBitmap(&image, data)) &&
                image.hbmpDragImage != nullptr) {
                ::DeleteObject(image.hbmpDragImage);
            }
        }
    }
    DWORD effect = DROPEFFECT_NONE;
    ::DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    source->Release();
    data->Release();
    m_dragPending = 0;
    m_pressed = 0;
    ::ClipCursor(nullptr);
    return 1;
}

// --- Drop target -------------------------------------------------------------------------------

int PaintManager::InitDragDrop() {
    if (m_hwnd == nullptr) return 0;
    if (FAILED(::RegisterDragDrop(m_hwnd, static_cast<IDropTarget*>(this)))) return 0;
    const FORMATETC accepted[] = {
        {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI},
        {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
        {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
        {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
    };
    for (const FORMATETC& format : accepted) AddSuportedFormat(format);
    return 1;
}

bool PaintManager::OnDrop(FORMATETC* format, STGMEDIUM& medium, DWORD*) {
    if (m_hwnd == nullptr || format == nullptr) return true;
    // The drop ends the press that may have started it.
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(m_hwnd, &cursor);
    ::SendMessageW(m_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(cursor.x, cursor.y));

    // The image goes to the window with the set-image message; a control may take it (the
    // dispatcher offers every message to the controls). The image it replaces is deleted.
    auto sendImage = [&](HBITMAP bitmap) {
        if (bitmap == nullptr) return;
        HGDIOBJ old = reinterpret_cast<HGDIOBJ>(::SendMessageW(
            m_hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
        if (old != nullptr) ::DeleteObject(old);
    };
    WindowDC screen(nullptr);
    switch (format->cfFormat) {
    case CF_DIB: {
        auto* header = static_cast<BITMAPINFOHEADER*>(::GlobalLock(medium.hGlobal));
        if (header == nullptr) return true;
        DWORD colors = header->biClrUsed;
        if (colors == 0 && header->biBitCount <= 8) colors = 1u << header->biBitCount;
        if (header->biCompression == BI_BITFIELDS) colors += 3;
        const BYTE* bits = reinterpret_cast<const BYTE*>(header) + header->biSize +
                           colors * sizeof(RGBQUAD);
        HBITMAP bitmap = ::CreateDIBitmap(screen.get(), header, CBM_INIT, bits,
                                          reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
        ::GlobalUnlock(medium.hGlobal);
        sendImage(bitmap);
        return true;
    }
    case CF_BITMAP:
        sendImage(medium.hBitmap);
        return false;  // the window keeps the bitmap: the medium is not released
    case CF_ENHMETAFILE: {
        ENHMETAHEADER header = {};
        if (!::GetEnhMetaFileHeader(medium.hEnhMetaFile, sizeof(header), &header)) return true;
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen.get(), header.rclBounds.right,
                                                  header.rclBounds.bottom);
        if (bitmap == nullptr) return true;
        {
            // Hundredths of a millimetre to screen pixels.
            const int hres = ::GetDeviceCaps(screen.get(), HORZRES);
            const int vres = ::GetDeviceCaps(screen.get(), VERTRES);
            const int hsize = ::GetDeviceCaps(screen.get(), HORZSIZE) * 100;
            const int vsize = ::GetDeviceCaps(screen.get(), VERTSIZE) * 100;
            RECT frame = {header.rclFrame.left * hres / hsize, header.rclFrame.top * vres / vsize,
                          header.rclFrame.right * hres / hsize,
                          header.rclFrame.bottom * vres / vsize};
            MemoryDC dc(::CreateCompatibleDC(screen.get()));
            Selection selected(dc.get(), bitmap);
            ::PlayEnhMetaFile(dc.get(), medium.hEnhMetaFile, &frame);
        }
        sendImage(bitmap);
        return true;
    }
    case CF_HDROP: {
        wchar_t name[520] = {};
        if (::DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0, name, 520) == 0) return true;
        sendImage(static_cast<HBITMAP>(
            ::LoadImageW(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
        return true;
    }
    default:
        return true;
    }
}

}  // namespace Vela
