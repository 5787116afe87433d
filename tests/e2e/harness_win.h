// The end-to-end harness: runs the real VantrelV1_0.exe under Wine and acts
// on it as a user would, through the window system. Every wait has a timeout
// and fails the current test saying what did not happen. Anything that may
// open a modal window is posted, never sent.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

constexpr int kTimeoutMs = 10000;

// Where the driver, started as a URL handler ("--record-url URL"), writes the URL.
constexpr const wchar_t* kRecordedUrlFile = L"C:\\vantrel-url.txt";

// VantrelV1_0.exe beside the driver.
std::wstring ExePath();
std::wstring W(const char* utf8);

// ---- registry -------------------------------------------------------------
extern const wchar_t* const kMainKey;   // HKCU ...\Internet Explorer\Main
extern const wchar_t* const kZone3Key;  // HKCU ...\Internet Settings\Zones\3
extern const wchar_t* const kImageValue;
extern const wchar_t* const kUserPolicyKey;     // HKCU ...\Policies\...\Zones\3
extern const wchar_t* const kMachinePolicyKey;  // HKLM, the same path

struct RegVal {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    std::wstring Str() const;  // REG_SZ contents
    DWORD Dword() const;
};
RegVal ReadReg(HKEY root, const std::wstring& key, const std::wstring& name);
void WriteReg(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const std::vector<BYTE>& data);
void WriteRegSz(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
void WriteRegDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
void DeleteRegValue(HKEY root, const std::wstring& key, const std::wstring& name);

// Before and after each case: the browser values of a Windows system with
// Internet Explorer (images "yes", zone 3 policy 0, level 0x11500, 1C00 four
// zero bytes), no Vantrel shortcut, no Vantrel, help viewer or browser left.
void ResetCase();

// ---- processes and windows ------------------------------------------------------
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
// The dark pixels (text, lines) on screen in a rectangle, and their horizontal extent.
struct Ink {
    int pixels = 0, width = 0;
};
Ink InkOnScreen(const RECT& r);

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

// The probe DLL hooked into the UI thread of the program's window `main`. It
// reports, to a sink window of the driver, each owned window the moment it
// is shown with its owner's state, and the outcome of LoadDllRequest().
class Probe {
public:
    explicit Probe(HWND main);
    ~Probe();
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;
    bool ok() const { return hook_ != nullptr; }
    // Has the program ask for "cryptbase.dll" by its bare name.
    void LoadDllRequest();
    struct Seen {
        std::vector<std::pair<HWND, bool>> shown;  // window, owner enabled at that moment
        std::vector<DWORD> loads;                  // 0: loaded, else the error
        int plantedMarks = 0;                      // the planted copy's DllMain ran
    } seen;

private:
    static LRESULT CALLBACK Sink(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    HWND main_, sink_ = nullptr;
    HMODULE dll_ = nullptr;
    HHOOK hook_ = nullptr;
};

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

// A case that begins and ends with everything cleared away.
class ProgramCase : public ::testing::Test {
protected:
    void SetUp() override { ResetCase(); }
    void TearDown() override { ResetCase(); }
    // Starts the program; its main window, or nullptr after a failure.
    HWND Start(const std::wstring& exe = ExePath());
    // Takes item `item` of the popup menu; the window of that class and title it opens.
    HWND Open(int item, const wchar_t* cls, const char* title);
    App app;
    HWND main = nullptr;
};
// A case that begins with the program's main window up.
class StartedCase : public ProgramCase {
protected:
    void SetUp() override {
        ProgramCase::SetUp();
        ASSERT_TRUE(Start());
    }
};

}  // namespace e2e
