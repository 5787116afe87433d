#include "desktop_win.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

namespace desktop {

namespace {

void (*g_report)(const std::string&) = [](const std::string& what) { std::fprintf(stderr, "%s\n", what.c_str()); };
void Fail(const std::string& what) { g_report(what); }

std::string Narrow(const std::wstring& w) {
    std::string s(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], static_cast<int>(s.size()), nullptr, nullptr);
    s.pop_back();
    return s;
}

std::wstring Dir(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

LRESULT SendTimeout(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(h, msg, wp, lp, SMTO_ABORTIFHUNG, kTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring ClassOf(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

// A message box's icon as drawn: the stop sign is mostly red, the
// information sign mostly blue.
MsgBox::Icon IconOnScreen(HWND iconStatic) {
    int red = 0, blue = 0;
    for (DWORD v : CaptureScreen(ScreenRect(iconStatic))) {
        const int r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
        if (r > 150 && g < 100 && b < 100) ++red;
        if (b > 150 && r < 100) ++blue;
    }
    if (red > 40 && red > blue) return MsgBox::Icon::Hand;
    if (blue > 40) return MsgBox::Icon::Information;
    return MsgBox::Icon::None;
}

}  // namespace

void SetFailureReport(void (*report)(const std::string&)) { g_report = report; }

std::wstring ExePath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return Dir(self) + L"\\VantrelV1_0.exe";
}

std::wstring W(const char* utf8) {
    std::wstring w(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], static_cast<int>(w.size()));
    w.pop_back();
    return w;
}


void EndProcessesNamed(const wchar_t* exeName) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe)) {
        if (lstrcmpiW(pe.szExeFile, exeName) != 0) continue;
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID)) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
    }
    CloseHandle(snap);
}

std::vector<DWORD> CaptureScreen(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<DWORD> out;
    if (w <= 0 || h <= 0) return out;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    if (HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0)) {
        HGDIOBJ old = SelectObject(mem, dib);
        BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* px = static_cast<const DWORD*>(bits);
        for (int i = 0; i < w * h; ++i) out.push_back(px[i] & 0xFFFFFF);
        SelectObject(mem, old);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return out;
}

bool SaveScreenBmp(const RECT& r, const std::wstring& path) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    const std::vector<DWORD> px = CaptureScreen(r);
    if (px.empty()) return false;
    // Bottom-up rows of 24-bit pixels, each row padded to four bytes.
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    std::string pixels(stride * h, '\0');
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const DWORD v = px[static_cast<size_t>(y) * w + x];
            char* out = &pixels[(h - 1 - y) * stride + x * 3];
            out[0] = static_cast<char>(v & 0xFF);
            out[1] = static_cast<char>((v >> 8) & 0xFF);
            out[2] = static_cast<char>((v >> 16) & 0xFF);
        }
    BITMAPINFOHEADER ih{sizeof ih, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    BITMAPFILEHEADER fh{0x4D42, 0, 0, 0, sizeof fh + sizeof ih};
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = f != INVALID_HANDLE_VALUE && WriteFile(f, &fh, sizeof fh, &written, nullptr) &&
                    WriteFile(f, &ih, sizeof ih, &written, nullptr) &&
                    WriteFile(f, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    return ok;
}


// ---- processes and windows ----------------------------------------------------------

App::~App() {
    Kill();
    if (pi_.hThread) CloseHandle(pi_.hThread);
    if (pi_.hProcess) CloseHandle(pi_.hProcess);
}

bool App::Start(const std::wstring& exe, bool suspended) {
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, suspended ? CREATE_SUSPENDED : 0, nullptr,
                        Dir(exe).c_str(), &si, &pi_)) {
        Fail("cannot start " + Narrow(exe) + " (error " + std::to_string(GetLastError()) + ")");
        return false;
    }
    return true;
}

void App::Resume() { ResumeThread(pi_.hThread); }

bool App::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

bool App::WaitExit(DWORD* exitCode, int timeoutMs) {
    if (!WaitUntil("the program to end", [this] { return !Running(); }, timeoutMs)) return false;
    if (exitCode) GetExitCodeProcess(pi_.hProcess, exitCode);
    return true;
}

void App::Kill() {
    if (!Running()) return;
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 5000);
}

HWND App::WaitWindow(const wchar_t* cls, const wchar_t* title, int timeoutMs) const {
    HWND found = nullptr;
    const std::string what = "a window of the program";
    WaitUntil(what.c_str(), [&] {
        const auto all = TopWindows(pi_.dwProcessId, cls, title);
        found = all.empty() ? nullptr : all.front();
        return found || !Running();
    }, timeoutMs);
    if (found) Sync(found);
    else if (!Running()) Fail("the program ended without showing " + what);
    return found;
}

HWND App::WaitMain() const { return WaitWindow(L"VantrelMain", L"Vantrel"); }

namespace {
struct EnumCtx {
    DWORD pid;
    const wchar_t* cls;
    const wchar_t* title;
    std::vector<HWND>* out;
};
BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<EnumCtx*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (!IsWindowVisible(h) || (c->pid && pid != c->pid) || (c->cls && ClassOf(h) != c->cls)) return TRUE;
    // Asked last: the text of a window of a thread that does not answer
    // (one of the driver's own, say) would block.
    wchar_t title[512] = {};
    if (c->title) GetWindowTextW(h, title, 512);
    if (!c->title || c->title == std::wstring(title)) c->out->push_back(h);
    return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* title) {
    std::vector<HWND> out;
    EnumCtx ctx{pid, cls, title, &out};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&ctx));
    return out;
}

bool WaitFor(const char* what, bool (*pred)(void*), void* ctx, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (pred(ctx)) return true;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) {
            Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what);
            return false;
        }
        Sleep(10);
    }
}

