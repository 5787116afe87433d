// vantrel_screens.exe: photographs every window of Vantrel for scripts/screens.
// Two helper modes serve scripts/run:
//   --wait-window CLASS TITLE MS   exit 0 once such a visible window exists
//   --close-window CLASS TITLE     posts WM_CLOSE to such windows
// Otherwise it drives the program through each window and saves BMPs into
// VANTREL_SCREENS_DIR; a step that fails is reported and the run exits 1.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "about/FrmVer_design.h"
#include "app/frmMain_design.h"
#include "desktop_win.h"
#include "shortcut/frmSetting_design.h"

namespace {

using namespace desktop;
namespace ids = vantrel::main_design;
namespace setting = vantrel::setting_design;
namespace ver = vantrel::ver_design;

const wchar_t kLnk[] = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VantrelV1_0.lnk";
const wchar_t kZone3[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
std::wstring g_dir;
int g_failures = 0;

void Report(const std::string& what) {
    std::fprintf(stderr, "vantrel_screens: %s\n", what.c_str());
    ++g_failures;
}

void Save(const RECT& r, const wchar_t* name) {
    if (!SaveScreenBmp(r, g_dir + L"\\" + name + L".bmp")) Report("cannot save a screenshot");
}

void Shot(HWND h, const wchar_t* name) {
    if (!h) return Report("no window to photograph");
    Sync(h);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sync(h);
    Sleep(150);  // the X server shows the new pixels a moment after they are drawn
    Save(ScreenRect(h), name);
}

void ShootBox(DWORD pid, const wchar_t* name) {
    const MsgBox box = WaitMsgBox(pid);
    Shot(box.hwnd, name);
    PressOk(box);
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The program is blocked in its change broadcast with the wait panel drawn:
// the moment to photograph it.
HWND g_waiting = nullptr;
LRESULT CALLBACK ShooterProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_WININICHANGE && g_waiting) {
        Sleep(150);
        Save(ScreenRect(g_waiting), L"wait-panel");
        g_waiting = nullptr;
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

HWND Open(HWND main, const App& app, int item, const wchar_t* cls, const char* title) {
    WaitUntil("the main window to take input", [&] { return IsWindowEnabled(main) != FALSE; });
    return ChooseMainMenuItem(main, item) ? app.WaitWindow(cls, W(title).c_str()) : nullptr;
}

void MainWindowWaitPanelAndMenu(HWND main) {
    Shot(main, L"main");
    HWND shooter = MakeTopLevelWindow(L"VantrelScreensShooter", ShooterProc, L"shooter");
    g_waiting = main;
    PickComboItem(Child(main, ids::kCmbRegImage), 1);
    WaitUntil("the broadcast of the pick", [] { return g_waiting == nullptr; });
    DestroyWindow(shooter);
    Click(main, POINT{2, 2}, WM_RBUTTONDOWN);
    if (HWND menu = WaitPopupMenu()) {
        Sleep(200);
        RECT both{}, m = ScreenRect(main), p = ScreenRect(menu);
        UnionRect(&both, &m, &p);
        Save(both, L"popup-menu");
        CloseMenu(menu);
    } else {
        Report("no popup menu");
    }
}

void DialogsAndTheirBoxes(HWND main, const App& app) {
    HWND about = Open(main, app, 3, ver::kClassName, ver::kTitle);
    Shot(about, L"about");
    ClickButton(about, ver::kCmdOk);
    // Without a shortcut: the offer to create it; OK ends in Wine's hot-key error.
    HWND dialog = Open(main, app, 1, setting::kClassName, setting::kTitle);
    Shot(dialog, L"settings-create");
    ClickButton(dialog, setting::kCmdOk);
    ShootBox(app.pid(), L"box-shortcut-error");
    CloseHandle(CreateFileW(kLnk, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    dialog = Open(main, app, 1, setting::kClassName, setting::kTitle);
    Shot(dialog, L"settings-remove");
    ClickButton(dialog, setting::kCmdOk);
    ShootBox(app.pid(), L"box-shortcut-removed");
}

// Each window after the system said it moved to a monitor at 144 DPI.
void WindowsAt144(HWND main, const App& app) {
    const auto grow = [](HWND w, const wchar_t* name) {
        if (!w) return Report("no window to move to 144 DPI");
        const RECT r = ScreenRect(w);
        const int dpi = ScreenDpi();
        SendDpiChanged(w, 144, RECT{r.left, r.top, r.left + (r.right - r.left) * 144 / dpi,
                                    r.top + (r.bottom - r.top) * 144 / dpi});
        Shot(w, name);
    };
    grow(main, L"main-at-144");
    HWND dialog = Open(main, app, 1, setting::kClassName, setting::kTitle);
    grow(dialog, L"settings-at-144");
    ClickButton(dialog, setting::kCmdCancel);
    HWND about = Open(main, app, 3, ver::kClassName, ver::kTitle);
    grow(about, L"about-at-144");
    ClickButton(about, ver::kCmdOk);
}

void BoxesOfAFailedWriteAndAFailedStart(HWND main, App& app) {
    // The zone key read-only for everyone: the first script write is refused.
    // Protected DACL: Everyone (WD) is denied set-value and create-subkey (0x6).
    HKEY zone = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, kZone3, 0, WRITE_DAC | KEY_READ, &zone);
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &sd, nullptr);
    RegSetKeySecurity(zone, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    RegCloseKey(zone);
    PickComboItem(Child(main, ids::kCmbRegJS_Switch), 0);
    ShootBox(app.pid(), L"box-write-error");
    app.Kill();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main", L"Display Inline Images");
    App failing;
    if (failing.Start()) ShootBox(failing.pid(), L"box-startup-error");
    // Last: without the scripting shell's registration (the prefix is a throwaway copy).
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\WScript.Shell");
    App noShell;
    if (noShell.Start()) ShootBox(noShell.pid(), L"box-cannot-run");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 5 && std::wcscmp(argv[1], L"--wait-window") == 0) {
        const DWORD start = GetTickCount();
        while (TopWindows(0, argv[2], argv[3]).empty())
            if (GetTickCount() - start > static_cast<DWORD>(_wtoi(argv[4]))) return 1;
            else Sleep(50);
        return 0;
    }
    if (argc >= 4 && std::wcscmp(argv[1], L"--close-window") == 0) {
        for (HWND h : TopWindows(0, argv[2], argv[3])) PostMessageW(h, WM_CLOSE, 0, 0);
        return 0;
    }
    SetFailureReport(Report);
    wchar_t dir[MAX_PATH] = {};
    GetEnvironmentVariableW(L"VANTREL_SCREENS_DIR", dir, MAX_PATH);
    g_dir = dir;
    std::printf("screenshots at %d DPI\n", ScreenDpi());
    DeleteFileW(kLnk);
    App app;
    HWND main = app.Start() ? app.WaitMain() : nullptr;
    if (!main) return 1;
    MainWindowWaitPanelAndMenu(main);
    DialogsAndTheirBoxes(main, app);
    WindowsAt144(main, app);
    BoxesOfAFailedWriteAndAFailedStart(main, app);
    EndProcessesNamed(L"VantrelV1_0.exe");
    return g_failures ? 1 : 0;
}
