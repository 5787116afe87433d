// Acting on another program's windows the way a user does, through the
// window system: starting it, finding its windows, waiting for them, mouse
// and keys (posted, never blocking), message boxes, the screen's pixels.
// Shared by the end-to-end tests and the screenshot tool. Every wait has a
// timeout; a wait or a step that fails is reported through the failure report.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace desktop {

constexpr int kTimeoutMs = 10000;

// Where failures go (a test framework's failure, or stderr by default).
void SetFailureReport(void (*report)(const std::string&));

// VantrelV1_0.exe beside the running exe.
std::wstring ExePath();
std::wstring W(const char* utf8);
// Ends every process of that file name.
void EndProcessesNamed(const wchar_t* exeName);

class App {
public:
    App() = default;
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    ~App();  // ends the process if it still runs
    // Starts the program; a suspended one waits for Resume().
    bool Start(const std::wstring& exe = ExePath(), bool suspended = false);
    void Resume();
    DWORD pid() const { return pi_.dwProcessId; }
    HANDLE process() const { return pi_.hProcess; }
    bool Running() const;
    bool WaitExit(DWORD* exitCode = nullptr, int timeoutMs = kTimeoutMs);
    void Kill();
    // The visible top-level window of this process with that class and title.
    HWND WaitWindow(const wchar_t* cls, const wchar_t* title, int timeoutMs = kTimeoutMs) const;
    HWND WaitMain() const;

private:
    PROCESS_INFORMATION pi_{};
};

// Visible top-level windows of a process (0: any) with that class/title (nullptr: any).
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* title);
// Pumps the driver's own messages (its windows receive broadcasts) until
// `pred` holds; false and a failure naming `what` on timeout.
bool WaitFor(const char* what, bool (*pred)(void*), void* ctx, int timeoutMs);
template <class F>
bool WaitUntil(const char* what, F pred, int timeoutMs = kTimeoutMs) {
    return WaitFor(what, [](void* c) { return (*static_cast<F*>(c))(); }, &pred, timeoutMs);
}
// Lets the program's message loop run a round: a WM_NULL round trip.
bool Sync(HWND h, int timeoutMs = kTimeoutMs);
void PumpFor(int ms);
// A hidden top-level window of the driver's own, e.g. to receive broadcasts.
HWND MakeTopLevelWindow(const wchar_t* cls, WNDPROC proc, const wchar_t* title);

std::wstring Text(HWND h);  // WM_GETTEXT, for child controls too
HWND Child(HWND parent, int id);
RECT ScreenRect(HWND h);
// The screen's pixels (0x00RRGGBB) in a rectangle, and a rectangle of it saved as a BMP file.
std::vector<DWORD> CaptureScreen(const RECT& r);
bool SaveScreenBmp(const RECT& r, const std::wstring& path);

// ---- controls and input (posted, never blocking) ------------------------------------
int ComboSel(HWND combo);
// As a user picks with the mouse: opens the list, clicks the entry in it.
void PickComboItem(HWND combo, int index);
void PostKey(HWND h, UINT vk);
void ClickButton(HWND dialog, int id);
// A button press and release at a client point, the pointer moved there first.
void Click(HWND h, POINT client, UINT downMsg);
HWND WaitPopupMenu(int timeoutMs = kTimeoutMs);  // nullptr after the timeout, no failure
bool CloseMenu(HWND menu);                       // with Escape
// Right-clicks the main window's background and takes item `downs` of its
// popup menu with the arrow keys: 設定 1, ヘルプ 2, about... 3.
bool ChooseMainMenuItem(HWND mainWnd, int downs);

// Sends WM_DPICHANGED as the system does when `window` moves to a monitor of
// `dpi`, with the rectangle the system suggests.
bool SendDpiChanged(HWND window, int dpi, const RECT& suggested);

struct MsgBox {
    HWND hwnd = nullptr;
    std::wstring title, text;
    enum class Icon { None, Hand, Information } icon = Icon::None;
    int buttons = 0;
};
// The next message box of process pid, read once it has painted its icon.
MsgBox WaitMsgBox(DWORD pid, int timeoutMs = kTimeoutMs);
void PressOk(const MsgBox& box);

}  // namespace desktop
