// MControlFont: title, font, alignment and image strips, drawn by a concrete test control.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <memory>

#include "vela/MControlFont.h"
#include "vela/MRender.h"
#include "vela/Manager.h"
#include "vela/controls/ControlKit.h"
#include "vela/fixtures/Fixtures.h"
#include "vela/render/Canvas.h"

using Vela::CPoint;
using Vela::CRect;
using Vela::Manager;
using VelaTest::Canvas;
using VelaTest::Recorder;
using VelaTest::TestHost;

namespace {

::testing::Environment* const gdiplus =
    ::testing::AddGlobalTestEnvironment(new VelaTest::GdiplusSession);

// A titled control as the concrete ones paint: frame `state` of the strip at its own size
// at the left, then the title placed by the alignment, over what lies behind.
class Label : public Vela::MControlFont {
public:
    Label(Vela::MObject* parent, CRect rect, const wchar_t* title)
        : MControlFont(parent, 20, rect, title, 1, 1, 1) {}

    int DrawControl(HDC& target, CRect) override {
        const int w = m_rect.Width(), h = m_rect.Height();
        if (!m_update) {
            UpdateMemDC(target, w, h);
            ::BitBlt(GetMemDC(), 0, 0, w, h, target, m_rect.left, m_rect.top, SRCCOPY);
            Gdiplus::Graphics graphics(GetMemDC());
            if (m_image != nullptr) {
                graphics.DrawImage(m_image, Gdiplus::Rect(0, 0, m_frameWidth, m_frameHeight),
                                   m_frameWidth * state, 0, m_frameWidth, m_frameHeight,
                                   Gdiplus::UnitPixel);
            }
            if (!m_title.empty()) {
                std::unique_ptr<Gdiplus::Font> font = CreateTitleFont();
                const Gdiplus::Size size = Vela::MRender::GetTextBounds(*font, m_title);
                const CPoint at = Vela::MRender::GetOriginPoint(w, h, size.Width, size.Height,
                                                                m_hAlign, m_vAlign);
                graphics.SetTextRenderingHint(m_textHint);
                graphics.DrawString(m_title.c_str(), -1, font.get(),
                                    Gdiplus::PointF(Gdiplus::REAL(at.x), Gdiplus::REAL(at.y)),
                                    m_textBrush.get());
            }
        }
        ::BitBlt(target, m_rect.left, m_rect.top, w, h, GetMemDC(), 0, 0, SRCCOPY);
        return 1;
    }

    Gdiplus::REAL TitleEmSize() { return CreateTitleFont()->GetSize(); }
    int state = 0;
};

// Puts the fixture strip into the skin folder beside this program, as a file of its own.
class MControlFontTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Wine's GDI+ knows installed families by their own names only ("Arial" resolves
        // through a font replacement of GDI that GDI+ does not use).
        Manager::SetFontName(L"Liberation Sans");
        const std::wstring folder = TestHost::SkinFolder();
        ::CreateDirectoryW(SkinsOf(folder).c_str(), nullptr);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(VelaFixtures::WriteResource(VelaFixtures::kStripPng, folder + kStrip));
    }
    static void TearDownTestSuite() {
        const std::wstring folder = TestHost::SkinFolder();
        ::DeleteFileW((folder + kStrip).c_str());
        ::RemoveDirectoryW(folder.c_str());  // only when nothing else is in them
        ::RemoveDirectoryW(SkinsOf(folder).c_str());
        Manager::SetFontName(L"Arial");
    }
    // "...\skins\" of "...\skins\theme1\".
    static std::wstring SkinsOf(const std::wstring& folder) {
        return folder.substr(0, folder.size() - Manager::GetTheme().size());
    }
    static constexpr const wchar_t* kStrip = L"vela_titled_strip4.png";
};

// Horizontal extent of the pixels that differ from black in rows [top, bottom).
std::pair<int, int> InkColumns(const Canvas& canvas, int top, int bottom) {
    int first = canvas.width(), last = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (canvas.Rgb(x, y) != 0) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

}  // namespace

