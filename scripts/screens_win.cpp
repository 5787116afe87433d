// vantrel_screens.exe: photographs every window of Vantrel for scripts/screens,
// driving the program with the end-to-end harness. Two helper modes serve
// scripts/run:
//   --wait-window CLASS TITLE MS   exit 0 once such a visible window exists
//   --close-window CLASS TITLE     posts WM_CLOSE to such windows
// Otherwise each case saves BMPs into VANTREL_SCREENS_DIR.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "about/FrmVer_design.h"
#include "app/frmMain_design.h"
#include "harness_win.h"
#include "shortcut/frmSetting_design.h"

namespace {

using namespace e2e;
namespace ids = vantrel::main_design;

const std::wstring kLnk = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VantrelV1_0.lnk";
std::wstring g_dir;

bool SaveScreenBmp(const RECT& r, const std::wstring& path) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER ih{sizeof ih, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(static_cast<size_t>((w * 3 + 3) & ~3) * h, '\0');
    GetDIBits(mem, bmp, 0, h, &pixels[0], reinterpret_cast<BITMAPINFO*>(&ih), DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
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

int ScreenDpiOf(HWND) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

void Shot(HWND h, const wchar_t* name) {
    Sync(h);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sync(h);
    Sleep(150);  // the X server shows the new pixels a moment after they are drawn
    EXPECT_TRUE(SaveScreenBmp(ScreenRect(h), g_dir + L"\\" + name + L".bmp")) << name;
}

// The program is blocked in its change broadcast with the wait panel drawn:
// the moment to photograph it.
HWND g_waiting = nullptr;
LRESULT CALLBACK ShooterProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_WININICHANGE && g_waiting) {
        Sleep(150);
        SaveScreenBmp(ScreenRect(g_waiting), g_dir + L"\\wait-panel.bmp");
        g_waiting = nullptr;
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

class Screens : public ProgramCase {
protected:
    void ShootBox(const wchar_t* name, DWORD pid = 0) {
        const MsgBox box = WaitMsgBox(pid ? pid : app.pid());
        Shot(box.hwnd, name);
        PressOk(box);
    }
};

TEST_F(Screens, MainWindowWaitPanelAndMenu) {
    Shot(main, L"main");
    HWND shooter = MakeTopLevelWindow(L"VantrelScreensShooter", ShooterProc, L"shooter");
    g_waiting = main;
    PickComboItem(Child(main, ids::kCmbRegImage), 1);
    EXPECT_TRUE(WaitUntil("the broadcast of the pick", [] { return g_waiting == nullptr; }));
    DestroyWindow(shooter);
    Click(main, POINT{2, 2}, WM_RBUTTONDOWN);
    HWND menu = WaitPopupMenu();
    ASSERT_TRUE(menu);
    Sleep(200);
    RECT both{}, m = ScreenRect(main), p = ScreenRect(menu);
    UnionRect(&both, &m, &p);
    EXPECT_TRUE(SaveScreenBmp(both, g_dir + L"\\popup-menu.bmp"));
    CloseMenu(menu);
}

TEST_F(Screens, DialogsAndTheirBoxes) {
    namespace setting = vantrel::setting_design;
    namespace ver = vantrel::ver_design;
    HWND about = Open(3, ver::kClassName, ver::kTitle);
    ASSERT_TRUE(about);
    Shot(about, L"about");
    ClickButton(about, ver::kCmdOk);
    ASSERT_TRUE(WaitUntil("the main window to take input", [&] { return IsWindowEnabled(main) != FALSE; }));
    // Without a shortcut: the offer to create it; OK ends in Wine's hot-key error.
    HWND dialog = Open(1, setting::kClassName, setting::kTitle);
    ASSERT_TRUE(dialog);
    Shot(dialog, L"settings-create");
    ClickButton(dialog, setting::kCmdOk);
    ShootBox(L"box-shortcut-error");
    CloseHandle(CreateFileW(kLnk.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(WaitUntil("the main window to take input", [&] { return IsWindowEnabled(main) != FALSE; }));
    dialog = Open(1, setting::kClassName, setting::kTitle);
    ASSERT_TRUE(dialog);
    Shot(dialog, L"settings-remove");
    ClickButton(dialog, setting::kCmdOk);
    ShootBox(L"box-shortcut-removed");
}

// Each window after the system said it moved to a monitor at 144 DPI.
TEST_F(Screens, WindowsAfterAMoveToA144DpiMonitor) {
    namespace setting = vantrel::setting_design;
    namespace ver = vantrel::ver_design;
    const auto grow = [](HWND w) {
        const RECT r = ScreenRect(w);
        const int width = (r.right - r.left) * 144 / ScreenDpiOf(w), height = (r.bottom - r.top) * 144 / ScreenDpiOf(w);
        return SendDpiChanged(w, 144, RECT{r.left, r.top, r.left + width, r.top + height});
    };
    ASSERT_TRUE(grow(main));
    Shot(main, L"main-at-144");
    HWND dialog = Open(1, setting::kClassName, setting::kTitle);
    ASSERT_TRUE(dialog && grow(dialog));
    Shot(dialog, L"settings-at-144");
    ClickButton(dialog, setting::kCmdCancel);
    ASSERT_TRUE(WaitUntil("the main window to take input", [&] { return IsWindowEnabled(main) != FALSE; }));
    HWND about = Open(3, ver::kClassName, ver::kTitle);
    ASSERT_TRUE(about && grow(about));
    Shot(about, L"about-at-144");
    ClickButton(about, ver::kCmdOk);
}

TEST_F(Screens, BoxesOfAFailedWriteAndAFailedStart) {
    // The zone key read-only for everyone: the first script write is refused.
    // Protected DACL: Everyone (WD) is denied set-value and create-subkey (0x6).
    HKEY zone = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, kZone3Key, 0, WRITE_DAC | KEY_READ, &zone);
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, &sd, nullptr);
    RegSetKeySecurity(zone, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    RegCloseKey(zone);
    PickComboItem(Child(main, ids::kCmbRegJS_Switch), 0);
    ShootBox(L"box-write-error");
    app.Kill();
    DeleteRegValue(HKEY_CURRENT_USER, kMainKey, kImageValue);
    App failing;
    ASSERT_TRUE(failing.Start());
    ShootBox(L"box-startup-error", failing.pid());
    // Last: without the scripting shell's registration (the prefix is a throwaway copy).
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\WScript.Shell");
    App noShell;
    ASSERT_TRUE(noShell.Start());
    ShootBox(L"box-cannot-run", noShell.pid());
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
    ::testing::InitGoogleTest(&argc, argv);
    wchar_t dir[MAX_PATH] = {};
    GetEnvironmentVariableW(L"VANTREL_SCREENS_DIR", dir, MAX_PATH);
    g_dir = dir;
    std::printf("screenshots at %d DPI\n", ScreenDpiOf(nullptr));
    return RUN_ALL_TESTS();
}
