// The end-to-end harness: runs the real VantrelV1_0.exe under Wine and acts on
// it as a user would, through the window system. Every wait has a timeout and
// fails the current test with a message saying what did not appear.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

constexpr int kTimeoutMs = 10000;

// VantrelV1_0.exe beside the driver (or VANTREL_EXE when set).
std::wstring ExePath();

// ---- registry -------------------------------------------------------------
// The browser values a Windows system with Internet Explorer has; ResetCase()
// writes exactly these before each case.
extern const wchar_t* const kPictsKey;   // HKLM ...\AdvancedOptions\MULTIMEDIA\PICTS
extern const wchar_t* const kMainKey;    // HKCU Software\Microsoft\Internet Explorer\Main
extern const wchar_t* const kZone3Key;   // HKCU ...\Internet Settings\Zones\3

struct RegVal {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    std::wstring Str() const;   // REG_SZ/REG_EXPAND_SZ contents without the terminator
    DWORD Dword() const;        // REG_DWORD contents
};
RegVal ReadReg(HKEY root, const std::wstring& key, const std::wstring& name);
void WriteRegSz(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
void WriteRegDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
void WriteRegRaw(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                 const std::vector<BYTE>& data);
void DeleteRegValue(HKEY root, const std::wstring& key, const std::wstring& name);
void DeleteRegTree(HKEY root, const std::wstring& key);

// Seeds the sample browser registry (PICTS RegPath/CheckedValue/UncheckedValue,
// Display Inline Images "yes", zone 3: 1400 = 0, CurrentLevel = 0x11500,
// 1C00 = REG_BINARY 00 00 00 00), removes Vantrel shortcut files from the
// Start-menu Programs folders, and ends any Vantrel process left by a case.
void ResetCase();

// ---- registry snapshots -------------------------------------------------------
// Every key and value below a root, for before/after comparisons. Paths are
// "HKCU\key\sub" for keys and "HKCU\key\sub\\name" for values (the value
// name after a doubled backslash, so that a value never reads like a key);
// names compare without regard to case, as the registry matches them.
struct RegData {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const RegData& o) const { return type == o.type && bytes == o.bytes; }
    bool operator!=(const RegData& o) const { return !(*this == o); }
};
struct RegSnapshot {
    std::map<std::wstring, std::wstring> keys;    // lower-cased path -> path as spelled
    std::map<std::wstring, std::pair<std::wstring, RegData>> values;  // lower-cased path -> (path, data)
};
// `rootName` ("HKCU", "HKLM") prefixes the paths. Keys listed in `skip`
// (relative to root, any case) are left out with everything below them.
void SnapshotInto(RegSnapshot& into, HKEY root, const wchar_t* rootName, const std::wstring& key = L"",
                  const std::vector<std::wstring>& skip = {});
// HKCU and HKLM whole, except HKLM\System\CurrentControlSet, a link to the
// control set that is enumerated under its own name.
RegSnapshot SnapshotRegistry();

struct RegChange {
    std::wstring path;             // as spelled in the snapshot that has it
    bool isKey = false;
    bool before = false, after = false;  // present in each snapshot
    RegData was, now;              // values only
};
std::vector<RegChange> DiffRegistry(const RegSnapshot& before, const RegSnapshot& after);
// The changes less those Wine makes by itself in any session (the list and
// the reason for each entry are in harness_win.cpp).
std::vector<RegChange> WithoutWineHousekeeping(std::vector<RegChange> changes);
// One line per change, for failure messages ("+ value HKCU\..\\x REG_SZ 'no'").
std::string Describe(const std::vector<RegChange>& changes);
std::string TypeName(DWORD type);

// ---- processes --------------------------------------------------------------
class App {
public:
    App() = default;
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    ~App();                       // ends the process if it still runs
    bool Start(const std::wstring& exe = ExePath());  // ADD_FAILURE and false on failure
    DWORD pid() const { return pi_.dwProcessId; }
    HANDLE process() const { return pi_.hProcess; }
    bool Running() const;
    // Waits for the process to end; false (and ADD_FAILURE) on timeout.
    bool WaitExit(int timeoutMs = kTimeoutMs, DWORD* exitCode = nullptr);
    void Kill();
    // The visible top-level window of this process with that class and title.
    HWND WaitWindow(const wchar_t* cls, const wchar_t* title, int timeoutMs = kTimeoutMs) const;
    // Creates the process with its first thread not yet running; Resume()
    // lets it go. Two copies resumed back to back start as close together as
    // the system allows (Start() waits for input idle, which orders them).
    bool StartSuspended(const std::wstring& exe = ExePath());  // ADD_FAILURE and false on failure
    void Resume();

private:
    bool Launch(const std::wstring& exe, DWORD creationFlags);
    PROCESS_INFORMATION pi_{};
};

