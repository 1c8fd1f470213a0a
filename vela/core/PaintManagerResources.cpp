// PaintManager: the background image, the image registry, the font registry and the stored
// shadow settings.
#include "core/SkinFolder.h"
#include "vela/PaintManager.h"

#include "core/Module.h"
#include "render/Lock.h"
#include "vela/MRender.h"
#include "vela/Manager.h"

namespace Vela {
namespace {

// The bytes of a "TTF" resource of this library (type names compare without regard to
// case), or null. Resource memory lives as long as the module.
const void* FontResource(UINT id, DWORD* size) {
    HMODULE module = LibraryModule();
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"TTF");
    if (found == nullptr) return nullptr;
    HGLOBAL loaded = ::LoadResource(module, found);
    *size = ::SizeofResource(module, found);
    return loaded != nullptr ? ::LockResource(loaded) : nullptr;
}

bool Usable(const Gdiplus::FontFamily* family) {
    return family != nullptr && family->GetLastStatus() == Gdiplus::Ok && family->IsAvailable();
}

}  // namespace

// --- Background image --------------------------------------------------------------------------

int PaintManager::LoadBKImage(const wchar_t* fileName) {
    m_backImage.reset(fileName != nullptr ? MRender::LoadImageFromFile(SkinPath(fileName))
                                          : nullptr);
    m_backWidth = m_backImage ? static_cast<int>(m_backImage->GetWidth()) : 0;
    m_backHeight = m_backImage ? static_cast<int>(m_backImage->GetHeight()) : 0;
    return m_backImage ? 1 : 0;
}

int PaintManager::LoadBKImage(UINT id, const wchar_t* type) {
    m_backImage.reset(MRender::LoadImageFromIDResource(id, type != nullptr ? type : L"",
                                                       Manager::GetInstance()));
    // Bytes that do not decode give an image of 0 x 0: that is no background image.
    if (m_backImage && m_backImage->GetWidth() == 0) m_backImage.reset();
    m_backWidth = m_backImage ? static_cast<int>(m_backImage->GetWidth()) : 0;
    m_backHeight = m_backImage ? static_cast<int>(m_backImage->GetHeight()) : 0;
    return m_backImage ? 1 : 0;
}

// --- Image registry ----------------------------------------------------------------------------

ImgResInfo* PaintManager::LoadImgResInfo(std::unique_ptr<ImgResInfo> entry,
                                         Gdiplus::Image* image) {
    entry->image.reset(image);
    if (!entry->image || entry->image->GetWidth() == 0) return nullptr;
    // A frame count below 1 counts as one frame: the width is divided by it.
    if (entry->frameCount < 1) entry->frameCount = 1;
    entry->frameWidth = static_cast<int>(entry->image->GetWidth()) / entry->frameCount;
    entry->height = static_cast<int>(entry->image->GetHeight());
    return entry.release();
}

ImgResInfo* PaintManager::AddImgResInfo(const wchar_t* name, int count) {
    if (name == nullptr) return nullptr;
    LockScope lock(&m_imageLock);
    auto found = m_imagesByName.find(name);
    if (found != m_imagesByName.end()) return found->second.get();
    auto entry = std::make_unique<ImgResInfo>();
    entry->frameCount = count;
    entry->name = name;
    ImgResInfo* loaded =
        LoadImgResInfo(std::move(entry), MRender::LoadImageFromFile(SkinPath(name)));
    if (loaded == nullptr) return nullptr;  // nothing registered: a later call tries again
    m_imagesByName[name].reset(loaded);
    return loaded;
}

ImgResInfo* PaintManager::AddImgResInfo(UINT id, const wchar_t* type, int count,
                                        int fromApplication) {
    LockScope lock(&m_imageLock);
    auto& registry = fromApplication ? m_imagesByAppId : m_imagesByLibId;
    auto found = registry.find(id);
    if (found != registry.end()) return found->second.get();
    HINSTANCE module = fromApplication ? Manager::GetInstance() : LibraryModule();
    auto entry = std::make_unique<ImgResInfo>();
    entry->frameCount = count;
    entry->resourceId = id;
    ImgResInfo* loaded = LoadImgResInfo(
        std::move(entry), MRender::LoadImageFromIDResource(id, type != nullptr ? type : L"",
                                                           module));
    if (loaded == nullptr) return nullptr;
    registry[id].reset(loaded);
    return loaded;
}

void PaintManager::ClearImgResInfo() {
    LockScope lock(&m_imageLock);
    m_imagesByName.clear();
    m_imagesByAppId.clear();
    m_imagesByLibId.clear();
}

// --- Font registry -----------------------------------------------------------------------------

void PaintManager::AddGDITempFont(UINT id) {
    DWORD size = 0;
    const void* data = FontResource(id, &size);
    if (data == nullptr || size == 0) return;
    DWORD fonts = 0;
    HANDLE added = ::AddFontMemResourceEx(const_cast<void*>(data), size, nullptr, &fonts);
    if (added == nullptr) return;
    LockScope lock(&m_fontLock);
    m_memoryFonts.push_back(added);
}

