// ScreenPixels: what the screen shows in a rectangle, and the pixels of an image file, in
// the same form, so black-box tests can compare what another process draws.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;  // 0xAARRGGBB, row by row from the top

    bool Empty() const { return argb.empty(); }
    uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Pixels& other) const {
        return width == other.width && height == other.height && argb == other.argb;
    }
    bool operator!=(const Pixels& other) const { return !(*this == other); }
};

// The screen's pixels inside rect (screen coordinates); alpha is 0xFF. Empty on failure.
Pixels CaptureScreen(const RECT& rect);

// An image file (PNG and the other formats GDI+ reads) with its alpha. Empty on failure.
Pixels LoadImageFile(const std::wstring& path);

// Sum over R, G and B of the absolute differences of two pixels (alpha left out).
int ColourDistance(uint32_t a, uint32_t b);

}  // namespace TestSupport
