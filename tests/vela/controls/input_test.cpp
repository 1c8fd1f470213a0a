// MControl: routing of mouse, wheel, key and timer events down the tree, focus hand-over
// and tooltips through the host.
#include <gtest/gtest.h>

#include <windows.h>

#include "vela/MControl.h"
#include "vela/controls/ControlKit.h"

using Vela::CPoint;
using Vela::CRect;
using VelaTest::Box;
using VelaTest::Recorder;
using VelaTest::TestHost;

TEST(MControlInput, TheHoverChildKeepsTheMouseWhileAButtonIsHeld) {
    Recorder top;
    Box root(&top, 3, CRect(0, 0, 100, 100));
    Box* child = root.Add(new Box(nullptr, 5, CRect(10, 10, 30, 30)));
    child->consume = 1;

    EXPECT_EQ(1, root.OnMouseMove(0, CPoint(15, 15)));
    EXPECT_EQ(child, root.Hover());
    EXPECT_EQ(1, root.OnLButtonDown(MK_LBUTTON, CPoint(15, 15)));
    EXPECT_EQ(1, child->Press());
    child->events.clear();
    root.OnMouseMove(MK_LBUTTON, CPoint(80, 80));  // outside the child, button held
    ASSERT_EQ(1u, child->events.size());
    EXPECT_EQ("move", child->events[0].what);
    EXPECT_EQ(CPoint(80, 80), child->events[0].point);
    EXPECT_EQ(child, root.Hover());

    root.OnLButtonUp(0, CPoint(80, 80));
    EXPECT_EQ(0, root.Press());
    EXPECT_EQ("up", child->events.back().what);
    root.OnMouseMove(0, CPoint(80, 80));
    EXPECT_EQ(nullptr, root.Hover());
}

TEST(MControlInput, ScrollBarIdsGetThePointAsItCameInOthersTheTranslatedOne) {
    const struct {
        unsigned id;
        CPoint expected;
    } cases[] = {{1, CPoint(95, 50)}, {2, CPoint(95, 50)}, {3, CPoint(95, 150)},
                 {5, CPoint(95, 150)}};
    for (const auto& c : cases) {
        Recorder top;
        Box panel(&top, 9, CRect(0, 0, 100, 100));
        panel.translation = CPoint(0, 100);  // content scrolled up by 100
        Box* child = panel.Add(new Box(nullptr, c.id, CRect(0, 0, 100, 200)));
        panel.OnMouseMove(0, CPoint(95, 50));
        ASSERT_EQ(1u, child->events.size()) << "id " << c.id;
        EXPECT_EQ(c.expected, child->events[0].point) << "id " << c.id;
    }
}

TEST(MControlInput, ADoubleClickWithoutTheFlagIsASecondPress) {
    Recorder top;
    Box box(&top, 4, CRect(0, 0, 20, 20));
    box.OnLButtonDblClk(MK_LBUTTON, CPoint(5, 5));
    ASSERT_EQ(1u, box.events.size());
    EXPECT_EQ("down", box.events[0].what);
    EXPECT_TRUE(top.notes.empty());

    box.SetDoubleClick(1, 1);
    box.OnLButtonDblClk(MK_LBUTTON, CPoint(5, 5));
    EXPECT_EQ("dblclk", box.events.back().what);
    ASSERT_EQ(1u, top.notes.size());  // code 3 before the reaction, point by address
    EXPECT_EQ(3u, top.notes[0].code);
    EXPECT_EQ(static_cast<unsigned long>(MK_LBUTTON), top.notes[0].wParam);
    EXPECT_NE(0, top.notes[0].lParam);
    box.OnLButtonDblClk(0, CPoint(50, 5));  // outside: no notification
    EXPECT_EQ(1u, top.notes.size());

    // Through a hover child that has no double-click flag: it gets a press.
    Box root(&top, 6, CRect(0, 0, 100, 100));
    Box* child = root.Add(new Box(nullptr, 7, CRect(10, 10, 30, 30)));
    root.OnLButtonDown(0, CPoint(15, 15));
    root.OnLButtonUp(0, CPoint(15, 15));
    child->events.clear();
    root.OnLButtonDblClk(0, CPoint(15, 15));
    ASSERT_FALSE(child->events.empty());
    EXPECT_EQ("down", child->events.back().what);
}

TEST(MControlInput, KeysGoDownTheChainOfFocusedChildren) {
    Recorder top;
    Box root(&top, 3, CRect(0, 0, 100, 100));
    Box* a = root.Add(new Box(nullptr, 10, CRect(0, 0, 50, 50)));
    Box* b = a->Add(new Box(nullptr, 11, CRect(0, 0, 20, 20)));
    Box* sibling = root.Add(new Box(nullptr, 12, CRect(50, 0, 100, 50)));
    a->SetFocusedFlag(1);
    b->SetFocusedFlag(1);
    b->SetKeyNotify(1);
    b->consume = 1;

    EXPECT_EQ(1, root.OnKeyDown('A', 1, 0x10));
    ASSERT_EQ(1u, b->events.size());
    EXPECT_TRUE(root.events.empty() && a->events.empty() && sibling->events.empty());
    ASSERT_EQ(1u, a->notes.size());  // code 14 to b's parent with key and flags
    EXPECT_EQ(11u, a->notes[0].id);
    EXPECT_EQ(14u, a->notes[0].code);
    EXPECT_EQ(static_cast<unsigned long>('A'), a->notes[0].wParam);
    EXPECT_EQ(0x10, a->notes[0].lParam);

    // Not consumed: still reported; an accelerator with its flags is consumed.
    b->consume = 0;
    EXPECT_EQ(0, root.OnKeyDown('B', 1, 0));
    EXPECT_EQ(2u, a->notes.size());
    b->SetAccelerator('Q', 0x11);
    EXPECT_EQ(0, root.OnKeyDown('Q', 1, 0));
    EXPECT_EQ(1, root.OnKeyDown('Q', 1, 0x11));

    // A hidden control on the chain ends the routing.
    b->SetVisible(0);
    b->events.clear();
    EXPECT_EQ(0, root.OnKeyDown('Q', 1, 0x11));
    EXPECT_TRUE(b->events.empty());
}

