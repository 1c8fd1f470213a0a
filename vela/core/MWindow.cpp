#include "vela/MWindow.h"

#include "vela/Manager.h"

namespace Vela {
namespace {
// The window property through which super-classed windows find their object.
const wchar_t kControlProperty[] = L"Control";
const UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;  // 0x000B

bool RegisteredOrExists(ATOM atom) {
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
}  // namespace

MWindow::MWindow() : m_hParent(nullptr), m_hWnd(nullptr), m_OldWndProc(::DefWindowProcW) {}

MWindow::~MWindow() = default;

const wchar_t* MWindow::GetWindowClassName() const { return L"MWindow"; }
const wchar_t* MWindow::GetSuperClassName() const { return nullptr; }

int MWindow::ShowWindow(int cmd) {
    if (!IsSet()) return 0;
    return ::ShowWindow(m_hWnd, cmd);
}

long MWindow::OnWindowMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    return static_cast<long>(::CallWindowProcW(m_OldWndProc, m_hWnd, message, wparam, lparam));
}

int MWindow::PreTranslateMessage(MSG*) { return 0; }
int MWindow::OnInitDialog() { return 1; }
void MWindow::OnDestroyMessage(HWND) {}

// --- Creation --------------------------------------------------------------------------

int MWindow::RegisterWindowClass() {
    WNDCLASSW wc = {};
    wc.style = kClassStyle;
    wc.lpfnWndProc = &MWindow::WndProc;
    wc.hInstance = Manager::GetInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    return RegisteredOrExists(::RegisterClassW(&wc)) ? 1 : 0;
}

int MWindow::RegisterSuperClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    const wchar_t* super = GetSuperClassName();
    if (!::GetClassInfoExW(nullptr, super, &wc) &&
        !::GetClassInfoExW(Manager::GetInstance(), super, &wc)) {
        return 0;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = &MWindow::ControlProc;
    wc.hInstance = Manager::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    return RegisteredOrExists(::RegisterClassExW(&wc)) ? 1 : 0;
}

HWND MWindow::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exstyle, CRect rect,
                     HMENU menu) {
    if (IsSet() && ::IsWindow(m_hWnd)) return m_hWnd;
    m_hParent = parent;
    if (GetSuperClassName() != nullptr) {
        if (!RegisterSuperClass()) return nullptr;
    } else if (!RegisterWindowClass()) {
        return nullptr;
    }
    // WM_NCCREATE binds this object to the new handle (see WndProc / ControlProc).
    HWND hwnd = ::CreateWindowExW(exstyle, GetWindowClassName(), name, style, rect.left, rect.top,
                                  rect.Width(), rect.Height(), parent, menu,
                                  Manager::GetInstance(), this);
    m_hWnd = hwnd;
    OnInitDialog();
    return hwnd;
}

HWND MWindow::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exstyle, CRect rect) {
    return Create(parent, name, style, exstyle, rect, nullptr);
}

HWND MWindow::Create(HWND parent, CRect rect) {
    return Create(parent, L"MWindow", 0x0000080B, 0, rect, nullptr);
}

HWND MWindow::Create(HWND parent) { return Create(parent, CRect(0, 0, 800, 600)); }

// --- Message binding ---------------------------------------------------------------------

namespace {
// Where a window's object lives: the user-data slot for classes of our own, the
// "Control" property for super classes (whose own procedure may use the slot).
enum class Binding { UserData, Property };

void Bind(Binding binding, HWND hwnd, MWindow* self) {
    if (binding == Binding::UserData) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        ::SetPropW(hwnd, kControlProperty, self);
    }
}

MWindow* Lookup(Binding binding, HWND hwnd) {
    if (binding == Binding::UserData) {
        return reinterpret_cast<MWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    return static_cast<MWindow*>(::GetPropW(hwnd, kControlProperty));
}

void Unbind(Binding binding, HWND hwnd) {
    if (binding == Binding::UserData) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    } else {
        ::RemovePropW(hwnd, kControlProperty);
    }
}
}  // namespace

LRESULT MWindow::Route(bool superClass, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    const Binding binding = superClass ? Binding::Property : Binding::UserData;
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MWindow*>(
            reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        if (self == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
        self->m_hWnd = hwnd;
        Bind(binding, hwnd, self);
        return self->OnWindowMessage(message, wparam, lparam);
    }
    MWindow* self = Lookup(binding, hwnd);
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        // The last message: default handling first, then the object lets go of the
        // handle, so a destroyed window never reaches its object again.
        const LRESULT result = ::CallWindowProcW(self->m_OldWndProc, hwnd, message, wparam, lparam);
        Unbind(binding, hwnd);
        self->m_hWnd = nullptr;
        self->OnDestroyMessage(hwnd);
        return result;
    }
    return self->OnWindowMessage(message, wparam, lparam);
}

