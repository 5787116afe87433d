// The popup menu and what it opens, as a user meets them: the 環境設定 dialog,
// the about box with its link, the help viewer. A probe hooked into the
// program sees each dialog the moment it is shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/FrmVer.h"
#include "about/FrmVer_design.h"
#include "app/frmMain_design.h"
#include "harness_win.h"
#include "shortcut/frmSetting_design.h"

namespace {

using namespace e2e;
namespace setting = vantrel::setting_design;
namespace ver = vantrel::ver_design;

const std::wstring kLnk = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VantrelV1_0.lnk";

class DialogsE2E : public StartedCase {
protected:
    HWND OpenSetting() { return Open(1, setting::kClassName, setting::kTitle); }
    HWND OpenAbout() { return Open(3, ver::kClassName, ver::kTitle); }
    // Posted after the user's input, a close is handled after it too: once the
    // dialog is gone, everything before it has been done.
    bool CloseAfterInput(HWND dialog) {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }) &&
               WaitUntil("the main window to take input again", [this] { return IsWindowEnabled(main) != FALSE; });
    }
    // On every control that can have the focus; in a dialog box Enter would
    // press OK and Escape Cancel, here neither does anything.
    void PressEnterAndEscape(HWND dialog) {
        for (int id : {setting::kOptCreate, setting::kOptRemove, setting::kCmdOk, setting::kCmdCancel}) {
            PostKey(Child(dialog, id), VK_RETURN);
            PostKey(Child(dialog, id), VK_ESCAPE);
        }
    }
    // Create: enabled, selected; remove: enabled, selected; the hot-key note enabled.
    std::vector<bool> Offer(HWND d) {
        const auto on = [d](int id) { return SendMessageW(Child(d, id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
        const auto enabled = [d](int id) { return IsWindowEnabled(Child(d, id)) != FALSE; };
        return {enabled(setting::kOptCreate), on(setting::kOptCreate), enabled(setting::kOptRemove),
                on(setting::kOptRemove), enabled(setting::kLblInfo)};
    }
};

TEST_F(DialogsE2E, TheMenuOpensAtThePointerOnARightReleaseOverTheBackgroundOrALabel) {
    // At 96 DPI: the background above the script label and left of the other,
    // then over 画像の表示 and over スクリプトの実行.
    const POINT spots[] = {{2, 2}, {30, 10}, {5, 30}};
    for (POINT at : spots) {
        Click(main, at, WM_RBUTTONDOWN);
        HWND menu = WaitPopupMenu();
        ASSERT_TRUE(menu) << "no menu for a right click at " << at.x << "," << at.y;
        POINT screen = at;
        ClientToScreen(main, &screen);
        EXPECT_NEAR(ScreenRect(menu).left, screen.x, 2);
        EXPECT_NEAR(ScreenRect(menu).top, screen.y, 2);
        ASSERT_TRUE(CloseMenu(menu));
    }
}

TEST_F(DialogsE2E, TheMenuOpensOnTheReleaseNotOnThePress) {
    PostMessageW(main, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
    ASSERT_TRUE(Settle(main));  // a menu would be open now, its loop taking the barrier
    EXPECT_EQ(WaitPopupMenu(0), nullptr) << "the menu opened on the press";
    PostMessageW(main, WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
    HWND menu = WaitPopupMenu();
    EXPECT_TRUE(menu && CloseMenu(menu));
}

// A right click on a list, greyed or not, is the list's own.
TEST_F(DialogsE2E, OtherButtonsAndTheListsOpenNoMenu) {
    WriteRegDword(HKEY_CURRENT_USER, kUserPolicyKey, L"1400", 3);  // the script list greyed
    ASSERT_TRUE(WaitUntil("the script list greyed",
                          [&] { return !IsWindowEnabled(Child(main, vantrel::main_design::kCmbRegJS_Switch)); }));
    Click(main, POINT{30, 10}, WM_LBUTTONDOWN);
    Click(main, POINT{2, 2}, WM_MBUTTONDOWN);
    Click(Child(main, vantrel::main_design::kCmbRegImage), POINT{10, 5}, WM_RBUTTONDOWN);
    const RECT list = ScreenRect(Child(main, vantrel::main_design::kCmbRegJS_Switch));
    POINT over{list.left + 10, list.top + 5};
    ScreenToClient(main, &over);
    Click(main, over, WM_RBUTTONDOWN);  // what the window gets over a greyed list
    ASSERT_TRUE(Settle(main));
    EXPECT_EQ(WaitPopupMenu(0), nullptr);
}

TEST_F(DialogsE2E, BothDialogsAreModalFromTheirFirstAppearance) {
    ASSERT_TRUE(probe().ok());
    HWND setting = OpenSetting();
    ASSERT_TRUE(setting);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(GetWindow(setting, GW_OWNER), main);
    ASSERT_TRUE(CloseAfterInput(setting));
    HWND about = OpenAbout();
    ASSERT_TRUE(about);
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(GetWindow(about, GW_OWNER), main);
    ASSERT_TRUE(CloseAfterInput(about));
    ASSERT_TRUE(WaitUntil("the probe's reports of both dialogs", [&] { return probe().seen.shown.size() >= 2; }));
    for (const auto& s : probe().seen.shown)
        EXPECT_FALSE(s.second) << "the main window was enabled when a dialog appeared";
}

TEST_F(DialogsE2E, TheAboutBoxOpensCentredOnTheScreen) {
    HWND about = OpenAbout();
    ASSERT_TRUE(about);
    RECT work{}, r = ScreenRect(about);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(r.left - work.left, work.right - r.right, 1);
    EXPECT_NEAR(r.top - work.top, work.bottom - r.bottom, 1);
}

TEST_F(DialogsE2E, WithoutAShortcutOkTriesToCreateItAndTheDialogCloses) {
    HWND dialog = OpenSetting();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Offer(dialog), (std::vector<bool>{true, true, false, false, true}));
    ClickButton(dialog, setting::kCmdOk);
    // Wine's shell refuses at the hot key.
    const MsgBox box = WaitMsgBox(app.pid());
    EXPECT_EQ(box.text.rfind(L"-2147467263:", 0), 0u) << box.text;  // E_NOTIMPL
    EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
    PressOk(box);
    EXPECT_TRUE(WaitUntil("the dialog to close after the failed action", [dialog] { return !IsWindow(dialog); }));
    EXPECT_EQ(GetFileAttributesW(kLnk.c_str()), INVALID_FILE_ATTRIBUTES);
}

class ShortcutE2E : public DialogsE2E {
protected:
    void SetUp() override {
        DialogsE2E::SetUp();
        CloseHandle(CreateFileW(kLnk.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    bool Kept() { return GetFileAttributesW(kLnk.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(ShortcutE2E, WithAShortcutOkRemovesIt) {
    HWND dialog = OpenSetting();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Offer(dialog), (std::vector<bool>{false, false, true, true, false}));
    ClickButton(dialog, setting::kCmdOk);
    const MsgBox box = WaitMsgBox(app.pid());
    EXPECT_EQ(box.text, W("ショートカットを削除しました"));
    EXPECT_EQ(box.icon, MsgBox::Icon::Information);
    PressOk(box);
    EXPECT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
    EXPECT_FALSE(Kept());
}

TEST_F(ShortcutE2E, CancelKeepsIt) {
    HWND dialog = OpenSetting();
    ASSERT_TRUE(dialog);
    ClickButton(dialog, setting::kCmdCancel);
    EXPECT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
    EXPECT_TRUE(Kept());
}

TEST_F(ShortcutE2E, TheCloseBoxKeepsIt) {
    HWND dialog = OpenSetting();
    ASSERT_TRUE(dialog && CloseAfterInput(dialog));
    EXPECT_TRUE(Kept());
}

// Were Enter taken for OK, it would remove the shortcut.
TEST_F(ShortcutE2E, EnterAndEscapePressNothing) {
    HWND dialog = OpenSetting();
    ASSERT_TRUE(dialog);
    PressEnterAndEscape(dialog);
    ASSERT_TRUE(Settle(dialog));
    EXPECT_TRUE(IsWindow(dialog)) << "Escape closed the dialog";
    ASSERT_TRUE(CloseAfterInput(dialog));
    EXPECT_TRUE(Kept());
}

// Each control's box in its parent's client area.
std::vector<RECT> ControlBoxes(HWND window) {
    std::vector<RECT> boxes;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r = ScreenRect(c);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        boxes.push_back(r);
        for (const RECT& inner : ControlBoxes(c)) boxes.push_back(inner);
    }
    return boxes;
}

// After the system said `window` moved to a 144-DPI monitor, every control
// has 1.5 times its box and the label's text is larger; back at 96 DPI all
// is as it was. The ink is measured left of `clipRight` (a list over the label).
void ExpectLaidOutAgainAt144(HWND window, HWND label, HWND clipRight = nullptr) {
    const auto ink = [&] {
        RECT r = ScreenRect(label);
        if (clipRight) r.right = ScreenRect(clipRight).left;
        return InkOnScreen(r).width;
    };
    const RECT outer = ScreenRect(window);
    const std::vector<RECT> at96 = ControlBoxes(window);
    int ink96 = 0;
    ASSERT_TRUE(WaitUntil("the label painted", [&] { return (ink96 = ink()) > 10; }));
    const RECT bigger{outer.left, outer.top, outer.left + (outer.right - outer.left) * 3 / 2,
                      outer.top + (outer.bottom - outer.top) * 3 / 2};
    ASSERT_TRUE(SendDpiChanged(window, 144, bigger));
    const std::vector<RECT> at144 = ControlBoxes(window);
    ASSERT_EQ(at144.size(), at96.size());
    for (size_t i = 0; i < at96.size(); ++i) {
        const RECT &a = at96[i], &b = at144[i];  // each edge and size 1.5 times, within a pixel
        for (auto [was, now] : {std::pair{a.left, b.left}, {a.top, b.top}, {a.right - a.left, b.right - b.left},
                                {a.bottom - a.top, b.bottom - b.top}})
            EXPECT_NEAR(now, was * 1.5, 1) << "control " << i;
    }
    EXPECT_TRUE(WaitUntil("the label's text to grow", [&] { return ink() > ink96 * 13 / 10; }));
    ASSERT_TRUE(SendDpiChanged(window, 96, outer));
    const std::vector<RECT> back = ControlBoxes(window);
    for (size_t i = 0; i < at96.size(); ++i) EXPECT_TRUE(EqualRect(&back[i], &at96[i])) << "control " << i;
    const RECT restored = ScreenRect(window);
    EXPECT_TRUE(EqualRect(&outer, &restored));
}

TEST_F(DialogsE2E, TheMainWindowLaysItsControlsOutAgainAtAnotherDpi) {
    namespace ids = vantrel::main_design;
    const RegVal image = ReadReg(HKEY_CURRENT_USER, kMainKey, kImageValue);
    ExpectLaidOutAgainAt144(main, Child(main, ids::kLblScriptExecute), Child(main, ids::kCmbRegJS_Switch));
    EXPECT_EQ(ComboSel(Child(main, ids::kCmbRegImage)), 0);
    EXPECT_EQ(ReadReg(HKEY_CURRENT_USER, kMainKey, kImageValue).data, image.data) << "the new layout wrote";
}

TEST_F(DialogsE2E, TheSettingsDialogLaysItselfOutAgainAtAnotherDpi) {
    HWND dialog = OpenSetting();
    ASSERT_TRUE(dialog);
    ExpectLaidOutAgainAt144(dialog, Child(dialog, setting::kLabel1));
}

TEST_F(DialogsE2E, TheAboutBoxLaysItselfOutAgainAtAnotherDpi) {
    HWND about = OpenAbout();
    ASSERT_TRUE(about);
    ExpectLaidOutAgainAt144(about, Child(about, ver::kLabel1));
}

// The browser's address field, once Wine's browser shows the page asked for.
BOOL CALLBACK FindUrl(HWND h, LPARAM lp) {
    auto* found = reinterpret_cast<bool*>(lp);
    if (Text(h) == W(vantrel::kHomePageUrl)) *found = true;
    return !*found;
}

LRESULT CALLBACK StandInProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(h, msg, wp, lp); }

// The system's http handler replaced by this driver in its recording mode,
// so that what the program hands to the default browser is seen.
class LinkE2E : public DialogsE2E {
protected:
    void SetUp() override {
        DialogsE2E::SetUp();
        RecordWhatTheHandlerGets(L"Software\\Classes\\http\\shell\\open\\command");
    }
    void TearDown() override {
        if (standIn_) DestroyWindow(standIn_);
        UnregisterClassW(L"IEFrame", GetModuleHandleW(nullptr));
        DialogsE2E::TearDown();
    }
    // A hidden window of the browser's class, of another program than the browser.
    void OpenStandIn() { standIn_ = MakeTopLevelWindow(L"IEFrame", StandInProc, L"stand-in"); }
    HWND standIn_ = nullptr;
};

TEST_F(LinkE2E, TheLinkOpensTheHomePageInANewBrowserWindow) {
    HWND dialog = OpenAbout();
    ASSERT_TRUE(dialog);
    HWND link = Child(dialog, ver::kLblURL);
    EXPECT_EQ(Text(link), W(vantrel::kHomePageUrl));
    Click(link, POINT{4, 4}, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitUntil("a browser window showing the home page", [&] {
        const auto all = TopWindows(0, L"IEFrame", nullptr);
        bool found = false;
        if (all.size() == 1) EnumChildWindows(all.front(), FindUrl, reinterpret_cast<LPARAM>(&found));
        return found;
    }, 20000));
    ASSERT_TRUE(CloseAfterInput(dialog));
    PumpFor(2000);  // time for a handler the program may have started as well
    EXPECT_EQ(Recorded(), L"") << "the system's handler was asked as well";
}

// Any window of the browser's class, even one of another program, means no new one.
TEST_F(LinkE2E, WhileABrowserWindowIsOpenTheLinkOpensNothing) {
    OpenStandIn();
    HWND dialog = OpenAbout();
    ASSERT_TRUE(dialog);
    Click(Child(dialog, ver::kLblURL), POINT{4, 4}, WM_LBUTTONDOWN);
    ASSERT_TRUE(CloseAfterInput(dialog));
    PumpFor(2000);  // time for a handler the program may have started
    EXPECT_TRUE(TopWindows(0, L"IEFrame", nullptr).empty()) << "a browser window opened beside the hidden stand-in";
    EXPECT_EQ(Recorded(), L"");
}

// The open-window check keeps an open browser from being reused; without
// the browser's object it has nothing to keep, and the system's handler opens
// the page whatever windows are open.
TEST_F(LinkE2E, WithoutTheBrowserObjectTheSystemsHandlerGetsTheUrlWhateverWindowsAreOpen) {
    Replace(HKEY_LOCAL_MACHINE, L"Software\\Classes\\InternetExplorer.Application\\CLSID", L"", std::nullopt);
    OpenStandIn();
    HWND dialog = OpenAbout();
    ASSERT_TRUE(dialog);
    Click(Child(dialog, ver::kLblURL), POINT{4, 4}, WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitUntil("the handler to record a URL", [] { return !Recorded().empty(); }, 20000));
    std::printf("    the handler was given: %ls\n", Recorded().c_str());
    EXPECT_EQ(Recorded(), W(vantrel::kHomePageUrl));
    EXPECT_TRUE(IsWindow(dialog)) << "the dialog closed";
}

// ヘルプ from a copy of the program in a folder of its own, under the Windows
// version the prefix reports (read at each program start), with what the
// system opens pages with replaced by the recording driver.
class HelpE2E : public ProgramCase {
protected:
    void StartIn(const std::wstring& folder, const wchar_t* windows, bool withPage) {
        RecordWhatTheHandlerGets(L"Software\\Classes\\htmlfile\\shell\\open\\command");
        Replace(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.html", L"", std::wstring(L"htmlfile"));
        Replace(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", std::wstring(windows));
        CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW(ExePath().c_str(), (folder + L"\\VantrelV1_0.exe").c_str(), FALSE));
        page_ = folder + L"\\VantrelV1_0.html";
        if (withPage) {
            const char html[] = "<!DOCTYPE html><title>Vantrel</title>";
            HANDLE f = CreateFileW(page_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            WriteFile(f, html, sizeof html - 1, &written, nullptr);
            CloseHandle(f);
        }
        ASSERT_TRUE(Start(folder + L"\\VantrelV1_0.exe"));
        ASSERT_TRUE(ReadyForInput());
        ASSERT_TRUE(ChooseMainMenuItem(main, 2));
    }
    // The help viewer's question where the help file is; nullptr after the time.
    HWND ViewerAsks(int timeoutMs) {
        HWND box = nullptr;
        const DWORD start = GetTickCount();
        while (!box && GetTickCount() - start < static_cast<DWORD>(timeoutMs)) {
            for (HWND b : TopWindows(0, L"#32770", nullptr))
                if (Text(GetDlgItem(b, 0xFFFF)).find(L".hlp") != std::wstring::npos) box = b;
            PumpFor(20);
        }
        return box;
    }
    std::wstring page_;
};

// Windows 10 has no help viewer: the page beside the program opens in what
// the system opens pages with.
TEST_F(HelpE2E, OnWindows10ThePageBesideTheProgramOpens) {
    StartIn(L"C:\\vantrel-help", L"win10", true);
    ASSERT_TRUE(WaitUntil("the page handed to the system's handler", [] { return !Recorded().empty(); }, 20000));
    EXPECT_EQ(lstrcmpiW(Recorded().c_str(), page_.c_str()), 0) << Recorded();
    EXPECT_EQ(ViewerAsks(3000), nullptr) << "the help viewer was asked as well";
}

// Before Windows 10 the help viewer is asked, even with the page there.
// Without a help file Wine's viewer asks where the file is, naming the path
// it was given. From a folder with a character outside the ANSI code page
// that path must still lead to the program's folder: its short form.
TEST_F(HelpE2E, OnWindows7TheViewerIsAskedForTheFileBesideTheProgram) {
    const std::wstring folder = L"C:\\vantrel-\xD55C\xAE00";  // Hangul: not in code page 932
    StartIn(folder, L"win7", true);
    HWND box = ViewerAsks(20000);
    ASSERT_TRUE(box) << "the help viewer was not asked";
    EXPECT_EQ(Recorded(), L"") << "the page was opened as well";
    // The viewer quotes the path in the locale's own way: take it from its
    // drive letter to the file's extension.
    const std::wstring text = Text(GetDlgItem(box, 0xFFFF));
    const size_t from = text.find(L":\\") - 1, to = text.find(L".hlp") + 4;
    const std::wstring asked = text.substr(from, to - from), askedFolder = asked.substr(0, asked.find_last_of(L'\\'));
    EXPECT_EQ(asked.substr(askedFolder.size()), L"\\VantrelV1_0.hlp") << text;
    wchar_t full[MAX_PATH] = {};
    GetLongPathNameW(askedFolder.c_str(), full, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(full, folder.c_str()), 0) << asked << " is not beside the program";
    ClickButton(box, IDNO);
    EXPECT_TRUE(Settle(main)) << "the program goes on after the help viewer";
}

}  // namespace
