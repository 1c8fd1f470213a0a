// MControl: the tree, the upward channel, the cached rendering and the painting order.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "vela/MControl.h"
#include "vela/controls/ControlKit.h"
#include "vela/render/Canvas.h"

using Vela::CPoint;
using Vela::CRect;
using VelaTest::Box;
using VelaTest::Canvas;
using VelaTest::Recorder;

namespace {
::testing::Environment* const gdiplus =
    ::testing::AddGlobalTestEnvironment(new VelaTest::GdiplusSession);

}  // namespace

TEST(MControlTree, RequestsAndNotificationsTravelUp) {
    Recorder top;
    Box root(&top, 10, CRect(0, 0, 100, 100));
    root.forwardUpdates = true;
    Box* child = root.Add(new Box(nullptr, 11, CRect(10, 10, 90, 90)));
    child->forwardUpdates = true;
    Box* grandchild = child->Add(new Box(nullptr, 12, CRect(20, 20, 40, 30)));

    grandchild->UpdateControl(1, 0);
    grandchild->UpdateControl(CRect(1, 2, 3, 4), 0, 0);
    ASSERT_EQ(2u, top.updates.size());
    EXPECT_EQ(CRect(20, 20, 40, 30), top.updates[0].rect);  // the grandchild's rectangle
    EXPECT_EQ(1, top.updates[0].flag);
    EXPECT_EQ(&root, top.updates[0].from);                  // the top control of the tree
    EXPECT_EQ(CRect(1, 2, 3, 4), top.updates[1].rect);
    EXPECT_EQ(0, top.updates[1].flag);

    // A hidden control asks only when forced.
    grandchild->SetVisible(0, 0);
    grandchild->UpdateControl(1, 0);
    EXPECT_EQ(2u, top.updates.size());
    grandchild->UpdateControl(1, 1);
    EXPECT_EQ(3u, top.updates.size());

    // Notifications go to the parent with the sender's id and both values, and come back
    // with the parent's answer.
    top.answer = 42;
    EXPECT_EQ(42, root.SendMessageW(2, 5, -9));
    ASSERT_EQ(1u, top.notes.size());
    EXPECT_EQ(10u, top.notes[0].id);
    EXPECT_EQ(2u, top.notes[0].code);
    EXPECT_EQ(5u, top.notes[0].wParam);
    EXPECT_EQ(-9, top.notes[0].lParam);
    grandchild->SendMessageW(1, 3, 4);
    ASSERT_EQ(1u, child->notes.size());
    EXPECT_EQ(12u, child->notes[0].id);
}

