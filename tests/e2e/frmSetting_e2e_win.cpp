// The 環境設定 dialog as a user reaches it: right-click in the main window,
// choose 設定. Under Wine the shell cannot set a shortcut's hot key, so the
// create action ends in the platform's error box; the remove action is proven
// with a shortcut file placed beforehand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "design_ids.h"
#include "harness_win.h"

namespace {

using namespace e2e;
namespace ids = vantrel::setting_ids;

const std::wstring kLnk = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VantrelV1_0.lnk";

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Enabled(HWND h) { return IsWindowEnabled(h) != FALSE; }

int DesignPx(int twips) {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return MulDiv(twips, dpi, 1440);
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

// The harness judges a box's icon from the screen; a box caught before it has
// painted reads as Other, so such a reading is taken again. A box that really
// shows another icon still reads as Other at the end.
MsgBox PaintedMsgBox(DWORD pid) {
    MsgBox box = WaitMsgBox(pid);
    for (int i = 0; i < 5 && box.hwnd && box.icon == MsgBox::Icon::Other; ++i) {
        Sleep(200);
        box = WaitMsgBox(pid);
    }
    return box;
}

class SettingDialogE2E : public ::testing::Test {
protected:
    void SetUp() override { ResetCase(); }
    void TearDown() override {
        app.Kill();
        ResetCase();
    }

    // Starts the program (once) and opens the dialog from the popup menu.
    bool OpenDialog() {
        if (!main) {
            if (!app.Start()) return false;
            main = app.WaitWindow(vantrel::kMainWindowClass, vantrel::kMainWindowTitle);
            if (!main) return false;
        }
        if (!OpenMainMenuItem(main, 1)) return false;
        dialog = app.WaitWindow(ids::kClassNameW, ids::kCaptionW);
        return dialog != nullptr;
    }
    HWND Ctl(int id) const { return Child(dialog, id); }

    bool DialogClosed() {
        const HWND d = dialog;
        return WaitUntil("the dialog to close", [d] { return !IsWindow(d); });
    }
    bool MainUsableAgain() {
        const HWND m = main;
        return WaitUntil("the main window to be enabled again", [m] { return IsWindowEnabled(m) != FALSE; }) &&
               Sync(main);
    }
    // Gives the program time to act on posted input that should do nothing.
    void Settle() {
        Sync(dialog);
        Sleep(300);
        Sync(dialog);
    }

    void ExpectOffersCreate() {
        EXPECT_TRUE(Enabled(Ctl(ids::kOptCreate)));
        EXPECT_TRUE(Checked(Ctl(ids::kOptCreate)));
        EXPECT_FALSE(Enabled(Ctl(ids::kOptRemove)));
        EXPECT_FALSE(Checked(Ctl(ids::kOptRemove)));
        EXPECT_TRUE(Enabled(Ctl(ids::kLblInfo)));
    }
    void ExpectOffersRemove() {
        EXPECT_FALSE(Enabled(Ctl(ids::kOptCreate)));
        EXPECT_FALSE(Checked(Ctl(ids::kOptCreate)));
        EXPECT_TRUE(Enabled(Ctl(ids::kOptRemove)));
        EXPECT_TRUE(Checked(Ctl(ids::kOptRemove)));
        EXPECT_FALSE(Enabled(Ctl(ids::kLblInfo)));
    }

    App app;
    HWND main = nullptr;
    HWND dialog = nullptr;
};

TEST_F(SettingDialogE2E, LooksAsDesignedAndHoldsTheMainWindowWhileOpen) {
    ASSERT_TRUE(OpenDialog());

    EXPECT_EQ(Text(Ctl(ids::kLabel1)), W("環境設定"));
    EXPECT_EQ(Text(Ctl(ids::kOptCreate)), W("「プログラム」メニューにショートカットを作成"));
    EXPECT_EQ(Text(Ctl(ids::kOptRemove)), W("「プログラム」メニューからショートカットをはずす"));
    EXPECT_EQ(Text(Ctl(ids::kLblInfo)),
              W("ショートカットを作成すると CTRL + ALT+ S で  Vantrelが起動できるようになります"));
    EXPECT_EQ(Text(Ctl(ids::kCmdOk)), L"OK");
    EXPECT_EQ(Text(Ctl(ids::kCmdCancel)), L"Cancel");

    // Children in tab order.
    std::vector<int> order;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(GetDlgCtrlID(c));
    EXPECT_EQ(order, (std::vector<int>{ids::kLabel1, ids::kOptCreate, ids::kOptRemove, ids::kLblInfo, ids::kCmdOk,
                                       ids::kCmdCancel}));
    for (int id : {ids::kCmdOk, ids::kCmdCancel})
        EXPECT_EQ(GetWindowLongW(Ctl(id), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON) << "button " << id;

    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(exStyle & WS_EX_DLGMODALFRAME, 0);
    EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0);
    // Owned by the main window: no task-bar button, always above it.
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
    const RECT client = ClientRect(dialog);
    EXPECT_EQ(client.right - client.left, DesignPx(4680));
    EXPECT_EQ(client.bottom - client.top, DesignPx(2670));

    EXPECT_FALSE(Enabled(main)) << "the main window takes input while the dialog is open";

    ClickButton(dialog, ids::kCmdCancel);
    ASSERT_TRUE(DialogClosed());
    EXPECT_TRUE(MainUsableAgain());
    EXPECT_TRUE(app.Running());
}

TEST_F(SettingDialogE2E, WithoutShortcutOkEndsInTheHotkeyErrorOfWinesShell) {
    ASSERT_TRUE(OpenDialog());
    ExpectOffersCreate();

    ClickButton(dialog, ids::kCmdOk);
    const MsgBox box = PaintedMsgBox(app.pid());
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.title, W("エラー"));
    // Wine's shortcut object answers E_NOTIMPL for Hotkey.
    EXPECT_EQ(box.text.rfind(L"-2147467263:", 0), 0u) << U8(box.text);
    EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
    EXPECT_EQ(box.buttons.size(), 1u);
    PressOk(box);

    ASSERT_TRUE(DialogClosed());
    EXPECT_TRUE(MainUsableAgain());
    EXPECT_FALSE(FileExists(kLnk)) << "the shortcut was saved although its hot key was refused";

    // The next opening shows the state actually reached.
    ASSERT_TRUE(OpenDialog());
    ExpectOffersCreate();
    ClickButton(dialog, ids::kCmdCancel);
    EXPECT_TRUE(DialogClosed());
}

TEST_F(SettingDialogE2E, WithShortcutOkRemovesIt) {
    WriteFile(kLnk, "placed by the test");
    ASSERT_TRUE(FileExists(kLnk));
    ASSERT_TRUE(OpenDialog());
    ExpectOffersRemove();

    ClickButton(dialog, ids::kCmdOk);
    const MsgBox box = PaintedMsgBox(app.pid());
    ASSERT_NE(box.hwnd, nullptr);
    EXPECT_EQ(box.title, W("ショートカットを削除しました"));
    EXPECT_EQ(box.text, W("ショートカットを削除しました"));
    EXPECT_EQ(box.icon, MsgBox::Icon::Information);
    EXPECT_FALSE(FileExists(kLnk));
    PressOk(box);

    ASSERT_TRUE(DialogClosed());
    EXPECT_TRUE(MainUsableAgain());

    ASSERT_TRUE(OpenDialog());
    ExpectOffersCreate();
    ClickButton(dialog, ids::kCmdCancel);
    EXPECT_TRUE(DialogClosed());
}

TEST_F(SettingDialogE2E, CancelAndTheCloseBoxChangeNothing) {
    for (bool present : {false, true}) {
        SCOPED_TRACE(present ? "with a shortcut" : "without a shortcut");
        if (present) WriteFile(kLnk, "placed by the test");

        ASSERT_TRUE(OpenDialog());
        ClickButton(dialog, ids::kCmdCancel);
        ASSERT_TRUE(DialogClosed());
        EXPECT_TRUE(MainUsableAgain());
        EXPECT_TRUE(NoMsgBox(app.pid()));
        EXPECT_EQ(FileExists(kLnk), present);

        ASSERT_TRUE(OpenDialog());
        // What the title bar's close box sends.
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(DialogClosed());
        EXPECT_TRUE(MainUsableAgain());
        EXPECT_TRUE(NoMsgBox(app.pid()));
        EXPECT_EQ(FileExists(kLnk), present);
    }
}

TEST_F(SettingDialogE2E, EnterAndEscapePressNeitherButton) {
    // With a shortcut present, a press of OK would delete it and say so.
    WriteFile(kLnk, "placed by the test");
    ASSERT_TRUE(OpenDialog());
    HWND focus = FocusOf(dialog);
    ASSERT_TRUE(focus && IsChild(dialog, focus)) << "no control of the dialog has the focus";
    PostKey(focus, VK_RETURN);
    PostKey(focus, VK_ESCAPE);
    Settle();
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(NoMsgBox(app.pid()));

    // Also with the focus on each button, where Enter would click it in a
    // dialog box.
    for (int id : {ids::kCmdOk, ids::kCmdCancel}) {
        const HWND button = Ctl(id);
        const HWND d = dialog;
        ASSERT_TRUE(WaitUntil("the focus to reach the button by Tab", [&] {
            if (FocusOf(d) == button) return true;
            PostKey(FocusOf(d), VK_TAB);
            Sleep(50);
            return false;
        }));
        PostKey(button, VK_RETURN);
        PostKey(button, VK_ESCAPE);
        Settle();
        EXPECT_TRUE(IsWindow(dialog)) << "button " << id;
        EXPECT_TRUE(NoMsgBox(app.pid())) << "button " << id;
    }
    EXPECT_TRUE(FileExists(kLnk));

    ClickButton(dialog, ids::kCmdCancel);
    EXPECT_TRUE(DialogClosed());
    EXPECT_TRUE(FileExists(kLnk));
}

}  // namespace
