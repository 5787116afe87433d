#include "platform/ui_win.h"

#include <cmath>

#include "resources/resource.h"

namespace vantrel::win {

// ---- text ---------------------------------------------------------------------

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    if (n) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

namespace {
std::string FromWide(const std::wstring& w, UINT codePage, BOOL* usedDefault) {
    if (w.empty()) return std::string();
    const int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                                      usedDefault);
    std::string s(static_cast<size_t>(n), '\0');
    if (n) WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}
}  // namespace

std::string Narrow(const std::wstring& utf16) { return FromWide(utf16, CP_UTF8, nullptr); }

std::string ToAnsi(const std::wstring& text, bool* lossless) {
    BOOL usedDefault = FALSE;
    std::string s = FromWide(text, CP_ACP, lossless ? &usedDefault : nullptr);
    if (lossless) *lossless = !usedDefault;
    return s;
}

void SetText(HWND h, const std::string& utf8) { SetWindowTextW(h, Widen(utf8).c_str()); }

// ---- errors -------------------------------------------------------------------

std::string SystemMessage(int32_t number) {
    auto lookup = [](DWORD id) {
        wchar_t* buf = nullptr;
        const DWORD n = FormatMessageW(
            FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            id, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
        std::string text;
        if (n && buf) text = Narrow(std::wstring(buf, n));
        if (buf) LocalFree(buf);
        return TrimMessage(text);
    };
    const HRESULT hr = static_cast<HRESULT>(number);
    std::string text = lookup(static_cast<DWORD>(hr));
    // A Win32 error wrapped in an HRESULT is sometimes only known by its code.
    if (text.empty() && HRESULT_FACILITY(hr) == FACILITY_WIN32 && FAILED(hr))
        text = lookup(static_cast<DWORD>(HRESULT_CODE(hr)));
    return text;
}

void RaiseLastError() {
    CallFailure f;
    f.hresult = static_cast<int32_t>(HRESULT_FROM_WIN32(GetLastError()));
    throw TrappedError(MapFailure(f, SystemMessage));
}

// ---- fonts and controls ---------------------------------------------------------

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return d > 0 ? d : kDefaultDpi;
}

namespace {
// Looked up at run time: systems before Windows 10 (1607) lack them, and
// user32 is loaded already, so nothing is searched for.
template <class F>
F User32(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}
}  // namespace

int WindowDpi(HWND h) {
    static const auto get = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const int d = get ? static_cast<int>(get(h)) : 0;
    return d > 0 ? d : ScreenDpi();
}

Font MakeFont(const FontDesign* f, int dpi) {
    if (!f) {
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) return Font();
        // The system's metrics are for the screen's DPI.
        ncm.lfMessageFont.lfHeight = MulDiv(ncm.lfMessageFont.lfHeight, dpi, ScreenDpi());
        return Font(CreateFontIndirectW(&ncm.lfMessageFont));
    }
    // When the face is missing the font mapper takes the nearest of the same character set.
    const int height = -MulDiv(static_cast<int>(std::lround(f->points * 100.0)), dpi, 7200);
    return Font(CreateFontW(height, 0, 0, 0, f->bold ? FW_BOLD : FW_NORMAL, FALSE, f->underline, FALSE,
                            static_cast<BYTE>(f->charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, Widen(f->face).c_str()));
}

namespace {

struct KindClass {
    const wchar_t* cls;
    DWORD style;
};

KindClass ClassOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Link: return {L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY};
    case ControlKind::List: return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS};
    case ControlKind::Button: return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::Option: return {L"BUTTON", WS_TABSTOP | BS_AUTORADIOBUTTON | BS_MULTILINE};
    // A static with no text paints itself in the face colour: a plain panel.
    case ControlKind::Panel: return {L"STATIC", SS_LEFT | WS_CLIPCHILDREN};
    // Owner-drawn, so that the window stretches the picture into it.
    case ControlKind::Picture: return {L"STATIC", SS_OWNERDRAW};
    case ControlKind::Label: break;
    }
    // Labels let the mouse through to the window: they do not notify.
    return {L"STATIC", SS_LEFT | SS_NOPREFIX};
}

// Keeps the selection field of a drop-down list at its design height; the
// control otherwise sizes it from the font.
void FitListField(HWND list, int targetPx) {
    // The control adds borders of its own to the item height, and Wine's
    // answer to CB_GETITEMHEIGHT is not what CB_SETITEMHEIGHT takes; steer by
    // the height actually measured.
    LRESULT value = SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (value == CB_ERR) return;
    for (int round = 0; round < 4; ++round) {
        RECT r;
        GetWindowRect(list, &r);
        const int delta = targetPx - (r.bottom - r.top);
        if (delta == 0 || value + delta <= 0) return;
        value += delta;
        SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), value);
    }
}

// A list, the panel, and whatever reaches under them are clipped by the
// siblings above them, so that no repaint draws over a list or the panel.
bool Clipped(const WindowDesign& design, const ControlDesign& c) {
    auto covering = [](const ControlDesign& o) { return o.kind == ControlKind::List || o.kind == ControlKind::Panel; };
    if (covering(c)) return true;
    for (const ControlDesign& o : design) {
        const bool overlap = o.parent == c.parent && c.box.left < o.box.left + o.box.width &&
                             o.box.left < c.box.left + c.box.width && c.box.top < o.box.top + o.box.height &&
                             o.box.top < c.box.top + c.box.height;
        if (covering(o) && overlap) return true;
    }
    return false;
}

