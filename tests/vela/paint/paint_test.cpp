// The paint pipeline under Wine: the plain background, layered alpha, the temperature
// overlay, minimised windows, repaint requests, the image and font registries.
//
// Pixels are read from the frame the pipeline draws (PaintFrame): the screen of the test
// display has no alpha channel, so the alpha of a frame can only be read before it is handed
// to the window. Colours are checked on the screen as well where they reach it.
#include <gtest/gtest.h>

#include <vector>

#include "vela/Manager.h"
#include "vela/paint/PaintKit.h"
#include "vela/fixtures/Fixtures.h"
#include "vela/render/Canvas.h"

namespace {

using PaintTest::Frame;
using PaintTest::HostWindow;
using Vela::CRect;
using VelaTest::Box;

const auto* const kGdiplus = ::testing::AddGlobalTestEnvironment(new VelaTest::GdiplusSession);

class PaintManagerPaint : public ::testing::Test {
protected:
    PaintManagerPaint() { Vela::Manager::SetInstance(::GetModuleHandleW(nullptr)); }
};

TEST_F(PaintManagerPaint, PlainBackgroundIsAFrameAroundTheFillAtAlpha254) {
    HostWindow window(CRect(100, 100, 100 + 120, 100 + 80));
    window.manager.SetBackColor(RGB(10, 20, 30), RGB(200, 100, 50));
    Frame frame(120, 80);
    frame.Paint(window.manager);

    const DWORD fill = 0xFE0A141E, edge = 0xFEC86432;
    for (const POINT& p : std::vector<POINT>{{0, 0}, {119, 0}, {0, 79}, {119, 79}, {60, 0}, {0, 40}}) {
        EXPECT_EQ(frame.Pixel(p.x, p.y), edge) << p.x << "," << p.y;
    }
    for (const POINT& p : std::vector<POINT>{{1, 1}, {118, 78}, {60, 40}, {1, 78}}) {
        EXPECT_EQ(frame.Pixel(p.x, p.y), fill) << p.x << "," << p.y;
    }

    // The same colours reach the window on the screen.
    ::InvalidateRect(window.GetSafeHwnd(), nullptr, FALSE);
    ::UpdateWindow(window.GetSafeHwnd());
    VelaTest::Canvas screen(120, 80);
    HDC dc = ::GetDC(window.GetSafeHwnd());
    ::BitBlt(screen.dc(), 0, 0, 120, 80, dc, 0, 0, SRCCOPY);
    ::ReleaseDC(window.GetSafeHwnd(), dc);
    EXPECT_EQ(screen.Rgb(0, 0), edge & 0xFFFFFF);
    EXPECT_EQ(screen.Rgb(60, 40), fill & 0xFFFFFF);
}

TEST_F(PaintManagerPaint, LayeredFrameRepairsGdiAlphaAndLeavesUnpaintedPixelsClear) {
    HostWindow window(CRect(100, 100, 100 + 100, 100 + 60));
    auto& manager = window.manager;
    // A background image drawn in a mode that draws nothing: no background at all.
    ASSERT_EQ(manager.LoadBKImage(VelaFixtures::kStripPng, L"PNG"), 1);
    manager.SetBackMode(Vela::BackModeNone, 0);
    manager.SetLayeredWindow(1);
    // Box paints its left half with GDI, which leaves alpha 0.
    window.Add(new Box(&window, 5, CRect(10, 10, 50, 30), RGB(200, 40, 0)));
    Frame frame(100, 60);
    frame.Paint(manager);

    EXPECT_EQ(frame.Pixel(12, 12), 0xFFC82800u);  // GDI colour, made opaque
    EXPECT_EQ(frame.Pixel(5, 5), 0x00000000u);    // never painted: transparent
    EXPECT_EQ(frame.Pixel(80, 50), 0x00000000u);

    // The whole pipeline hands the frame to the layered window.
    ::InvalidateRect(window.GetSafeHwnd(), nullptr, FALSE);
    ::UpdateWindow(window.GetSafeHwnd());
    EXPECT_TRUE(::GetWindowLongW(window.GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

// The bright pixels of the overlay's text.
std::vector<POINT> TextPixels(const Frame& frame) {
    std::vector<POINT> lit;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const DWORD pixel = frame.Pixel(x, y);
            const bool white = (pixel & 0xFF) > 0xA0 && ((pixel >> 8) & 0xFF) > 0xA0 &&
                               ((pixel >> 16) & 0xFF) > 0xA0;
            if (white) lit.push_back({x, y});
        }
    }
    return lit;
}

std::vector<POINT> OverlayFor(float temperature) {
    HostWindow window(CRect(100, 100, 100 + 340, 100 + 250));
    window.manager.EnableDrawInfo(1);
    Vela::Manager::SetCPUTemp(temperature);
    Frame frame(340, 250);
    frame.Paint(window.manager);
    Vela::Manager::SetCPUTemp(0.0f);
    return TextPixels(frame);
}

TEST_F(PaintManagerPaint, OverlayDrawsTheTruncatedTemperatureInItsBox) {
    ::SetCursorPos(0, 0);  // away from the overlay's hot corner
    const std::vector<POINT> at479 = OverlayFor(47.9f);
    ASSERT_FALSE(at479.empty());
    for (const POINT& p : at479) {
        // The box: x from 340 / 2 - 60 = 110, y from 70, 120 x 60.
        EXPECT_TRUE(p.x >= 110 && p.x < 230 && p.y >= 70 && p.y < 130) << p.x << "," << p.y;
    }
    const auto same = [](const std::vector<POINT>& a, const std::vector<POINT>& b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
        }
        return true;
    };
    EXPECT_TRUE(same(at479, OverlayFor(47.0f)));   // "47", not rounded
    EXPECT_FALSE(same(at479, OverlayFor(48.0f)));  // another number draws otherwise
}

TEST_F(PaintManagerPaint, OverlayOutlinesTheHotCornerUnderThePointer) {
    HostWindow window(CRect(100, 100, 100 + 340, 100 + 250));
    window.manager.EnableDrawInfo(1);
    ::SetCursorPos(100 + 280, 100 + 20);
    Frame frame(340, 250);
    frame.Paint(window.manager);
    ::SetCursorPos(0, 0);
    EXPECT_EQ(frame.Pixel(275, 10) & 0xFFFFFF, 0xC8C8C8u);
    EXPECT_EQ(frame.Pixel(293, 27) & 0xFFFFFF, 0xC8C8C8u);
    EXPECT_EQ(frame.Pixel(284, 18), 0xFE050505u);  // inside: the fill
}

TEST_F(PaintManagerPaint, MinimisedWindowPaintsNothing) {
    HostWindow window(CRect(100, 100, 200, 160), WS_POPUP | WS_VISIBLE | WS_MINIMIZEBOX);
    Box* box = window.Add(new Box(&window, 5, CRect(0, 0, 40, 40)));
    ::ShowWindow(window.GetSafeHwnd(), SW_MINIMIZE);
    ASSERT_TRUE(::IsIconic(window.GetSafeHwnd()));
    ::InvalidateRect(window.GetSafeHwnd(), nullptr, FALSE);
    EXPECT_EQ(window.manager.OnPaint(), 1);
    EXPECT_EQ(box->paints, 0);

    ::ShowWindow(window.GetSafeHwnd(), SW_RESTORE);
    ::InvalidateRect(window.GetSafeHwnd(), nullptr, FALSE);
    EXPECT_EQ(window.manager.OnPaint(), 1);
    EXPECT_EQ(box->paints, 1);
    EXPECT_EQ(window.manager.OnPaint(), 0);  // nothing left to paint
}

TEST_F(PaintManagerPaint, RepaintRequestGrowsByLaterOverlappingControlsOnly) {
    HostWindow window(CRect(100, 100, 300, 250));
    auto& manager = window.manager;
    Box* earlier = window.Add(new Box(&window, 1, CRect(0, 0, 60, 60)));
    Box* request = window.Add(new Box(&window, 2, CRect(20, 20, 80, 80)));
    Box* over = window.Add(new Box(&window, 3, CRect(70, 70, 120, 120)));
    Box* beside = window.Add(new Box(&window, 4, CRect(150, 0, 190, 40)));
    Frame frame(200, 150);
    frame.Paint(manager);  // every cache valid
    ::ValidateRect(window.GetSafeHwnd(), nullptr);

    manager.OnControlUpdate(request->GetRect(), 1, request);
    EXPECT_EQ(request->GetUpdate(), 0);
    EXPECT_EQ(over->GetUpdate(), 0);     // drawn later and overlapping: repainted over it
    EXPECT_EQ(earlier->GetUpdate(), 1);  // drawn before: stays
    EXPECT_EQ(beside->GetUpdate(), 1);
    CRect dirty;
    ::GetUpdateRect(window.GetSafeHwnd(), &dirty, FALSE);
    EXPECT_EQ(dirty, CRect(20, 20, 120, 120));
}

TEST_F(PaintManagerPaint, ImageRegistryKeepsOneEntryPerImage) {
    HostWindow window(CRect(100, 100, 200, 160));
    auto& manager = window.manager;
    Vela::ImgResInfo* strip = manager.AddImgResInfo(VelaFixtures::kStripPng, L"PNG", 4, 1);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->frameWidth, 25);
    EXPECT_EQ(strip->height, 20);
    EXPECT_EQ(manager.AddImgResInfo(VelaFixtures::kStripPng, L"PNG", 2, 1), strip);
    EXPECT_EQ(manager.AddImgResInfo(VelaFixtures::kNotAnImage, L"PNG", 1, 1), nullptr);
    // The library's own scroll bar image, from its own module.
    EXPECT_NE(manager.AddImgResInfo(manager.GetScrollVID(), L"PNG", 4, 0), nullptr);
    EXPECT_EQ(manager.AddImgResInfo(L"no such file.png", 1), nullptr);
}