// Top-level windows of a process (0: any process) with the class/title given
// (nullptr: any). Visible ones only when visibleOnly.
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* title, bool visibleOnly = true);
// Waits until `pred` holds; false (and ADD_FAILURE naming `what`) on timeout.
bool WaitFor(const char* what, bool (*pred)(void*), void* ctx, int timeoutMs = kTimeoutMs);
template <class F> bool WaitUntil(const char* what, F f, int timeoutMs = kTimeoutMs) {
    return WaitFor(what, [](void* c) { return (*static_cast<F*>(c))(); }, &f, timeoutMs);
}
// Lets the program's message loop run: a SendMessageTimeout round trip to `h`.
bool Sync(HWND h, int timeoutMs = kTimeoutMs);

// A plain hidden top-level window of the driver's own class `cls` (registered
// on first use), e.g. to receive broadcasts or to stand in for another program.
HWND MakeTopLevelWindow(const wchar_t* cls, WNDPROC proc, const wchar_t* title);

std::wstring Text(HWND h);                 // WM_GETTEXT, works for child controls too
std::wstring ClassOf(HWND h);
HWND Child(HWND parent, int id);           // GetDlgItem
RECT ScreenRect(HWND h);                    // GetWindowRect
RECT ClientRect(HWND h);                    // GetClientRect

// ---- drop-down lists --------------------------------------------------------
std::vector<std::wstring> ComboItems(HWND combo);
int ComboSel(HWND combo);                   // CB_GETCURSEL
// As a user picks with the mouse: opens the list, clicks the entry in it.
void PickComboItem(HWND combo, int index);
// As a user with the keyboard on the closed list (posted key down/up).
void ComboKey(HWND combo, UINT vk);

// ---- message boxes and dialogs ----------------------------------------------
struct MsgBox {
    HWND hwnd = nullptr;
    std::wstring title;
    std::wstring text;                      // the static control 0xFFFF
    enum class Icon { None, Hand, Information, Other } icon = Icon::None;
    std::vector<std::wstring> buttons;      // captions of the push buttons
};
// The next message box (class #32770 with a 0xFFFF static) of process pid.
MsgBox WaitMsgBox(DWORD pid, int timeoutMs = kTimeoutMs);
bool NoMsgBox(DWORD pid);                   // true when none is open now
// Presses a dialog's button by control id (posted BM_CLICK, never blocking).
void ClickButton(HWND dialog, int id);
void PressOk(const MsgBox& box);            // the box's only/OK button

// ---- mouse and keyboard (posted, never blocking) ----------------------------
// A button release as a user makes it: down then up at a client point of `h`.
void RightClick(HWND h, POINT client);
void LeftClick(HWND h, POINT client);
void MiddleClick(HWND h, POINT client);
void PostKey(HWND h, UINT vk);              // WM_KEYDOWN + WM_KEYUP
// The open popup menu (class #32768), or nullptr after timeout (no failure).
HWND WaitPopupMenu(int timeoutMs = kTimeoutMs);
HWND FindPopupMenu();
// Chooses an item of the open popup menu with the keyboard, as a user would:
// `downs` posted VK_DOWN presses, then VK_RETURN. The menu of the main window
// is 設定 (downs=1), ヘルプ (2), about... (3) counted from the unselected state.
void ChoosePopupItem(HWND menu, int downs);
// Right-clicks the main window's background and chooses item `downs` (see above).
bool OpenMainMenuItem(HWND mainWnd, int downs);

// A whole registry key with its subkeys and values, kept in memory so that a
// case can take a key away and put it back exactly.
struct RegTree {
    bool exists = false;
    struct Value {
        std::wstring name;
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    std::vector<std::pair<std::wstring, RegTree>> subkeys;
};
RegTree SaveRegTree(HKEY root, const std::wstring& key);
// Deletes whatever is at `key`, then writes `tree` there (nothing when the
// tree did not exist). ADD_FAILURE when a part cannot be written.
void RestoreRegTree(HKEY root, const std::wstring& key, const RegTree& tree);

// ---- files --------------------------------------------------------------------
bool FileExists(const std::wstring& path);
void WriteFile(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);   // empty when unreadable

// ---- screen -------------------------------------------------------------------
// The system DPI as this driver sees it (LOGPIXELSY of the screen).
int ScreenDpi();
// While it lives, the calling thread sees windows in physical pixels: a
// DPI-unaware thread gets coordinates scaled to 96 DPI at another setting.
class PhysicalPixels {
public:
    PhysicalPixels();
    ~PhysicalPixels();
    PhysicalPixels(const PhysicalPixels&) = delete;
    PhysicalPixels& operator=(const PhysicalPixels&) = delete;
    bool ok() const { return previous_ != nullptr; }  // false: no per-thread awareness

private:
    HANDLE previous_ = nullptr;
};
// Saves what the screen shows in `r` (screen coordinates) as a 24-bit BMP.
bool SaveScreenBmp(const RECT& r, const std::wstring& path);
// Dark pixels (text, lines) in a rectangle of the screen as it shows now.
int DarkPixelsOnScreen(const RECT& r);
// The window `h` as it is on the screen now, after it has painted.
bool SaveWindowBmp(HWND h, const std::wstring& path);

// UTF-8 <-> UTF-16 for assertions on Japanese texts written as u8"" literals.
std::wstring W(const char* utf8);
std::string U8(const std::wstring& w);

}  // namespace e2e
