// The right-click menu of the main window and what its commands open.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "design_ids.h"
#include "harness_win.h"

namespace {

using namespace e2e;

int PxAt96(int twips) { return twips / 15; }

// Client points (at 96 DPI) inside each part of the main window.
const POINT kBackground{3, 3};
const POINT kOverShowImage{PxAt96(vantrel::layout::kLblShowImage.left) + 10, PxAt96(vantrel::layout::kLblShowImage.top) + 6};
const POINT kOverScriptExecute{PxAt96(vantrel::layout::kLblScriptExecute.left) + 10,
                               PxAt96(vantrel::layout::kLblScriptExecute.top) + 6};

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCase();
        ASSERT_TRUE(app.Start());
        main = app.WaitWindow(vantrel::kMainWindowClass, vantrel::kMainWindowTitle);
        ASSERT_TRUE(main);
    }
    void TearDown() override { ResetCase(); }

    // Closes an open popup menu without choosing anything.
    void Dismiss(HWND menu) {
        PostKey(menu, VK_ESCAPE);
        WaitUntil("the menu to close", [] { return FindPopupMenu() == nullptr; });
    }

    App app;
    HWND main = nullptr;
};

TEST_F(PopupTest, RightButtonOnTheBackgroundOrALabelOpensTheMenuAtThePointer) {
    for (POINT at : {kBackground, kOverShowImage, kOverScriptExecute}) {
        RightClick(main, at);
        HWND menu = WaitPopupMenu();
        ASSERT_TRUE(menu) << "no menu for a right click at " << at.x << "," << at.y;
        POINT screen = at;
        ClientToScreen(main, &screen);
        const RECT r = ScreenRect(menu);
        EXPECT_LE(std::abs(r.left - screen.x), 2) << "the menu opens at the pointer";
        EXPECT_LE(std::abs(r.top - screen.y), 2);
        Dismiss(menu);
        EXPECT_TRUE(NoMsgBox(app.pid()));
    }
}

TEST_F(PopupTest, OtherButtonsAndTheListsOpenNoMenu) {
    LeftClick(main, kBackground);
    MiddleClick(main, kOverShowImage);
    Sync(main);
    EXPECT_EQ(WaitPopupMenu(500), nullptr);
    HWND list = Child(main, vantrel::kIdCmbRegImage);
    RightClick(list, POINT{10, 5});
    Sync(main);
    EXPECT_EQ(WaitPopupMenu(500), nullptr);
    // Nor the keyboard: the context-menu key and Shift+F10.
    PostKey(list, VK_APPS);
    PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    Sync(main);
    EXPECT_EQ(WaitPopupMenu(500), nullptr);
}

TEST_F(PopupTest, SettingOpensTheShortcutDialogModallyAndCancelReturns) {
    ASSERT_TRUE(OpenMainMenuItem(main, 1));
    HWND dlg = app.WaitWindow(vantrel::setting_ids::kClassNameW, vantrel::setting_ids::kCaptionW);
    ASSERT_TRUE(dlg);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes no input while the dialog is open";
    ClickButton(dlg, vantrel::setting_ids::kCmdCancel);
    ASSERT_TRUE(WaitUntil("the dialog to close", [&] { return !IsWindow(dlg); }));
    ASSERT_TRUE(WaitUntil("the main window to be enabled", [&] { return IsWindowEnabled(main) != FALSE; }));
    // A second opening loads the dialog afresh.
    ASSERT_TRUE(OpenMainMenuItem(main, 1));
    HWND again = app.WaitWindow(vantrel::setting_ids::kClassNameW, vantrel::setting_ids::kCaptionW);
    ASSERT_TRUE(again);
    ClickButton(again, vantrel::setting_ids::kCmdCancel);
    WaitUntil("the dialog to close", [&] { return !IsWindow(again); });
}

TEST_F(PopupTest, AboutOpensTheAboutBoxModallyAndOkReturns) {
    ASSERT_TRUE(OpenMainMenuItem(main, 3));  // the separator is skipped
    HWND dlg = app.WaitWindow(vantrel::ver::kClassName, W(vantrel::ver::kCaption).c_str());
    ASSERT_TRUE(dlg);
    EXPECT_FALSE(IsWindowEnabled(main));
    ClickButton(dlg, vantrel::ver::kIdCmdOk);
    ASSERT_TRUE(WaitUntil("the about box to close", [&] { return !IsWindow(dlg); }));
    ASSERT_TRUE(WaitUntil("the main window to be enabled", [&] { return IsWindowEnabled(main) != FALSE; }));
    EXPECT_TRUE(Sync(main));
}

// With no help file beside the program, Wine's help viewer says which file
// it was asked for: that is the path the program built.
TEST_F(PopupTest, HelpAsksTheHelpViewerForTheFileBesideTheProgram) {
    ASSERT_TRUE(OpenMainMenuItem(main, 2));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil("the help viewer's box", [&] {
        // winhlp32 titles it in the locale's language ("エラー" under ja_JP).
        const std::wstring titles[] = {L"ERROR", W(u8"エラー")};
        for (const std::wstring& title : titles)
            for (HWND b : TopWindows(0, L"#32770", title.c_str())) {
                DWORD pid = 0;
                GetWindowThreadProcessId(b, &pid);
                if (pid != app.pid()) box = b;
            }
        return box != nullptr;
    }, 20000));
    std::wstring text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) text += Text(c) + L"\n";
    std::wstring exe = ExePath();
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
    const std::wstring expected = folder + L"\\VantrelV1_0.hlp";
    // Wine may report the path in its own spelling of the drive; compare the tail.
    const std::wstring tail = expected.substr(expected.find(L'\\'));
    EXPECT_NE(text.find(tail), std::wstring::npos) << U8(text) << " should name " << U8(expected);
    EXPECT_EQ(text.find(L"\\\\VantrelV1_0.hlp"), std::wstring::npos) << "one backslash only";
    ClickButton(box, IDNO);
    ASSERT_TRUE(WaitUntil("the help box to close", [&] { return !IsWindow(box); }));
    EXPECT_TRUE(Sync(main)) << "the program goes on after the help viewer";
    EXPECT_TRUE(NoMsgBox(app.pid()));
}

}  // namespace
