// paint_bench: what one paint of a window costs, without the 15 ms pause that ends every
// paint (PaintWindow, the pipeline the paint message runs before its pause).
//   1. a 340 x 250 layered window with a background image and the temperature overlay,
//      painted whole (a layered window is always handed over whole);
//   2. an 800 x 600 window with 200 buttons after one button's repaint request, and how that
//      grows with 50, 100, 200 and 400 buttons.
// Prints the median and the mean of many paints in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "vela/MButton.h"
#include "vela/Manager.h"
#include "vela/paint/PaintKit.h"

namespace {

using PaintTest::HostWindow;
using Vela::CRect;

struct Figures {
    double median, mean;
};

// Times paint() runs of the pipeline, each after prepare() made something to paint.
template <class Prepare>
Figures Measure(HostWindow& window, int runs, Prepare prepare) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        window.manager.PaintWindow();
        ::QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times) sum += t;
    return Figures{times[times.size() / 2], sum / static_cast<double>(times.size())};
}

void LayeredWindow() {
    HostWindow window(CRect(100, 100, 100 + 340, 100 + 250));
    auto& manager = window.manager;
    manager.SetLayeredWindow(1);
    manager.EnableDrawInfo(1);
    Vela::Manager::SetCPUTemp(47.9f);
    if (!manager.LoadBKImage(L"img_cpu_bkg5.png")) {
        std::printf("layered 340 x 250: no background image in the skin folder\n");
        return;
    }
    const Figures f = Measure(window, 200, [&] {
        ::InvalidateRect(window.GetSafeHwnd(), nullptr, TRUE);
    });
    std::printf("layered 340 x 250, background image and overlay: median %.3f ms, mean %.3f ms\n",
                f.median, f.mean);
}

void Buttons(int count) {
    HostWindow window(CRect(50, 50, 50 + 800, 50 + 600));
    auto& manager = window.manager;
    std::vector<Vela::MControl*> buttons;
    for (int i = 0; i < count; ++i) {
        const int x = (i % 20) * 40, y = (i / 20) * 30;  // a 20 x 20 grid fills the window
        Vela::MControl* button = manager.CreateControl(
            &window, L"MButton", static_cast<unsigned>(100 + i), CRect(x, y, x + 38, y + 28),
            L"OK", 1, 1);
        if (auto* skinned = dynamic_cast<Vela::MButton*>(button)) {
            skinned->SetImage(L"img_button.png", 4);
        }
        buttons.push_back(button);
    }
    // The first paint builds every button's cached rendering.
    ::InvalidateRect(window.GetSafeHwnd(), nullptr, FALSE);
    manager.PaintWindow();
    Vela::MControl* requester = buttons[buttons.size() / 2];
    const Figures f = Measure(window, 200, [&] { requester->UpdateControl(1, 0); });
    std::printf("800 x 600, %3d buttons, one button's repaint: median %.3f ms, mean %.3f ms\n",
                count, f.median, f.mean);
}

}  // namespace

int main() {
    Vela::Manager::SetInstance(::GetModuleHandleW(nullptr));
    Vela::Manager::InitGdiplus();
    LayeredWindow();
    for (int count : {50, 100, 200, 400}) Buttons(count);
    Vela::Manager::UnInitGdiplus();
    return 0;
}
