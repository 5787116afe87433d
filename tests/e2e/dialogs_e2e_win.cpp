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

class DialogsE2E : public ProgramCase {
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
    // Not on the press, only on the release; other buttons, and the lists, open nothing.
    PostMessageW(main, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
    Sync(main);
    EXPECT_EQ(WaitPopupMenu(300), nullptr) << "the menu opened on the press";
    PostMessageW(main, WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
    HWND menu = WaitPopupMenu();
    ASSERT_TRUE(menu && CloseMenu(menu));
    Click(main, spots[1], WM_LBUTTONDOWN);
    Click(main, spots[0], WM_MBUTTONDOWN);
    Click(Child(main, vantrel::main_design::kCmbRegImage), POINT{10, 5}, WM_RBUTTONDOWN);
    Sync(main);
    EXPECT_EQ(WaitPopupMenu(500), nullptr);
}

TEST_F(DialogsE2E, BothDialogsAreModalFromTheirFirstAppearance) {
    Probe probe(main);
    ASSERT_TRUE(probe.ok());
    for (int item : {1, 3}) {
        HWND dialog = item == 1 ? OpenSetting() : OpenAbout();
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(WaitUntil("the probe's report of the dialog", [&] {
            for (const auto& s : probe.seen.shown)
                if (s.first == dialog) return true;
            return false;
        }));
        for (const auto& s : probe.seen.shown)
            EXPECT_TRUE(s.first != dialog || !s.second) << "the main window was enabled when dialog " << item << " appeared";
        EXPECT_FALSE(IsWindowEnabled(main));
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
        ASSERT_TRUE(CloseAfterInput(dialog));
    }
}

TEST_F(DialogsE2E, TheSettingsDialogOffersTheFittingActionAndCarriesItOut) {
    // Without a shortcut: the create option. Enter and Escape press nothing;
    // OK tries to create it, which Wine's shell refuses at the hot key.
    HWND dialog = OpenSetting();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(Offer(dialog), (std::vector<bool>{true, true, false, false, true}));
    PressEnterAndEscape(dialog);
    ClickButton(dialog, setting::kCmdOk);
    MsgBox box = WaitMsgBox(app.pid());
    EXPECT_EQ(box.text.rfind(L"-2147467263:", 0), 0u) << box.text;  // E_NOTIMPL
    EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
    PressOk(box);
    EXPECT_TRUE(WaitUntil("the dialog to close after the failed action", [dialog] { return !IsWindow(dialog); }));
    EXPECT_EQ(GetFileAttributesW(kLnk.c_str()), INVALID_FILE_ATTRIBUTES);

    // With a shortcut: the remove option; Cancel and the close box keep it, OK removes it.
    HANDLE f = CreateFileW(kLnk.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    for (int attempt = 0; attempt < 3; ++attempt) {
        ASSERT_TRUE(WaitUntil("the main window to take input", [this] { return IsWindowEnabled(main) != FALSE; }));
        dialog = OpenSetting();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(Offer(dialog), (std::vector<bool>{false, false, true, true, false}));
        // Enter would remove the shortcut here, were it taken for OK.
        if (attempt == 0) PressEnterAndEscape(dialog);
        if (attempt == 0) ClickButton(dialog, setting::kCmdCancel);
        if (attempt < 2) {
            ASSERT_TRUE(CloseAfterInput(dialog));
            EXPECT_NE(GetFileAttributesW(kLnk.c_str()), INVALID_FILE_ATTRIBUTES);
            continue;
        }
        ClickButton(dialog, setting::kCmdOk);
        box = WaitMsgBox(app.pid());
        EXPECT_EQ(box.text, W("ショートカットを削除しました"));
        EXPECT_EQ(box.icon, MsgBox::Icon::Information);
        PressOk(box);
        EXPECT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
        EXPECT_EQ(GetFileAttributesW(kLnk.c_str()), INVALID_FILE_ATTRIBUTES);
    }
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

TEST_F(DialogsE2E, EveryWindowLaysItselfOutAgainAtTheDpiOfAnotherMonitor) {
    const RegVal image = ReadReg(HKEY_CURRENT_USER, kMainKey, kImageValue);
    const RegVal policy = ReadReg(HKEY_CURRENT_USER, kZone3Key, L"1400");
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        HWND window = which == 0 ? main : which == 1 ? OpenSetting() : OpenAbout();
        ASSERT_TRUE(window);
        const int labels[] = {vantrel::main_design::kLblScriptExecute, setting::kLabel1, ver::kLabel1};
        HWND label = Child(window, labels[which]);
        // The label's text, where no list reaches over it.
        const auto ink = [&] {
            RECT r = ScreenRect(label);
            if (which == 0) r.right = ScreenRect(Child(main, vantrel::main_design::kCmbRegJS_Switch)).left;
            return InkOnScreen(r).width;
        };
        const RECT outer = ScreenRect(window);
        const std::vector<RECT> at96 = ControlBoxes(window);
        Sync(window);
        PumpFor(200);  // until the window is on the screen
        const int ink96 = ink();
        EXPECT_GT(ink96, 10);
        const int selected = ComboSel(Child(main, vantrel::main_design::kCmbRegImage));
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
        Sync(window);
        PumpFor(200);
        EXPECT_GT(ink(), ink96 * 13 / 10) << "the label's text did not grow";
        if (which == 0) {
            // The fixed size holds at the new scale: its design size in the new pixels.
            const RECT now = ScreenRect(main);
            EXPECT_NEAR(now.right - now.left, (outer.right - outer.left) * 1.5, 1);
            EXPECT_NEAR(now.bottom - now.top, (outer.bottom - outer.top) * 1.5, 1);
            SetWindowPos(main, nullptr, 0, 0, 900, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Sync(main);
            EXPECT_EQ(ScreenRect(main).right - ScreenRect(main).left, now.right - now.left);
            EXPECT_EQ(ScreenRect(main).bottom - ScreenRect(main).top, now.bottom - now.top);
        }
        ASSERT_TRUE(SendDpiChanged(window, 96, outer));
        const std::vector<RECT> back = ControlBoxes(window);
        for (size_t i = 0; i < at96.size(); ++i) EXPECT_TRUE(EqualRect(&back[i], &at96[i])) << "control " << i;
        const RECT restored = ScreenRect(window);
        EXPECT_TRUE(EqualRect(&outer, &restored));
        EXPECT_EQ(ComboSel(Child(main, vantrel::main_design::kCmbRegImage)), selected);
        if (which > 0) {
            ASSERT_TRUE(CloseAfterInput(window));
        }
    }
    EXPECT_EQ(ReadReg(HKEY_CURRENT_USER, kMainKey, kImageValue).data, image.data);
    EXPECT_EQ(ReadReg(HKEY_CURRENT_USER, kZone3Key, L"1400").data, policy.data);
}

// The browser's address field, once Wine's browser shows the page asked for.
BOOL CALLBACK FindUrl(HWND h, LPARAM lp) {
    auto* found = reinterpret_cast<bool*>(lp);
    if (Text(h) == W(vantrel::kHomePageUrl)) *found = true;
    return !*found;
}

LRESULT CALLBACK StandInProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(h, msg, wp, lp); }

TEST_F(DialogsE2E, TheLinkOpensTheHomePageInOneNewBrowserWindow) {
    HWND dialog = OpenAbout();
    ASSERT_TRUE(dialog);
    HWND link = Child(dialog, ver::kLblURL);
    EXPECT_EQ(Text(link), W(vantrel::kHomePageUrl));
    Click(link, POINT{4, 4}, WM_LBUTTONDOWN);
    HWND browser = nullptr;
    ASSERT_TRUE(WaitUntil("a browser window showing the home page", [&] {
        const auto all = TopWindows(0, L"IEFrame", nullptr);
        bool found = false;
        if (all.size() == 1) EnumChildWindows(browser = all.front(), FindUrl, reinterpret_cast<LPARAM>(&found));
        return found;
    }, 20000));
    // A second click, while that window is open, opens nothing.
    Click(link, POINT{4, 4}, WM_LBUTTONDOWN);
    ASSERT_TRUE(CloseAfterInput(dialog));
    EXPECT_EQ(TopWindows(0, L"IEFrame", nullptr), std::vector<HWND>{browser});

    // Any window of the browser's class, even one of another program, means no new one.
    PostMessageW(browser, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil("the browser to close", [] { return TopWindows(0, L"IEFrame", nullptr).empty(); }));
    HWND standIn = MakeTopLevelWindow(L"IEFrame", StandInProc, L"stand-in");
    dialog = OpenAbout();
    ASSERT_TRUE(dialog);
    Click(Child(dialog, ver::kLblURL), POINT{4, 4}, WM_LBUTTONDOWN);
    ASSERT_TRUE(CloseAfterInput(dialog));
    EXPECT_TRUE(TopWindows(0, L"IEFrame", nullptr).empty()) << "a browser window opened beside the open one";
    DestroyWindow(standIn);
    UnregisterClassW(L"IEFrame", GetModuleHandleW(nullptr));
}

// Without a help file Wine's help viewer asks where the file is, naming the
// path it was given. From a folder with a character outside the ANSI code
// page that path must still lead to the program's folder: its short form.
TEST_F(DialogsE2E, HelpAsksTheViewerForTheFileBesideTheProgram) {
    const std::wstring folder = L"C:\\vantrel-\xD55C\xAE00";  // Hangul: not in code page 932
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(ExePath().c_str(), (folder + L"\\VantrelV1_0.exe").c_str(), FALSE));
    ResetCase();
    App copy;
    ASSERT_TRUE(copy.Start(folder + L"\\VantrelV1_0.exe"));
    ASSERT_TRUE(main = copy.WaitMain());
    ASSERT_TRUE(ChooseMainMenuItem(main, 2));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil("the help viewer's question", [&] {
        for (HWND b : TopWindows(0, L"#32770", nullptr))
            if (Text(GetDlgItem(b, 0xFFFF)).find(L".hlp") != std::wstring::npos) box = b;
        return box != nullptr;
    }, 20000));
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
    EXPECT_TRUE(Sync(main)) << "the program goes on after the help viewer";
}

}  // namespace