TEST_F(PaintManagerPaint, FindTempFontGivesTheDefaultFamilyOrOneThatExists) {
    wchar_t name[LF_FACESIZE] = {};
    {
        HostWindow window(CRect(100, 100, 200, 160));
        Gdiplus::FontFamily* family = window.manager.FindTempFont(L"Courier New");
        ASSERT_NE(family, nullptr);
        family->GetFamilyName(name);
        // The default name, whatever was asked (the test prefix maps Arial to another face).
        wchar_t arial[LF_FACESIZE] = {};
        Gdiplus::FontFamily(L"Arial").GetFamilyName(arial);
        EXPECT_EQ(std::wstring(name), std::wstring(arial));
    }
    const std::wstring saved = Vela::Manager::GetFontName();
    Vela::Manager::SetFontName(L"No Such Family");
    {
        HostWindow window(CRect(100, 100, 200, 160));
        Gdiplus::FontFamily* family = window.manager.FindTempFont(L"Arial");
        ASSERT_NE(family, nullptr);  // not "nothing drawn": the library's own font
        EXPECT_TRUE(family->IsAvailable());
        family->GetFamilyName(name);
        EXPECT_EQ(std::wstring(name), L"DejaVu Sans");  // resource 106
        EXPECT_EQ(window.manager.FindTempFont(nullptr), family);
    }
    Vela::Manager::SetFontName(saved);
}

