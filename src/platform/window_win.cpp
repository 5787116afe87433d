#include "platform/window_win.h"

#include "platform/boxes_win.h"
#include "platform/text_win.h"
#include "platform/user32_win.h"
#include "resources/resource.h"

namespace vantrel::win {

// ---- the window skeleton ------------------------------------------------------------

Window::~Window() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void Window::Create(const WindowDesign& design, const Frame& frame) {
    const HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(inst, design.className, &wc)) {
        wc.lpfnWndProc = &Window::Proc;
        wc.hInstance = inst;
        // Shared icons belong to the system's cache: loaded once, never destroyed.
        wc.hIcon = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
        wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_VANTREL), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_SHARED));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        wc.lpszClassName = design.className;
        if (!RegisterClassExW(&wc)) RaiseLastError();
    }
    dpi_ = ScreenDpi();
    const SIZE outer = OuterSize(design, frame.style, frame.exStyle, dpi_);
    if (!CreateWindowExW(frame.exStyle, design.className, Widen(design.title).c_str(), frame.style, frame.x, frame.y,
                         outer.cx, outer.cy, frame.owner, nullptr, inst, this))
        RaiseLastError();
    // A dialog frame shows only an icon set on the window itself; other
    // frames take the class's, and setting it again costs start-up time.
    if (frame.exStyle & WS_EX_DLGMODALFRAME) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(wc.hIcon));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(wc.hIconSm));
    }
    controls_.Create(hwnd_, design, dpi_);
    // On a monitor of another scale than the primary one: that monitor's.
    if (const int dpi = WindowDpi(hwnd_); dpi != dpi_) {
        RECT r;
        GetWindowRect(hwnd_, &r);
        const SIZE size = OuterSize(design, frame.style, frame.exStyle, dpi);
        ChangeDpi(dpi, RECT{r.left, r.top, r.left + size.cx, r.top + size.cy});
    }
}

void Window::OpenModal(const WindowDesign& design, const Frame& frame, const std::function<void()>& load,
                       Place place) {
    Create(design, frame);
    load();
    // The system's default place is on the primary monitor, which need not
    // be the one the user is looking at.
    if (place == Place::Centred ||
        MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST) != MonitorFromWindow(frame.owner, MONITOR_DEFAULTTOPRIMARY))
        CentreOnMonitorOf(hwnd_, frame.owner);
    ShowModal(hwnd_, frame.owner);
}

void Window::CloseModal() {
    if (hwnd_) EndModal(hwnd_);
}

void Window::ChangeDpi(int dpi, const RECT& r) {
    dpi_ = dpi;
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    controls_.Layout(dpi);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT CALLBACK Window::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = h;
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        // Windows 10 1607 scales a per-monitor window's frame and title bar
        // only when asked here; later systems do it by themselves.
        static const auto scaleFrame = User32<BOOL(WINAPI*)(HWND)>("EnableNonClientDpiScaling");
        if (scaleFrame) scaleFrame(h);
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(h, msg, wp, lp);
    }
    return Fenced([&] { return self->OnMessage(msg, wp, lp); });
}

LRESULT Window::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND f = GetFocus();
            if (f && IsChild(hwnd_, f)) lastFocus_ = f;
        } else {
            RestoreFocus();
        }
        return 0;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_CTLCOLORSTATIC:
        return controls_.Colour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_DPICHANGED:
        // Moved to a monitor of another scale: the system suggests the place.
        ChangeDpi(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

void Window::RestoreFocus() {
    HWND target = lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)
                      ? lastFocus_
                      : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target) SetFocus(target);
}

// ---- loops and modal display ------------------------------------------------------------

int MessageLoop(HWND window, bool modal, LoopWaits* waits) {
    MSG msg;
    while (!modal || IsWindow(window)) {
        // Nothing to do means no wake-up at all: no timer, no polling.
        const std::vector<HANDLE> handles = waits ? waits->Handles() : std::vector<HANDLE>();
        const DWORD n = static_cast<DWORD>(handles.size());
        const DWORD got = MsgWaitForMultipleObjectsEx(n, handles.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        // Messages first, even when an object woke the loop: a pick the user
        // made is posted while its input is handled, and must be written
        // before a change seen meanwhile moves the list it reads.
        while ((!modal || IsWindow(window)) && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // WM_QUIT belongs to the outermost loop.
                if (modal) PostQuitMessage(static_cast<int>(msg.wParam));
                return static_cast<int>(msg.wParam);
            }
            const bool ours = msg.hwnd == window || IsChild(window, msg.hwnd);
            if (modal && ours && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR) &&
                (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE))
                continue;
            if (IsDialogMessageW(window, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (got >= WAIT_OBJECT_0 + n) continue;
        // Then the object, looked up again as the objects are now: the
        // messages may have changed which there are. The wait at the top
        // returns at once for any other that is signalled.
        const std::vector<HANDLE> now = waits->Handles();
        const DWORD ready = now.empty() ? WAIT_TIMEOUT
                                        : WaitForMultipleObjects(static_cast<DWORD>(now.size()), now.data(), FALSE, 0);
        if (ready < WAIT_OBJECT_0 + now.size()) waits->Signalled(ready - WAIT_OBJECT_0);
    }
    return 0;
}

void ShowModal(HWND dialog, HWND owner) {
    // An owner that was already disabled (a nested modal) stays so afterwards.
    const bool reenable = owner && IsWindowEnabled(owner);
    if (reenable) EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    MessageLoop(dialog, true);
    // EndModal has usually done this already; not for a dialog destroyed otherwise.
    if (reenable && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

void EndModal(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
}

void CentreOnMonitorOf(HWND h, HWND owner) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &info)) return;
    RECT r{};
    GetWindowRect(h, &r);
    const RECT& w = info.rcWork;
    const Corner at = CentredIn({w.left, w.top, w.right, w.bottom}, r.right - r.left, r.bottom - r.top);
    SetWindowPos(h, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vantrel::win
