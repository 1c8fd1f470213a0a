// What the dialog and basic-control tests share:
//   SkinFiles   images written into the skin folder beside the test program for one test
//               suite (generated pixel by pixel, or fixture resources), removed afterwards
//   Ink         the extent of the pixels of a canvas that differ from a background colour
//   NearRgb     colour comparison with a tolerance for blending and interpolation
// Linking SkinKit.cpp also starts GDI+ for the whole test program.
#pragma once

#include <windows.h>
#include <gdiplus.h>

#include <functional>
#include <string>
#include <vector>

#include "vela/render/Canvas.h"

namespace VelaDialogTest {

class SkinFiles {
public:
    SkinFiles();
    ~SkinFiles();  // removes the files, and the folders when nothing else is in them
    SkinFiles(const SkinFiles&) = delete;
    SkinFiles& operator=(const SkinFiles&) = delete;

    // A width x height PNG whose pixel (x, y) has the ARGB colour pixel(x, y).
    bool Write(const std::wstring& name, int width, int height,
               const std::function<Gdiplus::ARGB(int, int)>& pixel);
    // A PNG resource of the test program (fixtures.rc) as a file.
    bool WriteResource(UINT id, const std::wstring& name);
    static std::wstring Folder();

private:
    std::vector<std::wstring> m_files;
};

// Pixel (x, y) of the coordinate image: red 8x, green 8y, blue 200, so a test can tell which
// source pixel landed where (x and y below 32).
Gdiplus::ARGB CoordinateColor(int x, int y);
inline DWORD CoordinateRgb(int x, int y) { return CoordinateColor(x, y) & 0xFFFFFF; }

// Bounding box of the pixels in rect whose colour differs from background (empty if none).
RECT Ink(const VelaTest::Canvas& canvas, RECT rect, DWORD background);
// The largest of red, green and blue over rect.
int Brightest(const VelaTest::Canvas& canvas, RECT rect);

// Every channel of a and b (0x00RRGGBB) within tolerance.
::testing::AssertionResult NearRgb(DWORD expected, DWORD actual, int tolerance = 3);

}  // namespace VelaDialogTest