LRESULT CALLBACK MWindow::WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return Route(false, hwnd, message, wparam, lparam);
}

LRESULT CALLBACK MWindow::ControlProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    return Route(true, hwnd, message, wparam, lparam);
}

// --- Modal loop --------------------------------------------------------------------------

UINT MWindow::ShowModal(int cmd) {
    if (!IsLive()) return 0xFFFFFFFF;
    const HWND hwnd = m_hWnd;  // m_hWnd is cleared when the window is destroyed
    const HWND owner = ::GetWindow(hwnd, GW_OWNER);
    ::ShowWindow(hwnd, cmd);
    ::EnableWindow(owner, FALSE);

    UINT result = 0;
    bool quit = false;
    MSG msg = {};
    while (::IsWindow(hwnd)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got == -1) break;
        if (msg.message == WM_CLOSE && msg.hwnd == hwnd) {
            result = static_cast<UINT>(msg.wParam);
            if (owner != nullptr) {
                ::EnableWindow(owner, TRUE);
                ::SetFocus(owner);
            }
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (owner != nullptr) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
    }
    // Hand the quit message on so that an outer loop ends too.
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

// --- Guarded forwards --------------------------------------------------------------------

bool MWindow::IsLive() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
bool MWindow::IsSet() const {
    return m_hWnd != nullptr && m_hWnd != reinterpret_cast<HWND>(INVALID_HANDLE_VALUE);
}

HWND MWindow::GetSafeHwnd() const { return m_hWnd; }
HWND MWindow::GetParentHwnd() const { return m_hParent; }

DWORD MWindow::GetStyle() const {
    return IsSet() ? static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) : 0;
}
DWORD MWindow::GetExStyle() const {
    return IsSet() ? static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)) : 0;
}

namespace {
int ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT flags) {
    const DWORD old = static_cast<DWORD>(::GetWindowLongW(hwnd, index));
    const DWORD updated = (old & ~remove) | add;
    if (updated == old) return 0;
    ::SetWindowLongW(hwnd, index, static_cast<LONG>(updated));
    if (flags != 0) {
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                       flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 1;
}
}  // namespace

int MWindow::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    return IsSet() ? ModifyLong(m_hWnd, GWL_STYLE, remove, add, flags) : 0;
}
int MWindow::ModifyExStyle(DWORD remove, DWORD add, UINT flags) {
    return IsSet() ? ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, flags) : 0;
}

int MWindow::GetClientRect(CRect* rect) const {
    return IsLive() ? ::GetClientRect(m_hWnd, rect) : 0;
}
int MWindow::GetWindowRect(CRect* rect) const {
    return IsLive() ? ::GetWindowRect(m_hWnd, rect) : 0;
}
int MWindow::SetWindowTextW(const wchar_t* text) {
    return IsLive() ? ::SetWindowTextW(m_hWnd, text) : 0;
}
int MWindow::GetWindowTextW(std::wstring& text) const {
    if (!IsLive()) return 0;
    const int length = ::GetWindowTextLengthW(m_hWnd);
    text.assign(static_cast<size_t>(length), L'\0');
    if (length == 0) return 0;
    const int copied = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied));
    return copied;
}
int MWindow::GetWindowTextLengthW() const {
    return IsLive() ? ::GetWindowTextLengthW(m_hWnd) : 0;
}
int MWindow::IsWindowEnabled() const { return IsLive() ? ::IsWindowEnabled(m_hWnd) : 0; }
int MWindow::IsWindowVisible() const { return IsLive() ? ::IsWindowVisible(m_hWnd) : 0; }
int MWindow::IsIconic() const { return IsLive() ? ::IsIconic(m_hWnd) : 0; }

