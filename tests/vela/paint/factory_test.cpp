// The control factory and the control lists.
#include <gtest/gtest.h>

#include <memory>

#include "vela/MText.h"
#include "vela/Manager.h"
#include "vela/paint/PaintKit.h"

namespace {

using PaintTest::HostWindow;
using Vela::CRect;
using Vela::MControl;

class PaintManagerFactory : public ::testing::Test {
protected:
    PaintManagerFactory() : window(CRect(200, 200, 400, 350)) {}
    static void SetUpTestSuite() { Vela::Manager::SetInstance(::GetModuleHandleW(nullptr)); }

    bool Listed(MControl* control) {
        auto& controls = window.manager.GetControls();
        return std::find(controls.begin(), controls.end(), control) != controls.end();
    }

    HostWindow window;
};

TEST_F(PaintManagerFactory, CreatesByExactClassName) {
    auto& manager = window.manager;
    MControl* text = manager.CreateControl(&window, L"MText", 5, CRect(0, 0, 50, 20), L"hello", 1, 1);
    auto* label = dynamic_cast<Vela::MText*>(text);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetTitle(), L"hello");
    EXPECT_EQ(label->IsVisible(), 1);
    EXPECT_EQ(label->IsEnabled(), 0);  // a text label is created disabled
    EXPECT_EQ(label->GetManager(), &manager);
    EXPECT_TRUE(Listed(label));
    EXPECT_EQ(manager.GetControl(5), label);

    for (const wchar_t* name : {L"mtext", L"MTEXT", L"", L"CSliderPicture", L"NoSuchControl"}) {
        EXPECT_EQ(manager.CreateControl(&window, name, 6, CRect(), L"x", 1, 1), nullptr);
    }
    EXPECT_EQ(manager.CreateControl(&window, nullptr, 6, CRect(), L"x", 1, 1), nullptr);
    EXPECT_EQ(manager.GetControls().size(), 1u);
}

TEST_F(PaintManagerFactory, KindDecidesTheList) {
    auto& manager = window.manager;
    MControl* area = manager.CreateArea(&window, L"CArea", 7, CRect(0, 0, 50, 50), L"", 1, 0);
    ASSERT_NE(area, nullptr);
    EXPECT_FALSE(Listed(area));
    EXPECT_EQ(manager.GetControl(7), area);  // found in the area list
    EXPECT_EQ(area->IsEnabled(), 1);         // an area is always enabled

    std::unique_ptr<MControl> loose(
        manager.CreateControl(2, &window, L"MButton", 8, CRect(0, 0, 50, 20), L"ok", 1, 1));
    ASSERT_NE(loose, nullptr);
    EXPECT_FALSE(Listed(loose.get()));
    EXPECT_EQ(manager.GetControl(8), nullptr);  // in neither list: the caller owns it
    EXPECT_EQ(loose->GetManager(), &manager);
}

TEST_F(PaintManagerFactory, RemovedControlIsNoLongerHoveredOrFocused) {
    auto& manager = window.manager;
    MControl* button =
        manager.CreateControl(&window, L"MButton", 9, CRect(0, 0, 80, 40), L"ok", 1, 1);
    ASSERT_NE(button, nullptr);
    ::SetCursorPos(200 + 10, 200 + 10);
    ::SendMessageW(window.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    ASSERT_EQ(manager.GetHoverControl(), button);
    manager.SetFocusControl(button);
    manager.RemoveControl(button);
    EXPECT_EQ(manager.GetHoverControl(), nullptr);
    EXPECT_EQ(manager.GetFocusControl(), nullptr);
    EXPECT_EQ(manager.GetControl(9), nullptr);
    ::SendMessageW(window.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(12, 12));  // nothing to reach
}

}  // namespace