// Left, top, width and height at `dpi`; a list's box is its field, and the
// open list hangs below it.
PixelBox PlaceOf(const ControlDesign& c, int dpi) {
    PixelBox b = ToPixels(c.box, dpi);
    if (c.kind == ControlKind::List) b.height += TwipsToPixels(c.openHeight, dpi);
    return b;
}

}  // namespace

void Controls::Create(HWND window, const WindowDesign& design, int dpi) {
    design_ = &design;
    const HINSTANCE inst = GetModuleHandleW(nullptr);
    const ControlDesign* previous = nullptr;
    for (const ControlDesign& c : design) {
        const KindClass k = ClassOf(c.kind);
        // A new group wherever the kind changes: option buttons form one, and
        // the arrow keys never wander out of it.
        const bool group = !previous || previous->kind != c.kind || previous->parent != c.parent;
        HWND parent = c.parent ? (*this)[c.parent] : window;
        const PixelBox r = PlaceOf(c, dpi);
        HWND h = CreateWindowExW(c.kind == ControlKind::Panel ? WS_EX_STATICEDGE : 0, k.cls,
                                 c.caption ? Widen(c.caption).c_str() : L"",
                                 WS_CHILD | WS_VISIBLE | k.style | (group ? WS_GROUP : 0) |
                                     (Clipped(design, c) ? WS_CLIPSIBLINGS : 0),
                                 r.left, r.top, r.width, r.height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), inst, nullptr);
        if (!h) RaiseLastError();
        hwnds_.push_back(h);
        previous = &c;
    }
    // The label boxes may reach under a list; the lists lie on top, the
    // first one topmost, which keeps their tab order.
    for (size_t i = hwnds_.size(); i-- > 0;)
        if (design.controls[i].kind == ControlKind::List)
            SetWindowPos(hwnds_[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetFonts(dpi, false);
}

void Controls::Layout(int dpi) {
    for (size_t i = 0; i < hwnds_.size(); ++i) {
        const PixelBox r = PlaceOf(design_->controls[i], dpi);
        SetWindowPos(hwnds_[i], nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetFonts(dpi, true);
}

void Controls::SetFonts(int dpi, bool redraw) {
    // One font per font of the design (the user-interface font for nullptr).
    std::vector<std::pair<const FontDesign*, Font>> fonts;
    const auto fontOf = [&](const FontDesign* f) {
        for (const auto& [design, font] : fonts)
            if (design == f) return font.get();
        fonts.emplace_back(f, MakeFont(f, dpi));
        return fonts.back().second.get();
    };
    for (size_t i = 0; i < hwnds_.size(); ++i) {
        const ControlDesign& c = design_->controls[i];
        SendMessageW(hwnds_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(c.font)), redraw);
        if (c.kind == ControlKind::List) FitListField(hwnds_[i], ToPixels(c.box, dpi).height);
    }
    // The controls have their new fonts; the old ones may go.
    fonts_ = std::move(fonts);
}

HWND Controls::operator[](int id) const {
    for (size_t i = 0; i < hwnds_.size(); ++i)
        if (design_->controls[i].id == id) return hwnds_[i];
    return nullptr;
}

LRESULT Controls::Colour(HDC dc, HWND control) const {
    uint32_t colour = kSystemColour;
    for (size_t i = 0; i < hwnds_.size(); ++i)
        if (hwnds_[i] == control) colour = design_->controls[i].colour;
    if (!IsWindowEnabled(control)) colour = GetSysColor(COLOR_GRAYTEXT);
    SetTextColor(dc, colour == kSystemColour ? GetSysColor(COLOR_BTNTEXT) : colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

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
        if (got < WAIT_OBJECT_0 + n) {
            waits->Signalled(got - WAIT_OBJECT_0);
            continue;
        }
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

void CenterOnScreen(HWND h) {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        work.right = GetSystemMetrics(SM_CXSCREEN);
        work.bottom = GetSystemMetrics(SM_CYSCREEN);
    }
    RECT r{};
    GetWindowRect(h, &r);
    const int x = work.left + ((work.right - work.left) - (r.right - r.left)) / 2;
    const int y = work.top + ((work.bottom - work.top) - (r.bottom - r.top)) / 2;
    SetWindowPos(h, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE OuterSize(const WindowDesign& design, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjust = User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT r{0, 0, TwipsToPixels(design.clientWidth, dpi), TwipsToPixels(design.clientHeight, dpi)};
    if (!adjust || !adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// ---- message boxes and the end -------------------------------------------------------------

void MessageBoxes::Show(const std::string& text, const std::string& title, MsgIcon icon) {
    HWND owner = GetActiveWindow();
    UINT flags = MB_OK | MB_SETFOREGROUND | (icon == MsgIcon::Critical ? MB_ICONHAND : MB_ICONINFORMATION);
    // With an owner the box disables it as a dialog would. Without one (during
    // start-up, or from a window that is not active) MB_TASKMODAL disables all
    // of this thread's top-level windows so that none takes input meanwhile.
    flags |= owner ? MB_APPLMODAL : MB_TASKMODAL;
    MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), flags);
}

void EndOnException(std::exception_ptr e) {
    bool decided = false;
    try {
        std::rethrow_exception(e);
    } catch (const ProgramEnd&) {
        decided = true;
    } catch (...) {
    }
    if (!decided) MessageBoxes().Show(ErrText(DescribeUnexpected(e)), kErrorTitle, MsgIcon::Critical);
    // The program ends here, at once, and does not unwind to wWinMain: the
    // end may be decided inside a nested loop (a modal dialog, the popup
    // menu, a message box) whose frames belong to the system, and no C++
    // exception may cross those. Nothing is left to save: every registry
    // write is complete when its call returns, and no file is held open.
    ExitProcess(decided ? 0 : 1);
}

}  // namespace vantrel::win