int MWindow::DestroyWindow() { return IsLive() ? ::DestroyWindow(m_hWnd) : 0; }
int MWindow::EnableWindow(int enable) { return IsLive() ? ::EnableWindow(m_hWnd, enable) : 0; }
int MWindow::InvalidateRect(const RECT* rect, int erase) {
    return IsLive() ? ::InvalidateRect(m_hWnd, rect, erase) : 0;
}
HWND MWindow::SetCapture() { return IsLive() ? ::SetCapture(m_hWnd) : nullptr; }
int MWindow::ReleaseCapture() { return IsLive() ? ::ReleaseCapture() : 0; }
HWND MWindow::SetFocus() { return IsLive() ? ::SetFocus(m_hWnd) : nullptr; }
UINT_PTR MWindow::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC callback) {
    return IsLive() ? ::SetTimer(m_hWnd, id, elapse, callback) : 0;
}
int MWindow::KillTimer(UINT_PTR id) { return IsLive() ? ::KillTimer(m_hWnd, id) : 0; }
int MWindow::ClientToScreen(POINT* point) const {
    return IsLive() ? ::ClientToScreen(m_hWnd, point) : 0;
}
int MWindow::ScreenToClient(POINT* point) const {
    return IsLive() ? ::ScreenToClient(m_hWnd, point) : 0;
}
int MWindow::ClientToScreen(RECT* rect) const {
    if (!IsLive()) return 0;
    return ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&rect->left)) &&
           ::ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&rect->right));
}
int MWindow::ScreenToClient(RECT* rect) const {
    if (!IsLive()) return 0;
    return ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rect->left)) &&
           ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rect->right));
}
int MWindow::SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return IsLive() ? ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags) : 0;
}
int MWindow::MoveWindow(int x, int y, int width, int height, int repaint) {
    return IsLive() ? ::MoveWindow(m_hWnd, x, y, width, height, repaint) : 0;
}
int MWindow::MoveWindow(CRect rect, int repaint) {
    return MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}
LRESULT MWindow::SendMessageW(UINT msg, WPARAM wparam, LPARAM lparam) {
    return IsSet() ? ::SendMessageW(m_hWnd, msg, wparam, lparam) : 0;
}
int MWindow::PostMessageW(UINT msg, WPARAM wparam, LPARAM lparam) {
    return IsSet() ? ::PostMessageW(m_hWnd, msg, wparam, lparam) : 0;
}

void MWindow::SetIcon(UINT resourceId) {
    // Shared icons: the system keeps one copy per size, so repeated calls leak nothing.
    const UINT load = LR_DEFAULTCOLOR | LR_SHARED;
    HANDLE big = ::LoadImageW(Manager::GetInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                              ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), load);
    HANDLE small = ::LoadImageW(Manager::GetInstance(), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                load);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void MWindow::CenterWindow(MWindow* reference) {
    const DWORD style = GetStyle();
    const bool child = (style & WS_CHILD) != 0;
    HWND ref = reference != nullptr ? reference->GetSafeHwnd() : nullptr;
    if (ref == nullptr) ref = child ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);

    CRect area;
    CRect centre;
    if (child) {
        const HWND parent = ::GetParent(m_hWnd);
        ::GetClientRect(parent, &area);
        ::GetClientRect(ref, &centre);
        ::MapWindowPoints(ref, parent, reinterpret_cast<POINT*>(&centre), 2);
    } else {
        if (ref != nullptr && (!::IsWindowVisible(ref) || ::IsIconic(ref))) ref = nullptr;
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        ::GetMonitorInfoW(::MonitorFromWindow(ref != nullptr ? ref : m_hWnd,
                                              MONITOR_DEFAULTTONEAREST),
                          &info);
        area = info.rcWork;
        if (ref != nullptr) {
            ::GetWindowRect(ref, &centre);
        } else {
            centre = area;
        }
    }

    CRect own;
    ::GetWindowRect(m_hWnd, &own);
    const LONG w = own.Width();
    const LONG h = own.Height();
    LONG x = (centre.left + centre.right) / 2 - w / 2;
    LONG y = (centre.top + centre.bottom) / 2 - h / 2;
    // The left and top edges win over the right and bottom ones.
    if (x + w > area.right) x = area.right - w;
    if (x < area.left) x = area.left;
    if (y + h > area.bottom) y = area.bottom - h;
    if (y < area.top) y = area.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MWindow::BringToTop() {
    const HWND foreground = ::GetForegroundWindow();
    const DWORD foregroundThread = ::GetWindowThreadProcessId(foreground, nullptr);
    const DWORD ownThread = ::GetWindowThreadProcessId(m_hWnd, nullptr);
    if (foregroundThread == ownThread) {
        ::SetForegroundWindow(m_hWnd);
    } else {
        ::AttachThreadInput(foregroundThread, ownThread, TRUE);
        ::AllowSetForegroundWindow(ASFW_ANY);
        ::SetForegroundWindow(m_hWnd);
        ::AttachThreadInput(foregroundThread, ownThread, FALSE);
    }
    ::ShowWindow(m_hWnd, ::IsIconic(m_hWnd) ? SW_RESTORE : SW_SHOW);
}

}  // namespace Vela