Gdiplus::FontFamily* PaintManager::RegisterFamily(const std::wstring& name, FontEntry entry) {
    LockScope lock(&m_fontLock);
    FontEntry& slot = m_fonts[name];
    slot = std::move(entry);  // an earlier family of that name goes with its collection
    return slot.family.get();
}

// The first family of a private collection that a font was just added to (added: how
// that went), kept with its collection under name; null when there is none.
Gdiplus::FontFamily* PaintManager::RegisterCollection(
    const std::wstring& name, std::unique_ptr<Gdiplus::PrivateFontCollection> collection,
    Gdiplus::Status added) {
    if (added != Gdiplus::Ok || collection->GetFamilyCount() < 1) return nullptr;
    FontEntry entry;
    entry.collection = std::move(collection);
    entry.family = std::make_unique<Gdiplus::FontFamily>();
    int found = 0;
    entry.collection->GetFamilies(1, entry.family.get(), &found);
    if (found < 1) return nullptr;
    return RegisterFamily(name, std::move(entry));
}

Gdiplus::FontFamily* PaintManager::AddTempFont(const std::wstring& name,
                                               const std::wstring& filePath) {
    auto collection = std::make_unique<Gdiplus::PrivateFontCollection>();
    const Gdiplus::Status added = collection->AddFontFile(filePath.c_str());
    return RegisterCollection(name, std::move(collection), added);
}

Gdiplus::FontFamily* PaintManager::AddTempFont(const std::wstring& name, UINT id) {
    DWORD size = 0;
    const void* data = FontResource(id, &size);
    if (data == nullptr || size == 0) return nullptr;
    auto collection = std::make_unique<Gdiplus::PrivateFontCollection>();
    const Gdiplus::Status added = collection->AddMemoryFont(data, static_cast<INT>(size));
    return RegisterCollection(name, std::move(collection), added);
}

Gdiplus::FontFamily* PaintManager::FindTempFont(const wchar_t*) {
    // The name asked for is not consulted: controls and overlays draw in the library's
    // default family.
    const std::wstring name = Manager::GetFontName();
    {
        LockScope lock(&m_fontLock);
        auto found = m_fonts.find(name);
        if (found != m_fonts.end()) return found->second.family.get();
        FontEntry installed;
        installed.family = std::make_unique<Gdiplus::FontFamily>(name.c_str());
        if (Usable(installed.family.get())) {
            FontEntry& slot = m_fonts[name];
            slot = std::move(installed);
            return slot.family.get();
        }
    }
    // The default family is not installed: text would not be drawn at all. The library's
    // own font (resource 106) always exists; it stands in under the default name.
    Gdiplus::FontFamily* embedded = AddTempFont(name, 106);
    return Usable(embedded) ? embedded : nullptr;
}

void PaintManager::ClearTempFont() {
    LockScope lock(&m_fontLock);
    m_fonts.clear();  // each family before its collection (member order of FontEntry)
    for (HANDLE font : m_memoryFonts) ::RemoveFontMemResourceEx(font);
    m_memoryFonts.clear();
}

// --- Shadow settings ---------------------------------------------------------------------------

void PaintManager::CreateShadow(int show, int) { m_shadow.show = show; }

int PaintManager::SetSize(int size) {
    if (size < -35 || size > 35) return 0;
    m_shadow.size = size;
    return 1;
}

int PaintManager::SetSharpness(unsigned value) {
    if (value > 35) return 0;
    m_shadow.sharpness = value;
    return 1;
}

int PaintManager::SetDarkness(unsigned value) {
    if (value > 255) return 0;
    m_shadow.darkness = value;
    return 1;
}

int PaintManager::SetPosition(int x, int y) {
    if (x < -35 || x > 35 || y < -35 || y > 35) return 0;
    m_shadow.x = x;
    m_shadow.y = y;
    return 1;
}

int PaintManager::SetShadowColor(COLORREF color) {
    m_shadow.color = color;
    return 1;
}

int PaintManager::SetShadowImage(const wchar_t* fileName, CRect corners) {
    m_shadow.imageName = fileName != nullptr ? fileName : L"";
    if (corners.left >= 0 && corners.top >= 0 && corners.right >= 0 && corners.bottom >= 0) {
        m_shadow.corners = corners;
    }
    return 1;
}

int PaintManager::SetShadowImage(UINT id, CRect corners) {
    m_shadow.imageId = id;
    if (corners.left >= 0 && corners.top >= 0 && corners.right >= 0 && corners.bottom >= 0) {
        m_shadow.corners = corners;
    }
    return 1;
}

void PaintManager::SetShadowShow(int show) { m_shadow.show = show; }
void PaintManager::DisableShadow(int flag) { m_shadow.disabled = flag; }

}  // namespace Vela
