// Manager: the library's process-wide state (module handle, GDI+ token, default font,
// scale factor, highlight colour, the CPU temperature of the information overlay).
// A class of static members only; it is never instantiated.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <atomic>
#include <string>

#include "vela/VelaExport.h"

namespace Vela {

class MWindow;

class VELA_API Manager {
public:
    Manager() = delete;

    // Attributes
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();

    static void SetFont(const std::wstring& name, int size);
    static void SetFontName(const std::wstring& name);
    static void SetFontWidth(int size);
    static std::wstring GetFontName();
    static int GetFontWidth();

    static void SetScaleValue(float scale);
    static float GetScaleValue();
    // v * scale in single precision, truncated toward zero.
    static int GetScaleValue(int v);

    // GDI+ colour 0xAARRGGBB.
    static DWORD GetSelectColor();

    // Written by the application's worker thread, read while painting.
    static void SetCPUTemp(float temp);
    static float GetCPUTemp();

    // Always "theme1\\".
    static std::wstring GetTheme();

    // Operations
    static void InitGdiplus();
    static void UnInitGdiplus();

    static void AddWnd(MWindow* window);
    static void DeleteWnd(MWindow* window);

    // 1 when Alt and F4 both read as pressed, else 0; the message itself is ignored.
    static int PreTranslateMessage(MSG* msg);
    static void MessageLoop();

private:
    static HINSTANCE m_hInstance;
    static Gdiplus::GdiplusStartupInput m_gdiplusStartupInput;
    static ULONG_PTR m_gdiplusToken;
    static std::wstring m_fontname;
    static int m_fontwidth;
    static float m_scale_value;
    static DWORD m_select_color;
    static std::atomic<float> m_cpu_temp;
    static UINT m_uControlID;
};

// Diagnostic trace hook of the library; it writes nothing.
VELA_API void M_Trace(const wchar_t* format, ...);

}  // namespace Vela
