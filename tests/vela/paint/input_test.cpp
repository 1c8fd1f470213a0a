// Input through real window messages: hover, the window drag with the pointer of the test
// display, Tab focus cycling and the wheel.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "vela/Manager.h"
#include "vela/paint/PaintKit.h"

namespace {

using PaintTest::HostWindow;
using PaintTest::Pump;
using Vela::CPoint;
using Vela::CRect;
using VelaTest::Box;

class PaintManagerInput : public ::testing::Test {
protected:
    PaintManagerInput() { Vela::Manager::SetInstance(::GetModuleHandleW(nullptr)); }
    ~PaintManagerInput() override { SetModifiers(false, false); }

    // The thread's key state, as GetKeyState reads it.
    static void SetModifiers(bool shift, bool ctrl) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        ::SetKeyboardState(keys);
    }
};

// Records the direction of every wheel step it is offered and takes it.
class WheelBox : public Box {
public:
    using Box::Box;
    int OnControlScroll(int, unsigned direction, CPoint) override {
        directions.push_back(direction);
        return 1;
    }
    std::vector<unsigned> directions;
};

TEST_F(PaintManagerInput, LastOfOverlappingRespondingControlsIsHovered) {
    HostWindow window(CRect(200, 200, 400, 350));
    Box* first = window.Add(new Box(&window, 1, CRect(10, 10, 100, 100)));
    Box* second = window.Add(new Box(&window, 2, CRect(20, 20, 110, 110)));
    Box* third = window.Add(new Box(&window, 3, CRect(30, 30, 120, 120)));
    Box* refusing = window.Add(new Box(&window, 4, CRect(0, 0, 150, 150), 0, 1, 1, 0));
    ::SetCursorPos(200 + 50, 200 + 50);  // the pointer is in the window: tracking arms
    ::SendMessageW(window.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    EXPECT_EQ(window.manager.GetHoverControl(), third);
    EXPECT_NE(window.manager.GetHoverControl(), refusing);
    // Every control saw the move, so each keeps its own hover state.
    for (Box* box : {first, second, third}) EXPECT_FALSE(box->events.empty());

    ::SendMessageW(window.GetSafeHwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(window.manager.GetHoverControl(), nullptr);
}

// Presses, drags and releases the display's pointer through the system's input queue
// (SendInput, which Wine feeds to the display's pointer as hardware input; xdotool's button
// events do not reach a Wine window on this display). It runs on a thread of its own: while
// the button is held, the window thread is inside the system's move loop.
DWORD WINAPI DragThread(void* parameter) {
    const POINT* path = static_cast<const POINT*>(parameter);  // from, middle, to
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    auto send = [&](DWORD flags, POINT at) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = ((at.x << 16) + width - 1) / width;  // normalised absolute coordinates
        input.mi.dy = ((at.y << 16) + height - 1) / height;
        input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        ::SendInput(1, &input, sizeof(input));
        ::Sleep(150);
    };
    send(0, path[0]);
    send(MOUSEEVENTF_LEFTDOWN, path[0]);
    send(0, path[1]);
    send(0, path[2]);
    send(MOUSEEVENTF_LEFTUP, path[2]);
    return 0;
}

void DragWithPointer(HostWindow& window, POINT from, POINT to) {
    POINT path[3] = {from, {(from.x + to.x) / 2, (from.y + to.y) / 2}, to};
    HANDLE thread = ::CreateThread(nullptr, 0, DragThread, path, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    while (::WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) Pump(20, &window);
    ::CloseHandle(thread);
    Pump(100, &window);
}

TEST_F(PaintManagerInput, PressOnBackgroundOrRefusingControlDragsTheWindow) {
    struct Case {
        const char* what;
        int wndDrag;
        POINT press;  // client coordinates
        bool moves;
    } cases[] = {
        {"background", 1, {150, 100}, true},
        {"background, window drag off", 0, {150, 100}, false},
        {"control that refuses the press", 1, {20, 20}, true},
    };
    for (const Case& c : cases) {
        HostWindow window(CRect(300, 300, 500, 450));
        Box* refusing = window.Add(new Box(&window, 1, CRect(0, 0, 60, 60)));
        refusing->SetRresponse(0);
        window.manager.EnableWndDrag(c.wndDrag);
        ::SetForegroundWindow(window.GetSafeHwnd());
        Pump(100, &window);
        const POINT from = {300 + c.press.x, 300 + c.press.y};
        DragWithPointer(window, from, {from.x + 60, from.y + 40});
        CRect rect;
        window.GetWindowRect(&rect);
        if (c.moves) {
            EXPECT_EQ(rect.TopLeft(), CPoint(360, 340)) << c.what;
        } else {
            EXPECT_EQ(rect.TopLeft(), CPoint(300, 300)) << c.what;
        }
    }
}

TEST_F(PaintManagerInput, TabCyclesFocusForwardAndBackward) {
    struct Case {
        const char* what;
        int focus;  // index of the focus control before the key, -1 none
        bool shift, ctrl;
        int expected;  // index after the key
        bool consumed;
    } cases[] = {
        {"tab from the first", 0, false, false, 2, true},  // 1 is no tab stop
        {"tab wraps from the last", 3, false, false, 0, true},
        {"tab without focus", -1, false, false, 0, true},
        {"shift+tab goes back", 2, true, false, 0, true},
        {"shift+tab wraps from the first", 0, true, false, 3, true},
        {"ctrl+tab is not consumed", 0, false, true, 0, false},
    };
    for (const Case& c : cases) {
        HostWindow window(CRect(200, 200, 400, 350));
        std::vector<Box*> boxes;
        for (unsigned i = 0; i < 4; ++i) {
            boxes.push_back(window.Add(new Box(&window, i + 1, CRect(i * 40, 0, i * 40 + 30, 30))));
            boxes.back()->SetTabStop(i != 1);
        }
        window.manager.SetFocusControl(c.focus >= 0 ? boxes[c.focus] : nullptr);
        SetModifiers(c.shift, c.ctrl);
        ::PostMessageW(window.GetSafeHwnd(), WM_KEYDOWN, VK_TAB, 0);
        Pump(50, &window);
        SetModifiers(false, false);
        EXPECT_EQ(window.manager.GetFocusControl(), boxes[c.expected]) << c.what;
        // A key that is not consumed is dispatched: the controls are offered it.
        const auto& events = boxes[0]->events;
        const bool offered = std::any_of(events.begin(), events.end(),
                                         [](const Box::Event& e) { return e.what == "key"; });
        EXPECT_EQ(offered, !c.consumed) << c.what;
    }
}

TEST_F(PaintManagerInput, WheelStepsByWholeNotches) {
    struct Case {
        int delta;
        std::vector<unsigned> directions;
        long handled;
    } cases[] = {
        {-240, {1, 1}, 1},
        {60, {}, 0},
        {120, {0}, 1},
        {-119, {}, 0},
    };
    for (const Case& c : cases) {
        HostWindow window(CRect(200, 200, 400, 350));
        auto* box = window.Add(new WheelBox(&window, 1, CRect(0, 0, 100, 100)));
        const long result = static_cast<long>(::SendMessageW(
            window.GetSafeHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(c.delta)),
            MAKELPARAM(200 + 50, 200 + 50)));
        EXPECT_EQ(box->directions, c.directions) << c.delta;
        EXPECT_EQ(result, c.handled) << c.delta;
    }
}

}  // namespace