TEST(MControlTree, StateChangesAskForARepaintOnlyWhenTheyShow) {
    const CRect r(10, 10, 30, 20);
    const struct {
        const char* name;
        int visible;
        std::function<void(Box&)> change;
        bool asks;
        CRect rect;
    } cases[] = {
        {"same visibility", 1, [](Box& b) { b.SetVisible(1); }, false, CRect()},
        {"hide", 1, [](Box& b) { b.SetVisible(0); }, true, r},  // the area must be cleared
        {"show", 0, [](Box& b) { b.SetVisible(1); }, true, r},
        {"hide without repaint", 1, [](Box& b) { b.SetVisible(0, 0); }, false, CRect()},
        {"move visible", 1, [](Box& b) { b.SetRect(40, 10, 20, 10); }, true, CRect(10, 10, 60, 20)},
        {"move hidden", 0, [](Box& b) { b.SetRect(CRect(40, 10, 60, 20)); }, false, CRect()},
        {"disable visible", 1, [](Box& b) { b.SetEnabled(0); }, true, r},
        {"disable hidden", 0, [](Box& b) { b.SetEnabled(0); }, false, CRect()},
        {"same enabled", 1, [](Box& b) { b.SetEnabled(1); }, false, CRect()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder top;
        Box box(&top, 3, r, RGB(1, 1, 1), c.visible);
        c.change(box);
        ASSERT_EQ(c.asks ? 1u : 0u, top.updates.size());
        if (c.asks) {
            EXPECT_EQ(c.rect, top.updates[0].rect);
            EXPECT_EQ(1, top.updates[0].flag);
        }
    }
    Recorder top;
    Box hidden(&top, 3, r, RGB(1, 1, 1), 0);
    hidden.SetRect(CRect(40, 10, 60, 20));
    EXPECT_EQ(CRect(40, 10, 60, 20), hidden.GetRect());  // stored all the same
}

TEST(MControlTree, WithoutResponseAControlTakesNoInputAndPassesNoneOn) {
    const CPoint p(15, 15);
    const struct {
        const char* name;
        std::function<int(Box&)> event;
    } events[] = {
        {"move", [&](Box& b) { return b.OnMouseMove(0, p); }},
        {"left down", [&](Box& b) { return b.OnLButtonDown(0, p); }},
        {"left up", [&](Box& b) { return b.OnLButtonUp(0, p); }},
        {"left double", [&](Box& b) { return b.OnLButtonDblClk(0, p); }},
        {"right down", [&](Box& b) { return b.OnRButtonDown(0, p); }},
        {"right double", [&](Box& b) { return b.OnRButtonDblClk(0, p); }},
        {"wheel", [&](Box& b) { return b.OnScroll(1, 1, p); }},
        {"key", [&](Box& b) { return b.OnKeyDown('A', 1, 0); }},
    };
    for (const auto& e : events) {
        for (int response : {0, 1}) {
            SCOPED_TRACE(::testing::Message() << e.name << ", response " << response);
            Recorder top;
            Box root(&top, 3, CRect(0, 0, 50, 50), RGB(1, 1, 1), 1, 1, response);
            Box* child = root.Add(new Box(nullptr, 4, CRect(10, 10, 20, 20)));
            root.consume = child->consume = 1;
            EXPECT_EQ(response, e.event(root));
            const bool reached = !root.events.empty() || !child->events.empty();
            EXPECT_EQ(response == 1, reached);
        }
    }
}

TEST(MControlTree, TheCachedRenderingIsRebuiltOnlyAfterBeingMarkedOutOfDate) {
    Canvas canvas(100, 60);
    Recorder top;
    Box box(&top, 1, CRect(10, 10, 50, 40), RGB(0, 0, 200));
    Box* inside = box.Add(new Box(nullptr, 5, CRect(12, 12, 20, 20)));
    Box* outside = box.Add(new Box(nullptr, 6, CRect(60, 10, 70, 20)));
    const CRect all(0, 0, 100, 60);

    box.Draw(canvas.dc(), all);
    box.Draw(canvas.dc(), all);
    EXPECT_EQ(1, box.paints);
    EXPECT_EQ(1, box.GetUpdate());
    EXPECT_EQ(0x0000C8u, canvas.Rgb(25, 30));

    box.SetUpdate(0, 0);  // marks the box and the children that overlap it
    EXPECT_EQ(0, inside->GetUpdate());
    EXPECT_EQ(1, outside->GetUpdate());
    box.Draw(canvas.dc(), all);
    EXPECT_EQ(2, box.paints);
    EXPECT_EQ(2, inside->paints);
    EXPECT_EQ(1, outside->paints);

    // The bitmap behind the cache is made again only for a new size.
    auto cacheWidth = [&] {
        BITMAP info = {};
        ::GetObjectW(::GetCurrentObject(box.MemDC(), OBJ_BITMAP), sizeof(info), &info);
        return info.bmWidth;
    };
    EXPECT_EQ(40, cacheWidth());
    box.SetRect(CRect(10, 10, 70, 40));
    box.SetUpdate(0, 0);
    box.Draw(canvas.dc(), all);
    EXPECT_EQ(60, cacheWidth());
}

TEST(MControlTree, AreasPaintBehindTheControlAndLaterControlsOverEarlierOnes) {
    Canvas canvas(80, 10);
    Recorder top;
    // Each box paints the left half of its rectangle and shows what lies behind on the right.
    Box parent(&top, 1, CRect(0, 0, 40, 10), RGB(0, 0, 1));
    parent.AddArea(new Box(nullptr, 2, CRect(20, 0, 60, 10), RGB(0, 0, 2)));
    parent.Add(new Box(nullptr, 3, CRect(10, 0, 30, 10), RGB(0, 0, 3)));
    parent.Add(new Box(nullptr, 4, CRect(15, 0, 35, 10), RGB(0, 0, 4)));
    parent.Add(new Box(nullptr, 5, CRect(0, 0, 40, 10), RGB(0, 0, 5), /*visible*/ 0));

    EXPECT_EQ(0, parent.Draw(canvas.dc(), CRect(50, 0, 80, 10)));  // clip misses the parent
    EXPECT_EQ(0u, canvas.Rgb(5, 5));
    EXPECT_EQ(1, parent.Draw(canvas.dc(), CRect(0, 0, 80, 10)));
    const struct {
        int x;
        DWORD rgb;
    } expected[] = {{5, 1}, {12, 3}, {17, 4}, {22, 4}, {27, 2}, {33, 2}, {45, 0}};
    for (const auto& e : expected) EXPECT_EQ(e.rgb, canvas.Rgb(e.x, 5)) << "x " << e.x;
}

TEST(MControlTree, GetControlSearchesDepthFirstAndAreasLast) {
    Recorder top;
    Box root(&top, 1, CRect(0, 0, 10, 10));
    Box* a = root.Add(new Box(nullptr, 5, CRect()));
    Box* aa = a->Add(new Box(nullptr, 7, CRect()));
    root.Add(new Box(nullptr, 7, CRect()));
    Box* area = root.AddArea(new Box(nullptr, 9, CRect()));
    root.AddArea(new Box(nullptr, 5, CRect()));

    EXPECT_EQ(aa, root.GetControl(7));  // a grandchild before a later sibling
    EXPECT_EQ(a, root.GetControl(5));   // controls before areas
    EXPECT_EQ(area, root.GetControl(9));
    EXPECT_EQ(nullptr, root.GetControl(1));  // never the control itself
    EXPECT_EQ(nullptr, root.GetControl(42));
}

TEST(MControlTree, RemovingAControlDeletesItAndTakesItFromTheHost) {
    VelaTest::TestHost host;
    Recorder top;
    Box root(&top, 1, CRect(0, 0, 100, 100));
    root.SetManager(&host);
    bool deleted = false, areaDeleted = false, grandchildDeleted = false;
    Box* a = root.Add(new Box(nullptr, 5, CRect(0, 0, 10, 10)));
    a->deleted = &deleted;
    a->consume = 1;  // takes mouse moves, so it becomes the hover child
    Box* grandchild = a->Add(new Box(nullptr, 6, CRect(0, 0, 5, 5)));
    grandchild->deleted = &grandchildDeleted;
    Box* area = root.AddArea(new Box(nullptr, 7, CRect()));
    area->deleted = &areaDeleted;
    host.SetFocusControl(grandchild);
    a->AddMTimer();
    grandchild->AddMTimer();
    root.OnMouseMove(0, CPoint(3, 3));
    ASSERT_EQ(a, root.Hover());

    EXPECT_EQ(0, root.RemoveControl(a));
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(grandchildDeleted);
    EXPECT_EQ(nullptr, root.Hover());
    EXPECT_EQ(nullptr, host.focus);
    EXPECT_TRUE(host.timerList.empty());
    EXPECT_TRUE(root.GetControls().empty());

    Box stranger(&top, 8, CRect());
    root.RemoveControl(&stranger);  // not a child: nothing happens
    root.RemoveControl(area);       // areas are not searched
    EXPECT_FALSE(areaDeleted);
    root.RemoveAllControl();
    EXPECT_TRUE(areaDeleted);
}

TEST(MControlTree, TheFocusControlLosesTheFocusBeforeItIsRemoved) {
    VelaTest::TestHost host;
    Recorder top;
    Box root(&top, 1, CRect(0, 0, 100, 100));
    root.SetManager(&host);
    Box* a = root.Add(new Box(nullptr, 5, CRect(0, 0, 10, 10)));
    std::vector<int> calls;
    struct Watch : Box {
        using Box::Box;
        std::vector<int>* calls = nullptr;
        int SetControlFocus(int focus) override {
            calls->push_back(focus);
            return Box::SetControlFocus(focus);
        }
    };
    auto* watched = new Watch(nullptr, 6, CRect(20, 0, 30, 10));
    watched->calls = &calls;
    root.Add(watched);
    host.SetFocusControl(watched);
    root.RemoveControl(watched);
    EXPECT_EQ((std::vector<int>{1, 0}), calls);
    EXPECT_EQ(nullptr, host.focus);
    EXPECT_EQ(1u, root.GetControls().size());
    EXPECT_EQ(a, root.GetControls()[0]);
}

TEST(MControlTree, ParentVisibilityFollowsTheChainUpToTheDialog) {
    Recorder dialog(L"MDialog");
    Box a(&dialog, 1, CRect());
    Box* b = a.Add(new Box(nullptr, 3, CRect()));
    Box* c = b->Add(new Box(nullptr, 4, CRect()));
    EXPECT_EQ(1, c->IsParentVisible());
    c->SetVisible(0);
    EXPECT_EQ(1, c->IsParentVisible());  // its own flag is not part of the answer
    b->SetVisible(0);
    EXPECT_EQ(0, c->IsParentVisible());
    b->SetVisible(1);
    a.SetVisible(0);
    EXPECT_EQ(0, c->IsParentVisible());

    Recorder notADialog;
    Box orphan(nullptr, 5, CRect());
    Box underObject(&notADialog, 6, CRect());
    EXPECT_EQ(0, orphan.IsParentVisible());
    EXPECT_EQ(0, underObject.IsParentVisible());
}

TEST(MControlTree, CursorNamesAreExactAndOnlyKnownOnesChangeTheCursor) {
    Box box(nullptr, 1, CRect(0, 0, 10, 10));
    box.SetCursorEx(L"Hand");
    EXPECT_EQ(0, box.OnControlSetCursor(0, CPoint(5, 5)));
    EXPECT_EQ(0, box.SetCursorEx(L"hand"));
    EXPECT_EQ(1, box.OnControlSetCursor(0, CPoint(5, 5)));
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_HAND), ::GetCursor());
    EXPECT_EQ(0, box.OnControlSetCursor(0, CPoint(50, 5)));  // outside
    box.SetCursorEx(L"busy");
    box.SetCursorEx(L"cross");
    box.OnControlSetCursor(0, CPoint(5, 5));
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_CROSS), ::GetCursor());
}

TEST(MControlTree, LayoutItemsBecomeCoordinates) {
    const struct {
        Vela::FS_POSITION_ITEM item;
        int low, high, expected;
    } cases[] = {
        {{0, 0, 10.9f}, 5, 100, 15},  {{0, 1, 10.9f}, 5, 100, 90},   {{1, 0, 10}, 0, 101, 60},
        {{1, 1, 10}, 0, 101, 40},     {{2, 0, 50}, 10, 110, 60},     {{2, 0, 150}, 0, 200, 200},
        {{2, 0, 33.3f}, 0, 10, 3},    {{7, 0, 10}, 0, 100, 0},
    };
    Box box(nullptr, 1, CRect());
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, box.Position(c.item, c.low, c.high))
            << "mode " << c.item.mode << " from end " << c.item.fromEnd << " value "
            << c.item.value;
    }
}
