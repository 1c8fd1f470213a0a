#include "vela/Manager.h"

#include <objbase.h>
#include <ole2.h>

#include <map>

namespace Vela {

HINSTANCE Manager::m_hInstance = nullptr;
Gdiplus::GdiplusStartupInput Manager::m_gdiplusStartupInput;
ULONG_PTR Manager::m_gdiplusToken = 0;
std::wstring Manager::m_fontname = L"Arial";
int Manager::m_fontwidth = 14;
float Manager::m_scale_value = 1.0f;
DWORD Manager::m_select_color = 0xFFBD30FF;
std::atomic<float> Manager::m_cpu_temp{0.0f};
UINT Manager::m_uControlID = 0;

namespace {
// Live windows that the application registered; the value is always 0.
std::map<MWindow*, int>& WindowRegistry() {
    static std::map<MWindow*, int> registry;
    return registry;
}

bool KeyDown(int key) { return ::GetAsyncKeyState(key) != 0; }
}  // namespace

void Manager::SetInstance(HINSTANCE instance) { m_hInstance = instance; }
HINSTANCE Manager::GetInstance() { return m_hInstance; }

void Manager::SetFont(const std::wstring& name, int size) {
    m_fontname = name;
    m_fontwidth = size;
}
void Manager::SetFontName(const std::wstring& name) { m_fontname = name; }
void Manager::SetFontWidth(int size) { m_fontwidth = size; }
std::wstring Manager::GetFontName() { return m_fontname; }
int Manager::GetFontWidth() { return m_fontwidth; }

void Manager::SetScaleValue(float scale) { m_scale_value = scale; }
float Manager::GetScaleValue() { return m_scale_value; }
int Manager::GetScaleValue(int v) {
    // float to int conversion truncates toward zero
    return static_cast<int>(static_cast<float>(v) * m_scale_value);
}

DWORD Manager::GetSelectColor() { return m_select_color; }

void Manager::SetCPUTemp(float temp) { m_cpu_temp.store(temp, std::memory_order_relaxed); }
float Manager::GetCPUTemp() { return m_cpu_temp.load(std::memory_order_relaxed); }

std::wstring Manager::GetTheme() { return L"theme1\\"; }

void Manager::InitGdiplus() {
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &m_gdiplusStartupInput, nullptr);
    ::CoInitialize(nullptr);
    ::OleInitialize(nullptr);
    WindowRegistry().clear();
}

void Manager::UnInitGdiplus() {
    Gdiplus::GdiplusShutdown(m_gdiplusToken);
    m_gdiplusToken = 0;
    ::CoUninitialize();
    ::OleUninitialize();
    WindowRegistry().clear();
}

void Manager::AddWnd(MWindow* window) { WindowRegistry()[window] = 0; }
void Manager::DeleteWnd(MWindow* window) { WindowRegistry().erase(window); }

int Manager::PreTranslateMessage(MSG* /*msg*/) {
    return KeyDown(VK_MENU) && KeyDown(VK_F4) ? 1 : 0;
}

void Manager::MessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The system's Alt+F4 close gesture never reaches windows run by this loop.
        if (PreTranslateMessage(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void M_Trace(const wchar_t* /*format*/, ...) {}

}  // namespace Vela