TEST_F(MControlFontTest, StartsWithTheLibrarysFontAndAWhiteTitle) {
    Manager::SetFontWidth(17);
    Label label(nullptr, CRect(), nullptr);
    Manager::SetFontWidth(14);
    EXPECT_EQ(L"", label.GetTitle());
    EXPECT_EQ(L"Liberation Sans", label.GetTextFont());
    EXPECT_EQ(17, label.GetFontWidth());
    EXPECT_EQ(0xFFFFFFFFu, label.GetTextColor().GetValue());
    unsigned h = 9, v = 9;
    label.GetAlignment(h, v);
    EXPECT_EQ(0u, h);
    EXPECT_EQ(4u, v);
    EXPECT_EQ(nullptr, label.GetFontFamily(L"any"));  // no host
}

TEST_F(MControlFontTest, TitleAndAlignmentAskForARepaintOnlyWhenTheyChange) {
    const struct {
        const char* name;
        void (*change)(Label&);
        bool asks;
    } cases[] = {
        {"same alignment", [](Label& l) { l.SetAlignment(0u, 4u); }, false},
        {"same horizontal", [](Label& l) { l.SetAlignment(0u); }, false},
        {"vertical only, two-value form", [](Label& l) { l.SetAlignment(0u, 8u); }, true},
        {"vertical form", [](Label& l) { l.SetVAlignment(0u); }, true},
        {"horizontal", [](Label& l) { l.SetAlignment(2u); }, true},
        {"null title", [](Label& l) { l.SetTitle(nullptr); }, true},
        {"font", [](Label& l) { l.SetFont(L"X", 20, Gdiplus::FontStyleBold); }, false},
        {"colour", [](Label& l) { l.SetTextColor(Gdiplus::Color(0xFF102030)); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder top;
        Label label(&top, CRect(0, 0, 50, 20), L"title");
        c.change(label);
        ASSERT_EQ(c.asks ? 1u : 0u, top.updates.size());
        if (c.asks) {
            EXPECT_EQ(1, top.updates[0].flag);
        }
    }
    Label label(nullptr, CRect(), L"title");
    label.SetTitle(nullptr);
    EXPECT_EQ(L"", label.GetTitle());
    label.SetAlignment(1u, 8u);
    unsigned h = 0, v = 0;
    label.GetAlignment(h, v);
    EXPECT_EQ(1u, h);
    EXPECT_EQ(8u, v);
}

TEST_F(MControlFontTest, TheGdiFontIsBuiltOnceUntilClearedOrRetitled) {
    Label label(nullptr, CRect(), L"t");
    label.SetFont(L"ignored", 18, Gdiplus::FontStyle(Gdiplus::FontStyleBold |
                                                     Gdiplus::FontStyleItalic |
                                                     Gdiplus::FontStyleStrikeout));
    HFONT font = label.GetGDIFont();
    ASSERT_NE(nullptr, font);
    LOGFONTW info = {}, gui = {};
    ::GetObjectW(font, sizeof(info), &info);
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    EXPECT_STREQ(L"Liberation Sans", info.lfFaceName);  // the library's name, not the control's
    EXPECT_EQ(-18, info.lfHeight);
    EXPECT_EQ(gui.lfWeight + 700, info.lfWeight);
    EXPECT_TRUE(info.lfItalic);
    EXPECT_FALSE(info.lfUnderline);
    EXPECT_FALSE(info.lfStrikeOut);
    EXPECT_EQ(DEFAULT_CHARSET, info.lfCharSet);

    label.SetFont(L"x", 30, Gdiplus::FontStyleRegular);
    EXPECT_EQ(font, label.GetGDIFont());  // kept although the size changed
    label.ClearGDIFont();
    HFONT rebuilt = label.GetGDIFont();
    ::GetObjectW(rebuilt, sizeof(info), &info);
    EXPECT_EQ(-30, info.lfHeight);
    label.SetTitle(L"new");
    ::GetObjectW(label.GetGDIFont(), sizeof(info), &info);
    EXPECT_EQ(-30, info.lfHeight);
    EXPECT_FALSE(info.lfItalic);
}

TEST_F(MControlFontTest, TheTitleFontScalesWithTheLibrary) {
    TestHost host;
    const struct {
        int size;
        float scale;
        float em;
    } cases[] = {{14, 1.5f, 21}, {12, 1.25f, 15}, {12, 1.3f, 15}, {14, 1.0f, 14}};
    for (const auto& c : cases) {
        Label label(nullptr, CRect(), L"t");
        label.SetManager(&host);
        label.SetFontWidth(c.size);
        Manager::SetScaleValue(c.scale);
        EXPECT_EQ(c.em, label.TitleEmSize()) << c.size << " at " << c.scale;
    }
    Manager::SetScaleValue(1.0f);
}

TEST_F(MControlFontTest, ImageStripsComeFromTheSkinFolderThroughTheHost) {
    TestHost host;  // outlives the control
    Recorder top;
    Label label(&top, CRect(0, 0, 100, 20), nullptr);
    EXPECT_EQ(0, label.SetImage(kStrip, 4));  // not attached yet
    label.SetManager(&host);
    EXPECT_EQ(1, label.SetImage(kStrip, 4));
    EXPECT_EQ(Vela::CSize(25, 20), label.GetImageSize());
    EXPECT_EQ(1u, top.updates.size());
    EXPECT_EQ(0, label.SetImage(L"missing.png", 2));
    EXPECT_EQ(Vela::CSize(25, 20), label.GetImageSize());  // the previous strip stays
    EXPECT_EQ(1u, top.updates.size());
    EXPECT_EQ(L"", label.GetImagePath());
}

TEST_F(MControlFontTest, AConcreteControlDrawsTheFrameOfItsState) {
    TestHost host;
    Label label(nullptr, CRect(10, 5, 110, 25), nullptr);
    label.SetManager(&host);
    ASSERT_EQ(1, label.SetImage(kStrip, 4));
    for (int state = 0; state < 4; ++state) {
        Canvas canvas(120, 30);
        label.state = state;
        label.SetUpdate(0, 0);
        label.Draw(canvas.dc(), CRect(0, 0, 120, 30));
        SCOPED_TRACE(::testing::Message() << "state " << state);
        const DWORD frame = VelaFixtures::kStripFrames[state] & 0xFFFFFF;
        EXPECT_EQ(frame, canvas.Rgb(10, 5));
        EXPECT_EQ(frame, canvas.Rgb(34, 24));
        EXPECT_EQ(0u, canvas.Rgb(35, 15));  // one frame wide, drawn at its own size
        EXPECT_EQ(0u, canvas.Rgb(9, 15));
    }
}

TEST_F(MControlFontTest, AConcreteControlPlacesItsTitleByTheAlignment) {
    TestHost host;
    const int left = 10, width = 200;
    const struct {
        unsigned hAlign;
        int inkFrom, inkTo;  // where the ink must lie, in canvas columns
    } cases[] = {{0, left, left + 60}, {1, left + 60, left + 140}, {2, left + 140, left + width}};
    for (const auto& c : cases) {
        Canvas canvas(left + width + 10, 40);
        Label label(nullptr, CRect(left, 5, left + width, 35), L"HIH");
        label.SetManager(&host);
        label.SetFontWidth(16);
        label.SetAlignment(c.hAlign, 4u);
        label.Draw(canvas.dc(), CRect(0, 0, canvas.width(), 40));
        const std::pair<int, int> ink = InkColumns(canvas, 0, 40);
        SCOPED_TRACE(::testing::Message() << "alignment " << c.hAlign << ", ink " << ink.first
                                          << ".." << ink.second);
        ASSERT_LE(ink.first, ink.second);  // something was drawn
        EXPECT_GE(ink.first, c.inkFrom);
        EXPECT_LE(ink.second, c.inkTo);
    }
}
