// minimal_window: registers a class, creates a hidden window and runs a message loop until
// the window is closed. program_bench measures its private memory as the floor that any
// window program pays under the same Wine.
//   minimal_window [idle threads]   the number starts that many threads that only wait,
//                                   to show what a thread alone costs
#include <windows.h>

#include <cwchar>

namespace {

const wchar_t kClassName[] = L"CorvaneBenchMinimalWindow";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

DWORD WINAPI IdleThread(void* stop) {
    ::WaitForSingleObject(stop, INFINITE);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const long idleThreads = std::wcstol(commandLine, nullptr, 10);
    HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    for (long i = 0; i < idleThreads && i < 64; ++i) {
        if (HANDLE thread = ::CreateThread(nullptr, 0, IdleThread, stop, 0, nullptr)) {
            ::CloseHandle(thread);
        }
    }
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (::RegisterClassExW(&wc) == 0) return 1;
    HWND hwnd = ::CreateWindowExW(0, kClassName, L"minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 200, 100, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::SetEvent(stop);
    return static_cast<int>(msg.wParam);
}
