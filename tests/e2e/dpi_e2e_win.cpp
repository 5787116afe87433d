// The three windows at the system DPI of the prefix, and screenshots of every
// window the user can meet.
//
// Geometry: every window is laid out in twips and converted once at the
// system DPI, so at 144 DPI each client size and control rectangle must be
// 1.5 times its 96-DPI size, within one pixel of rounding. scripts/test runs
// these cases twice: in the ordinary 96-DPI prefix, and with the filter
// DpiGeometryE2E.* in a copy whose LogPixels is 144, with VANTREL_EXPECT_DPI
// saying which DPI the prefix was given (so a setting Wine ignored fails
// instead of passing at 96).
//
// Screens: the ScreensE2E cases save BMPs into VANTREL_SCREENS_DIR; they are
// skipped without it. scripts/screens runs them at both DPIs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "about/FrmVer.h"
#include "design_ids.h"
#include "harness_win.h"

#include <sddl.h>  // after <windows.h>, which it needs

namespace {

using namespace e2e;
using vantrel::kMainWindowClass;
using vantrel::kMainWindowTitle;
namespace ids = vantrel::setting_ids;
namespace ver = vantrel::ver;
namespace layout = vantrel::layout;

const std::wstring kLnk = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VantrelV1_0.lnk";

int ExpectedDpi() {
    const char* v = std::getenv("VANTREL_EXPECT_DPI");
    return v && *v ? std::atoi(v) : 96;
}

// Design twips -> pixels at a DPI, rounded as the program rounds.
int PxAt(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

struct Design {
    const char* what;
    int id;  // 0: the window's client area itself
    int left, top, width, height;
};

// Measures each control (relative to the client origin) and the client area,
// and compares them with the design at the prefix's DPI and with 96-DPI
// pixels scaled by dpi/96.
void ExpectScaledLayout(HWND window, const std::vector<Design>& design) {
    const int dpi = ExpectedDpi();
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    for (const Design& d : design) {
        SCOPED_TRACE(d.what);
        RECT r{};
        if (d.id == 0) {
            r = ClientRect(window);
        } else {
            HWND c = Child(window, d.id);
            ASSERT_NE(c, nullptr);
            r = ScreenRect(c);
            OffsetRect(&r, -origin.x, -origin.y);
        }
        const int got[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        const int twips[4] = {d.left, d.top, d.width, d.height};
        const char* names[4] = {"left", "top", "width", "height"};
        for (int i = 0; i < 4; ++i) {
            const int here = PxAt(twips[i], dpi);
            const double from96 = PxAt(twips[i], 96) * dpi / 96.0;
            EXPECT_NEAR(got[i], here, 1) << names[i] << " against the design at " << dpi << " DPI";
            EXPECT_NEAR(got[i], from96, 1.0) << names[i] << " against the 96-DPI size scaled by " << dpi << "/96";
        }
        std::printf("  [geometry %d dpi] %-26s %4d %4d %4d %4d\n", dpi, d.what, got[0], got[1], got[2], got[3]);
    }
}

class DpiGeometryE2E : public ::testing::Test {
protected:
    void SetUp() override { ResetCase(); }
    void TearDown() override {
        app.Kill();
        ResetCase();
    }
    bool StartMain() {
        if (!app.Start()) return false;
        main = app.WaitWindow(kMainWindowClass, kMainWindowTitle);
        return main != nullptr;
    }

    PhysicalPixels physical;
    App app;
    HWND main = nullptr;
};

TEST_F(DpiGeometryE2E, ThePrefixHasTheDpiItWasGiven) {
    ASSERT_TRUE(physical.ok()) << "no per-thread DPI awareness: sizes would come back scaled to 96 DPI";
    EXPECT_EQ(ScreenDpi(), ExpectedDpi());
}

TEST_F(DpiGeometryE2E, TheMainWindowScales) {
    ASSERT_TRUE(StartMain());
    const auto box = [](const char* what, int id, const layout::Box& b) {
        return Design{what, id, b.left, b.top, b.width, b.height};
    };
    ExpectScaledLayout(main, {
                                 {"client area", 0, 0, 0, layout::kClientWidth, layout::kClientHeight},
                                 box("cmbRegImage", vantrel::kIdCmbRegImage, layout::kCmbRegImage),
                                 box("lblShowImage", vantrel::kIdLblShowImage, layout::kLblShowImage),
                                 box("lblScriptExecute", vantrel::kIdLblScriptExecute, layout::kLblScriptExecute),
                                 box("cmbRegJS_Switch", vantrel::kIdCmbRegJS_Switch, layout::kCmbRegJS_Switch),
                                 box("fraWait (hidden)", vantrel::kIdFraWait, layout::kFraWait),
                             });
    // The open list of entries scales with its font, not with the design:
    // each entry must at least show a whole line of text at this DPI.
    SendMessageTimeoutW(Child(main, vantrel::kIdCmbRegImage), CB_SHOWDROPDOWN, TRUE, 0, SMTO_ABORTIFHUNG,
                        kTimeoutMs, nullptr);
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil("the image list to open", [&] {
        auto lists = TopWindows(app.pid(), L"ComboLBox", nullptr);
        list = lists.empty() ? nullptr : lists.front();
        return list != nullptr;
    }));
    RECT item{};
    ASSERT_NE(SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    EXPECT_GE(item.bottom - item.top, MulDiv(12, ExpectedDpi(), 96)) << "entries too low for the text";
    RECT listRect = ScreenRect(list), combo = ScreenRect(Child(main, vantrel::kIdCmbRegImage));
    EXPECT_NEAR(listRect.right - listRect.left, combo.right - combo.left, 1) << "the open list is as wide as the field";
    std::printf("  [geometry %d dpi] open image list entry height %ld\n", ExpectedDpi(), item.bottom - item.top);
}

TEST_F(DpiGeometryE2E, TheSettingsDialogScales) {
    ASSERT_TRUE(StartMain());
    ASSERT_TRUE(OpenMainMenuItem(main, 1));
    HWND dialog = app.WaitWindow(ids::kClassNameW, ids::kCaptionW);
    ASSERT_NE(dialog, nullptr);
    ExpectScaledLayout(dialog, {
                                   {"client area", 0, 0, 0, 4680, 2670},
                                   {"Label1", ids::kLabel1, 240, 120, 1575, 375},
                                   {"optSetToProgramsFolder(0)", ids::kOptCreate, 360, 600, 3735, 375},
                                   {"optSetToProgramsFolder(1)", ids::kOptRemove, 360, 1440, 3975, 375},
                                   {"lblInfo", ids::kLblInfo, 720, 960, 3495, 375},
                                   {"CmdOk", ids::kCmdOk, 2160, 2040, 1215, 495},
                                   {"cmdCancel", ids::kCmdCancel, 3360, 2040, 1215, 495},
                               });
    ClickButton(dialog, ids::kCmdCancel);
    EXPECT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
}

TEST_F(DpiGeometryE2E, TheAboutBoxScales) {
    ASSERT_TRUE(StartMain());
    ASSERT_TRUE(OpenMainMenuItem(main, 3));
    HWND about = app.WaitWindow(ver::kClassName, W(ver::kCaption).c_str());
    ASSERT_NE(about, nullptr);
    const auto box = [](const char* what, int id, const ver::Box& b) {
        return Design{what, id, b.left, b.top, b.width, b.height};
    };
    ExpectScaledLayout(about, {
                                  {"client area", 0, 0, 0, ver::kClientWidth, ver::kClientHeight},
                                  box("Label1", ver::kIdLabel1, ver::kLabel1Box),
                                  box("CmdOk", ver::kIdCmdOk, ver::kCmdOkBox),
                                  box("Label3", ver::kIdLabel3, ver::kLabel3Box),
                                  box("Label4", ver::kIdLabel4, ver::kLabel4Box),
                                  box("lblURL", ver::kIdLblURL, ver::kLblURLBox),
                                  box("Label5", ver::kIdLabel5, ver::kLabel5Box),
                                  box("Image1", ver::kIdImage1, ver::kImage1Box),
                              });
    ClickButton(about, ver::kIdCmdOk);
    EXPECT_TRUE(WaitUntil("the about box to close", [about] { return !IsWindow(about); }));
}

// ---- screenshots -----------------------------------------------------------------

std::wstring ScreensDir() {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"VANTREL_SCREENS_DIR", buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buf) : std::wstring();
}

// What a top-level window of the driver does when the change broadcast
// reaches it: the program is blocked in that broadcast with its wait panel
// drawn, so this is the moment to photograph it.
HWND g_shotOf = nullptr;
std::wstring g_shotPath;
int g_shotsTaken = 0;

LRESULT CALLBACK ShooterProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_WININICHANGE && g_shotOf && !g_shotPath.empty()) {
        // Neither Sync nor a redraw: the program cannot answer until we return.
        Sleep(150);
        if (SaveScreenBmp(ScreenRect(g_shotOf), g_shotPath)) ++g_shotsTaken;
        g_shotOf = nullptr;
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

class ScreensE2E : public ::testing::Test {
protected:
    void SetUp() override {
        dir = ScreensDir();
        if (dir.empty()) GTEST_SKIP() << "VANTREL_SCREENS_DIR is not set (scripts/screens sets it)";
        ResetCase();
    }
    void TearDown() override {
        app.Kill();
        if (progId.exists) RestoreRegTree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\WScript.Shell", progId);
        if (!dir.empty()) ResetCase();
    }

    bool StartMain() {
        if (!app.Start()) return false;
        main = app.WaitWindow(kMainWindowClass, kMainWindowTitle);
        return main != nullptr;
    }
    void Shot(HWND h, const wchar_t* name) {
        const std::wstring path = dir + L"\\" + name + L".bmp";
        EXPECT_TRUE(SaveWindowBmp(h, path)) << "could not save " << U8(path);
    }
    // The next message box: photographed, checked for its title, then OK.
    void ShootBox(const char* title, const wchar_t* name) {
        const MsgBox box = WaitMsgBox(app.pid());
        ASSERT_NE(box.hwnd, nullptr);
        EXPECT_EQ(box.title, W(title));
        Shot(box.hwnd, name);
        PressOk(box);
    }

    PhysicalPixels physical;
    std::wstring dir;
    App app;
    HWND main = nullptr;
    RegTree progId;
};

TEST_F(ScreensE2E, MainWindow) {
    ASSERT_TRUE(StartMain());
    Shot(main, L"main");
}

TEST_F(ScreensE2E, WaitPanelDuringAnImagePick) {
    HWND shooter = MakeTopLevelWindow(L"VantrelScreensShooter", ShooterProc, L"shooter");
    ASSERT_NE(shooter, nullptr);
    ASSERT_TRUE(StartMain());
    g_shotPath = dir + L"\\wait-panel.bmp";
    g_shotsTaken = 0;
    g_shotOf = main;
    PickComboItem(Child(main, vantrel::kIdCmbRegImage), 1);
    // WaitUntil pumps this thread's messages, so the broadcast reaches the shooter.
    EXPECT_TRUE(WaitUntil("the broadcast of the pick", [] { return g_shotsTaken == 1; }));
    g_shotOf = nullptr;
    DestroyWindow(shooter);
}

TEST_F(ScreensE2E, PopupMenuOpen) {
    ASSERT_TRUE(StartMain());
    RightClick(main, POINT{4, ClientRect(main).bottom - 4});
    HWND menu = WaitPopupMenu();
    ASSERT_NE(menu, nullptr);
    Sleep(200);
    RECT both{}, m = ScreenRect(main), p = ScreenRect(menu);
    UnionRect(&both, &m, &p);
    EXPECT_TRUE(SaveScreenBmp(both, dir + L"\\popup-menu.bmp"));
    PostKey(menu, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil("the menu to close", [] { return FindPopupMenu() == nullptr; }));
}

TEST_F(ScreensE2E, SettingsDialogWithoutAndWithAShortcut) {
    ASSERT_TRUE(StartMain());
    for (bool present : {false, true}) {
        if (present) WriteFile(kLnk, "placed for the screenshot");
        ASSERT_TRUE(OpenMainMenuItem(main, 1));
        HWND dialog = app.WaitWindow(ids::kClassNameW, ids::kCaptionW);
        ASSERT_NE(dialog, nullptr);
        Shot(dialog, present ? L"settings-remove" : L"settings-create");
        ClickButton(dialog, ids::kCmdCancel);
        ASSERT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
    }
}

TEST_F(ScreensE2E, AboutBox) {
    ASSERT_TRUE(StartMain());
    ASSERT_TRUE(OpenMainMenuItem(main, 3));
    HWND about = app.WaitWindow(ver::kClassName, W(ver::kCaption).c_str());
    ASSERT_NE(about, nullptr);
    Shot(about, L"about");
    ClickButton(about, ver::kIdCmdOk);
    EXPECT_TRUE(WaitUntil("the about box to close", [about] { return !IsWindow(about); }));
}

TEST_F(ScreensE2E, StartUpErrorBox) {
    DeleteRegValue(HKEY_CURRENT_USER, kMainKey, L"Display Inline Images");
    ASSERT_TRUE(app.Start());
    ShootBox(u8"エラー", L"box-startup-error");
    EXPECT_TRUE(app.WaitExit());
}

TEST_F(ScreensE2E, CannotRunBox) {
    progId = SaveRegTree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\WScript.Shell");
    ASSERT_TRUE(progId.exists);
    DeleteRegTree(HKEY_LOCAL_MACHINE, L"Software\\Classes\\WScript.Shell");
    ASSERT_TRUE(app.Start());
    ShootBox(u8"実行できません", L"box-cannot-run");
    EXPECT_TRUE(app.WaitExit());
}

// A refused write: the zone key is made read-only for everyone, so the first
// of the three script writes fails with the "エラー" box of the writes.
TEST_F(ScreensE2E, WriteErrorBox) {
    ASSERT_TRUE(StartMain());
    HKEY zone = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kZone3Key, 0, WRITE_DAC | KEY_READ, &zone), ERROR_SUCCESS);
    // D: protected DACL; deny Everyone (WD) set-value and create-subkey (0x6), allow the rest.
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(D;;0x6;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                     &sd, nullptr));
    const LONG rc = RegSetKeySecurity(zone, DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    RegCloseKey(zone);
    ASSERT_EQ(rc, ERROR_SUCCESS);
    PickComboItem(Child(main, vantrel::kIdCmbRegJS_Switch), 0);
    ShootBox(u8"エラー", L"box-write-error");
}

TEST_F(ScreensE2E, ShortcutBoxes) {
    ASSERT_TRUE(StartMain());
    // Removal: the information box.
    WriteFile(kLnk, "placed for the screenshot");
    ASSERT_TRUE(OpenMainMenuItem(main, 1));
    HWND dialog = app.WaitWindow(ids::kClassNameW, ids::kCaptionW);
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, ids::kCmdOk);
    ShootBox(u8"ショートカットを削除しました", L"box-shortcut-removed");
    ASSERT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
    // Creation: Wine's shortcut object refuses the hot key, so this is the
    // error box of the shortcut operations.
    ASSERT_TRUE(OpenMainMenuItem(main, 1));
    dialog = app.WaitWindow(ids::kClassNameW, ids::kCaptionW);
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, ids::kCmdOk);
    ShootBox(u8"エラー", L"box-shortcut-error");
    ASSERT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
}

}  // namespace