TEST_F(PaintManagerPaint, ShadowSettersKeepTheirRanges) {
    Vela::PaintManager manager;
    struct Case {
        const char* what;
        int result, expected;
    } cases[] = {
        {"size 36", manager.SetSize(36), 0},
        {"size -35", manager.SetSize(-35), 1},
        {"size -36", manager.SetSize(-36), 0},
        {"sharpness 35", manager.SetSharpness(35), 1},
        {"sharpness 36", manager.SetSharpness(36), 0},
        {"darkness 255", manager.SetDarkness(255), 1},
        {"darkness 256", manager.SetDarkness(256), 0},
        {"position 35,-35", manager.SetPosition(35, -35), 1},
        {"position 0,36", manager.SetPosition(0, 36), 0},
        {"image, negative corner", manager.SetShadowImage(L"s.png", CRect(-1, 0, 0, 0)), 1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
}

TEST_F(PaintManagerPaint, MessagePanelFadesOutAfterItsSteps) {
    HostWindow window(CRect(100, 100, 100 + 300, 100 + 200));
    auto& manager = window.manager;
    manager.SetMessage(L"saved", CRect(50, 100, 250, 158), Vela::MsgLevelInfo);
    Frame frame(300, 200);
    frame.Paint(manager);
    EXPECT_EQ(frame.Pixel(50, 100) & 0xFFFFFF, 0xE6E6E6u);  // the panel's border
    EXPECT_EQ(frame.Pixel(150, 103) & 0xFFFFFF, 0xFEFEFEu);  // its inside

    manager.OnTimer(Vela::PaintManager::kMessageShowTimer);  // 3 s are over: the fade starts
    for (int step = 0; step < 23; ++step) manager.OnTimer(Vela::PaintManager::kMessageFadeTimer);
    Frame fading(300, 200);  // each paint draws a fresh frame
    fading.Paint(manager);
    EXPECT_NE(fading.Pixel(50, 100), 0xFE050505u);  // still faintly there
    manager.OnTimer(Vela::PaintManager::kMessageFadeTimer);  // the 24th step
    Frame faded(300, 200);
    faded.Paint(manager);
    EXPECT_EQ(faded.Pixel(50, 100), 0xFE050505u);  // gone: the plain fill
}

}  // namespace
