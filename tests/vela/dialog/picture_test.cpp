// MPicture: the six ways of fitting an image, its own images from the skin folder and from
// resources, and when it asks for a repaint. Pixels are read back from a canvas.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "vela/MPicture.h"
#include "vela/Manager.h"
#include "vela/controls/ControlKit.h"
#include "vela/dialog/SkinKit.h"
#include "vela/fixtures/Fixtures.h"
#include "vela/render/Canvas.h"

using Vela::CRect;
using Vela::CSize;
using Vela::MPicture;
using VelaDialogTest::CoordinateRgb;
using VelaDialogTest::NearRgb;
using VelaDialogTest::SkinFiles;
using VelaTest::Canvas;
using VelaTest::Recorder;

namespace {

const wchar_t kCoords[] = L"vela_picture_coords.png";  // 30 x 30, CoordinateColor
const wchar_t kHalves[] = L"vela_picture_halves.png";  // 20 x 10, red left, blue right
const int kLeft = 10, kTop = 10;                         // where the pictures sit

class MPictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Vela::Manager::SetInstance(::GetModuleHandleW(nullptr));
        s_skins = std::make_unique<SkinFiles>();
        ASSERT_TRUE(s_skins->Write(kCoords, 30, 30, VelaDialogTest::CoordinateColor));
        ASSERT_TRUE(s_skins->Write(kHalves, 20, 10, [](int x, int) {
            return x < 10 ? 0xFFFF0000u : 0xFF0000FFu;
        }));
    }
    static void TearDownTestSuite() { s_skins.reset(); }

    // Paints the picture over black into a canvas with room around it.
    static std::unique_ptr<Canvas> Paint(MPicture& picture) {
        const CRect r = picture.GetRect();
        auto canvas = std::make_unique<Canvas>(r.right + 10, r.bottom + 10);
        picture.Draw(canvas->dc(), CRect(0, 0, canvas->width(), canvas->height()));
        return canvas;
    }

    static std::unique_ptr<SkinFiles> s_skins;
};
std::unique_ptr<SkinFiles> MPictureTest::s_skins;

struct Probe {
    int x, y;  // in the picture's own coordinates
    DWORD rgb;
};

}  // namespace