TEST(MControlInput, PressesHandTheFocusToTheControlThatTakesThem) {
    TestHost host;
    Recorder top;
    Box root(&top, 3, CRect(0, 0, 100, 100));
    root.SetManager(&host);
    Box* left = root.Add(new Box(nullptr, 10, CRect(0, 0, 50, 50)));
    Box* right = root.Add(new Box(nullptr, 11, CRect(50, 0, 100, 50)));

    root.OnLButtonDown(0, CPoint(10, 10));
    EXPECT_EQ(left, host.focus);
    EXPECT_EQ((std::vector<int>{1}), left->focusCalls);
    root.OnLButtonUp(0, CPoint(10, 10));
    root.OnRButtonDown(0, CPoint(60, 10));
    EXPECT_EQ(right, host.focus);
    EXPECT_EQ((std::vector<int>{1, 0}), left->focusCalls);
    EXPECT_EQ(1, right->IsFocusControl());
    EXPECT_EQ(0, left->IsFocusControl());

    // A control without a host still reacts; it just has no focus to take.
    Box detached(&top, 4, CRect(0, 0, 10, 10));
    detached.OnLButtonDown(0, CPoint(5, 5));
    EXPECT_EQ("down", detached.events.back().what);
    EXPECT_EQ(0, detached.IsFocusControl());
}

TEST(MControlInput, ATooltipIsShownOnceForTheControlThatOwnsIt) {
    TestHost host;
    Recorder top;
    Box root(&top, 3, CRect(0, 0, 100, 100));
    root.SetManager(&host);
    Box* tipped = root.Add(new Box(nullptr, 10, CRect(0, 0, 50, 50)));
    tipped->SetTooltip(L"tip text");
    EXPECT_EQ(L"tip text", tipped->GetTooltip());

    root.OnMouseMove(0, CPoint(10, 10));
    root.OnMouseMove(0, CPoint(12, 10));
    ASSERT_EQ(1u, host.tooltips.size());
    EXPECT_EQ(L"tip text", host.tooltips[0]);
    EXPECT_EQ(10, host.tooltipOwner);
    EXPECT_EQ(CRect(0, 0, 50, 50), host.tooltipRect);

    tipped->ClearTooltip();
    EXPECT_EQ(1, host.tooltipClears);
    EXPECT_EQ(0, host.tooltipOwner);
    tipped->SetTooltip(std::wstring(L"now"), CRect(1, 2, 3, 4));
    EXPECT_EQ(L"now", host.tooltips.back());
    EXPECT_EQ(10, host.tooltipOwner);
    EXPECT_EQ(L"tip text", tipped->GetTooltip());  // the stored text stays
    tipped->SetTooltip(nullptr);
    EXPECT_EQ(L"", tipped->GetTooltip());
}

TEST(MControlInput, TheWheelGoesToTheHoverChildOrTheFirstChildThatTakesIt) {
    Recorder top;
    Box root(&top, 3, CRect(0, 0, 100, 100));
    Box* left = root.Add(new Box(nullptr, 10, CRect(0, 0, 50, 50)));
    Box* right = root.Add(new Box(nullptr, 11, CRect(50, 0, 100, 50)));
    right->consume = 1;

    EXPECT_EQ(1, root.OnScroll(1, 1, CPoint(60, 10)));
    EXPECT_EQ("scroll", right->events.back().what);
    EXPECT_EQ(0, root.OnScroll(1, 1, CPoint(10, 10)));  // the left one does not take it
    EXPECT_EQ(0, root.OnScroll(1, 1, CPoint(200, 10)));
    root.consume = 1;
    EXPECT_EQ(1, root.OnScroll(1, 0, CPoint(10, 80)));  // the control itself first
    EXPECT_EQ("scroll", root.events.back().what);
    root.SetEnabled(0);
    EXPECT_EQ(0, root.OnScroll(1, 0, CPoint(10, 80)));
    root.SetEnabled(1);

    left->consume = 1;
    root.OnMouseMove(0, CPoint(10, 10));
    ASSERT_EQ(left, root.Hover());
    left->events.clear();
    root.consume = 1;
    EXPECT_EQ(1, root.OnScroll(1, 0, CPoint(10, 10)));
    EXPECT_EQ("scroll", left->events.back().what);
}

TEST(MControlInput, TicksReachTheChildrenThatRunTimersAndShow) {
    Recorder top;
    Box root(&top, 3, CRect(0, 0, 100, 100));
    Box* running = root.Add(new Box(nullptr, 10, CRect()));
    Box* idle = root.Add(new Box(nullptr, 11, CRect()));
    Box* hidden = root.Add(new Box(nullptr, 12, CRect(), RGB(1, 1, 1), 0));
    running->SetRunTimer(1);
    hidden->SetRunTimer(1);
    running->consume = 1;

    EXPECT_EQ(1, root.OnTimer());
    EXPECT_EQ(1, root.ticks);
    EXPECT_EQ(1, running->ticks);
    EXPECT_EQ(0, idle->ticks);
    EXPECT_EQ(0, hidden->ticks);
    running->consume = 0;
    EXPECT_EQ(0, root.OnTimer());
}
