// MRender: gradient fills through msimg32's GradientFill and AlphaBlend, looked up once.
#include "vela/MRender.h"

#include "render/GradientBands.h"
#include "render/Handles.h"
#include "render/SoftBlend.h"

namespace Vela {
namespace {

using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int,
                                     BLENDFUNCTION);
using GradientFillProc = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

// msimg32 is already loaded (the library links it); the addresses are looked up once per
// process. A missing AlphaBlend is replaced by the software blend, a missing GradientFill by
// solid bands.
struct BlendFunctions {
    AlphaBlendProc alphaBlend = &SoftwareAlphaBlend;
    GradientFillProc gradientFill = nullptr;
};

BlendFunctions Resolve() {
    BlendFunctions functions;
    if (HMODULE msimg = ::GetModuleHandleW(L"msimg32.dll")) {
        if (auto blend = reinterpret_cast<AlphaBlendProc>(
                reinterpret_cast<void*>(::GetProcAddress(msimg, "AlphaBlend")))) {
            functions.alphaBlend = blend;
        }
        functions.gradientFill = reinterpret_cast<GradientFillProc>(
            reinterpret_cast<void*>(::GetProcAddress(msimg, "GradientFill")));
    }
    return functions;
}

const BlendFunctions& Functions() {
    static const BlendFunctions functions = Resolve();  // thread-safe static initialisation
    return functions;
}

COLOR16 Channel16(Gdiplus::ARGB color, int shift) {
    return static_cast<COLOR16>(((color >> shift) & 0xFF) << 8);
}

TRIVERTEX Vertex(LONG x, LONG y, Gdiplus::ARGB color) {
    return TRIVERTEX{x, y, Channel16(color, 16), Channel16(color, 8), Channel16(color, 0), 0xFF00};
}

}  // namespace

void MRender::DrawGradient(HDC dc, const RECT& rect, Gdiplus::ARGB from, Gdiplus::ARGB to,
                           bool vertical, int steps) {
    const BlendFunctions& functions = Functions();
    const int alpha = static_cast<int>(((from >> 24) + (to >> 24)) / 2);
    if (alpha == 0) return;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;

    // Opaque gradients go straight into dc; translucent ones are drawn into a bitmap of the
    // rectangle's size first and blended on afterwards.
    MemoryDC scratch;
    GdiObject<HBITMAP> scratchBitmap;
    HDC target = dc;
    RECT area = rect;
    if (alpha != 255) {
        scratch = MemoryDC(::CreateCompatibleDC(dc));
        scratchBitmap.reset(::CreateCompatibleBitmap(dc, width, height));
        if (!scratch || !scratchBitmap) return;
        target = scratch.get();
        area = RECT{0, 0, width, height};
    }
    {
        Selection selected(target, scratchBitmap.get());  // no-op when drawing straight
        if (functions.gradientFill != nullptr) {
            TRIVERTEX vertices[2] = {Vertex(area.left, area.top, from),
                                     Vertex(area.right, area.bottom, to)};
            GRADIENT_RECT mesh = {0, 1};
            functions.gradientFill(target, vertices, 2, &mesh, 1,
                                   vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
        } else {
            FillGradientBands(target, area, from, to, vertical, steps);
        }
        if (alpha != 255) {
            const BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(alpha), AC_SRC_ALPHA};
            functions.alphaBlend(dc, rect.left, rect.top, width, height, target, 0, 0, width,
                                 height, blend);
        }
    }  // the scratch bitmap is deselected here, before it and its DC are deleted
}

}  // namespace Vela