TEST_F(MPictureTest, EachShowModeFitsTheImageItsOwnWay) {
    const DWORD red = 0xFF0000, blue = 0x0000FF, behind = 0;
    const struct {
        const char* name;
        const wchar_t* image;
        int width, height;
        std::function<void(MPicture&)> setUp;
        std::vector<Probe> probes;
    } cases[] = {
        // By default a titled control aligns left and vertically centred.
        {"0: own size", kCoords, 50, 40, [](MPicture&) {},
         {{0, 5, CoordinateRgb(0, 0)}, {29, 34, CoordinateRgb(29, 29)}, {30, 20, behind},
          {15, 4, behind}, {15, 35, behind}}},
        // 30 x 30 tiles in 100 x 50: 4 x 2 of them, the last column 10 wide, the last row 20.
        {"1: tiled", kCoords, 100, 50,
         [](MPicture& p) { p.SetShowMode(Vela::ShowModeTile, 0); },
         {{0, 0, CoordinateRgb(0, 0)}, {35, 35, CoordinateRgb(5, 5)},
          {64, 12, CoordinateRgb(4, 12)}, {95, 45, CoordinateRgb(5, 15)},
          {99, 49, CoordinateRgb(9, 19)}}},
        {"2: stretched", kHalves, 60, 40,
         [](MPicture& p) { p.SetShowMode(Vela::ShowModeStretch, 0); },
         {{3, 3, red}, {25, 20, red}, {35, 20, blue}, {56, 36, blue}}},
        // Corners of border 6 are copied unscaled; the rest is stretched.
        {"3: nine-grid", kCoords, 60, 40,
         [](MPicture& p) { p.SetShowMode(Vela::ShowModeFrame, 6); },
         {{0, 0, CoordinateRgb(0, 0)}, {5, 5, CoordinateRgb(5, 5)},
          {54, 34, CoordinateRgb(24, 24)}, {59, 39, CoordinateRgb(29, 29)},
          {59, 0, CoordinateRgb(29, 0)}, {0, 39, CoordinateRgb(0, 29)}}},
        {"4: nine-grid with four borders", kCoords, 60, 40,
         [](MPicture& p) { p.SetShowModeMID(2, 3, 4, 5); },
         {{1, 2, CoordinateRgb(1, 2)}, {56, 35, CoordinateRgb(26, 25)},
          {59, 39, CoordinateRgb(29, 29)}, {56, 0, CoordinateRgb(26, 0)},
          {0, 35, CoordinateRgb(0, 25)}}},
        {"5: custom source", kHalves, 60, 40,
         [](MPicture& p) {
             p.SetCustomRect(CRect(10, 0, 20, 10));
             p.SetShowMode(Vela::ShowModeCustom, 0);
         },
         {{3, 3, blue}, {30, 20, blue}, {50, 30, blue}}},
        {"other: nothing", kCoords, 60, 40,
         [](MPicture& p) { p.SetShowMode(static_cast<Vela::enumShowMode>(6), 0); },
         {{5, 5, behind}, {30, 20, behind}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MPicture picture(nullptr, 5, CRect(kLeft, kTop, kLeft + c.width, kTop + c.height), 1, 1);
        ASSERT_EQ(1, picture.SetImage(c.image, 1));
        c.setUp(picture);
        const std::unique_ptr<Canvas> canvas = Paint(picture);
        for (const Probe& p : c.probes) {
            EXPECT_TRUE(NearRgb(p.rgb, canvas->Rgb(kLeft + p.x, kTop + p.y)))
                << "at " << p.x << ", " << p.y;
        }
    }
}

TEST_F(MPictureTest, AtItsOwnSizeThePictureFollowsTheAlignment) {
    const struct {
        unsigned hAlign, vAlign;
        int x, y;  // where the 30 x 30 image lands in the 50 x 40 picture
    } cases[] = {{0, 0, 0, 0},  {1, 0, 10, 0},  {2, 0, 20, 0}, {0, 4, 0, 5},  {2, 4, 20, 5},
                 {0, 8, 0, 10}, {1, 8, 10, 10}, {2, 8, 20, 10}, {7, 3, 10, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "alignment " << c.hAlign << ", " << c.vAlign);
        MPicture picture(nullptr, 5, CRect(kLeft, kTop, kLeft + 50, kTop + 40), 1, 1);
        ASSERT_EQ(1, picture.SetImage(kCoords, 1));
        picture.SetAlignment(c.hAlign, c.vAlign);
        const std::unique_ptr<Canvas> canvas = Paint(picture);
        const int x = kLeft + c.x, y = kTop + c.y;
        EXPECT_TRUE(NearRgb(CoordinateRgb(1, 1), canvas->Rgb(x + 1, y + 1)));
        EXPECT_TRUE(NearRgb(CoordinateRgb(28, 28), canvas->Rgb(x + 28, y + 28)));
        EXPECT_EQ(0u, canvas->Rgb(x - 1, y + 1));
        EXPECT_EQ(0u, canvas->Rgb(x + 30, y + 1));
    }
}

TEST_F(MPictureTest, ImagesComeFromTheSkinFolderOrTheApplicationsResources) {
    Recorder top;
    MPicture picture(&top, 5, CRect(kLeft, kTop, kLeft + 50, kTop + 40), 1, 1);
    EXPECT_EQ(CSize(0, 0), picture.GetImageSize());

    EXPECT_EQ(1, picture.SetImage(VelaFixtures::kStripPng, L"PNG", 4));
    EXPECT_EQ(CSize(25, 20), picture.GetImageSize());
    EXPECT_EQ(1u, top.updates.size());
    picture.SetShowMode(Vela::ShowModeStretch, 0);
    // Stretched: the first frame of the strip (red) fills the picture.
    EXPECT_TRUE(NearRgb(0xFF0000, Paint(picture)->Rgb(kLeft + 25, kTop + 20)));

    // A failed load leaves no image: the picture shows what lies behind. Without a file the
    // picture still asks for a repaint (so the old image goes); a failed resource does not.
    const size_t before = top.updates.size();
    EXPECT_EQ(0, picture.SetImage(VelaFixtures::kNotAnImage, L"PNG", 1));
    EXPECT_EQ(0, picture.SetImage(999, L"PNG", 1));
    EXPECT_EQ(before, top.updates.size());
    EXPECT_EQ(CSize(0, 0), picture.GetImageSize());

    EXPECT_EQ(1, picture.SetImage(kHalves, 2));
    EXPECT_EQ(CSize(10, 10), picture.GetImageSize());
    EXPECT_EQ(0, picture.SetImage(L"vela_picture_missing.png", 1));
    EXPECT_EQ(before + 2, top.updates.size());
    EXPECT_EQ(1, top.updates.back().flag);
    picture.SetUpdate(0, 0);
    EXPECT_EQ(0u, Paint(picture)->Rgb(kLeft + 25, kTop + 20));
}

TEST_F(MPictureTest, ShowModeChangesRepaintOnlyWhenTheyChangeSomething) {
    Recorder top;
    MPicture picture(&top, 5, CRect(0, 0, 20, 20), 1, 1);
    const struct {
        const char* name;
        std::function<int(MPicture&)> call;
        int result;
        bool asks;
    } steps[] = {
        {"mode 0, border 6: same mode", [](MPicture& p) {
             return p.SetShowMode(Vela::ShowModeNormal, 6); }, 0, false},
        {"mode 3, border 4", [](MPicture& p) {
             return p.SetShowMode(Vela::ShowModeFrame, 4); }, 1, true},
        {"mode 3, border 4 again", [](MPicture& p) {
             return p.SetShowMode(Vela::ShowModeFrame, 4); }, 0, false},
        {"mode 3, border 6", [](MPicture& p) {
             return p.SetShowMode(Vela::ShowModeFrame, 6); }, 1, true},
        {"four borders", [](MPicture& p) { return p.SetShowModeMID(1, 2, 3, 4); }, 1, true},
        {"four borders again", [](MPicture& p) { return p.SetShowModeMID(1, 2, 3, 4); }, 1, true},
        {"custom rect", [](MPicture& p) {
             p.SetCustomRect(CRect(0, 0, 5, 5));
             return 0; }, 0, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        const size_t before = top.updates.size();
        EXPECT_EQ(s.result, s.call(picture));
        EXPECT_EQ(s.asks ? before + 1 : before, top.updates.size());
    }
}