bool Sync(HWND h, int timeoutMs) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result)) return true;
    Fail("a window of the program did not answer within " + std::to_string(timeoutMs) + " ms");
    return false;
}

void PumpFor(int ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
        Pump();
        Sleep(10);
    }
}

HWND MakeTopLevelWindow(const wchar_t* cls, WNDPROC proc, const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);  // a second registration fails harmlessly
    return CreateWindowExW(0, cls, title, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance, nullptr);
}

std::wstring Text(HWND h) {
    std::wstring buf(1024, L'\0');
    const LRESULT got = SendTimeout(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(&buf[0]));
    buf.resize(static_cast<size_t>(std::max<LRESULT>(0, got)));
    return buf;
}

HWND Child(HWND parent, int id) { return GetDlgItem(parent, id); }

RECT ScreenRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

// ---- controls and input ----------------------------------------------------------------

int ComboSel(HWND combo) { return static_cast<int>(SendTimeout(combo, CB_GETCURSEL, 0, 0)); }

void PickComboItem(HWND combo, int index) {
    DWORD pid = 0;
    GetWindowThreadProcessId(combo, &pid);
    PostMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    // The open list is a top-level window of its own, visible only while open.
    HWND list = nullptr;
    if (!WaitUntil("the drop-down list to open", [&] {
            const auto lists = TopWindows(pid, L"ComboLBox", nullptr);
            list = lists.empty() ? nullptr : lists.front();
            return list != nullptr;
        }))
        return;
    RECT item{};
    SendTimeout(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageW(list, WM_MOUSEMOVE, 0, at);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
}

void PostKey(HWND h, UINT vk) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(h, WM_KEYDOWN, vk, 1 | scan);
    PostMessageW(h, WM_KEYUP, vk, static_cast<LPARAM>(1 | scan | (1u << 30) | (1u << 31)));
}

void ClickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Click(HWND h, POINT client, UINT downMsg) {
    POINT screen = client;
    ClientToScreen(h, &screen);
    // A menu opened "at the pointer" reads the cursor, and Wine moves the X
    // pointer asynchronously: wait until the move is seen.
    SetCursorPos(screen.x, screen.y);
    WaitUntil("the pointer to arrive", [&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
    }, 1000);
    const LPARAM at = MAKELPARAM(client.x, client.y);
    PostMessageW(h, WM_MOUSEMOVE, 0, at);
    PostMessageW(h, downMsg, 0, at);
    PostMessageW(h, downMsg + 1, 0, at);  // the matching WM_xBUTTONUP
}

HWND WaitPopupMenu(int timeoutMs) {
    HWND menu = nullptr;
    const DWORD start = GetTickCount();
    while (!menu && GetTickCount() - start < static_cast<DWORD>(timeoutMs)) {
        Pump();
        const auto menus = TopWindows(0, L"#32768", nullptr);
        if (!menus.empty()) menu = menus.front();
        else Sleep(10);
    }
    return menu;
}

bool CloseMenu(HWND menu) {
    PostKey(menu, VK_ESCAPE);
    return WaitUntil("the menu to close", [] { return TopWindows(0, L"#32768", nullptr).empty(); });
}

bool ChooseMainMenuItem(HWND mainWnd, int downs) {
    // The client area's bottom-left corner: no control covers it.
    RECT rc{};
    GetClientRect(mainWnd, &rc);
    Click(mainWnd, POINT{2, rc.bottom - 2}, WM_RBUTTONDOWN);
    HWND menu = WaitPopupMenu();
    if (!menu) {
        Fail("no popup menu opened on a right click on the background");
        return false;
    }
    for (int i = 0; i < downs; ++i) PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
    return WaitUntil("the popup menu to close", [] { return TopWindows(0, L"#32768", nullptr).empty(); });
}

bool SendDpiChanged(HWND window, int dpi, const RECT& suggested) {
    // The rectangle must lie in the program's memory: Wine hands the message's
    // pointer over as it is.
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    void* remote = VirtualAllocEx(p, nullptr, sizeof suggested, MEM_COMMIT, PAGE_READWRITE);
    DWORD_PTR result = 0;
    const bool ok = WriteProcessMemory(p, remote, &suggested, sizeof suggested, nullptr) &&
                    SendMessageTimeoutW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote),
                                        SMTO_ABORTIFHUNG, kTimeoutMs, &result);
    VirtualFreeEx(p, remote, 0, MEM_RELEASE);
    CloseHandle(p);
    if (!ok) Fail("cannot send WM_DPICHANGED to the program");
    return ok;
}

MsgBox WaitMsgBox(DWORD pid, int timeoutMs) {
    MsgBox box;
    WaitUntil("a message box", [&] {
        for (HWND h : TopWindows(pid, L"#32770", nullptr))
            if (GetDlgItem(h, 0xFFFF)) box.hwnd = h;
        return box.hwnd != nullptr;
    }, timeoutMs);
    if (!box.hwnd) return box;
    box.title = Text(box.hwnd);
    box.text = Text(GetDlgItem(box.hwnd, 0xFFFF));
    for (HWND c = GetWindow(box.hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        if (ClassOf(c) == L"Button" && IsWindowVisible(c)) ++box.buttons;
        // Read off the screen, so the box must have painted it.
        if (ClassOf(c) == L"Static" && (style & SS_TYPEMASK) == SS_ICON)
            WaitUntil("the box's icon on the screen", [&] { return (box.icon = IconOnScreen(c)) != MsgBox::Icon::None; });
    }
    return box;
}

void PressOk(const MsgBox& box) {
    for (HWND c = GetWindow(box.hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == L"Button" && IsWindowVisible(c)) PostMessageW(c, BM_CLICK, 0, 0);
}

}  // namespace desktop
