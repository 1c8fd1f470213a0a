// MRender: images from files and resources, icons.
#include "vela/MRender.h"

#include <objidl.h>
#include <shellapi.h>

#include <cstring>
#include <memory>

#include "render/Handles.h"

namespace Vela {
namespace {

// GDI+ reports failures through the object's last status, not by a null object.
Gdiplus::Image* KeepIfLoaded(std::unique_ptr<Gdiplus::Image> image) {
    if (!image || image->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return image.release();
}

}  // namespace

Gdiplus::Image* MRender::LoadImageFromFile(const std::wstring& path) {
    return KeepIfLoaded(std::make_unique<Gdiplus::Image>(path.c_str()));
}

Gdiplus::Image* MRender::LoadImageFromFileEx(const std::wstring& path, int width, int height) {
    std::unique_ptr<Gdiplus::Image> loaded(LoadImageFromFile(path));
    if (!loaded) return nullptr;
    if (width == 0 && height == 0) {
        width = static_cast<int>(loaded->GetWidth());
        height = static_cast<int>(loaded->GetHeight());
    }
    return loaded->GetThumbnailImage(static_cast<UINT>(width), static_cast<UINT>(height),
                                     nullptr, nullptr);
}

Gdiplus::Image* MRender::LoadImageFromIDResource(UINT id, const std::wstring& type,
                                                 HINSTANCE module) {
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type.c_str());
    if (found == nullptr) return nullptr;
    const DWORD size = ::SizeofResource(module, found);
    HGLOBAL resource = ::LoadResource(module, found);  // not owned: resources are not freed
    const void* bytes = resource != nullptr ? ::LockResource(resource) : nullptr;
    if (bytes == nullptr || size == 0) return nullptr;

    // GDI+ may read the stream again while the image lives, so the bytes go into a block of
    // their own. The stream frees the block when its last reference goes, and the image holds
    // a reference for as long as it needs one: the block lives exactly as long as the image.
    HGLOBAL block = ::GlobalAlloc(GMEM_FIXED, size);
    if (block == nullptr) return nullptr;
    std::memcpy(block, bytes, size);
    ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, stream.put()))) {
        ::GlobalFree(block);
        return nullptr;
    }
    auto image = std::make_unique<Gdiplus::Image>(stream.get());
    // Bytes that do not decode still give an image object; it reads as 0 x 0.
    return image.release();
}

HICON MRender::LoadIconFromFile(const std::wstring& path) {
    // The call may rewrite the path buffer (with the file that supplied the icon).
    wchar_t buffer[MAX_PATH] = {};
    path.copy(buffer, MAX_PATH - 1);
    WORD index = 0;
    return ::ExtractAssociatedIconW(::GetModuleHandleW(nullptr), buffer, &index);
}

}  // namespace Vela
