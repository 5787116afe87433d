// The main window as a user meets it: start-up from the registry, picks in
// both lists, the change broadcast, the single instance, the fixed size.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "design_ids.h"
#include "harness_win.h"

namespace {

using namespace e2e;
using vantrel::kIdCmbRegImage;
using vantrel::kIdCmbRegJS_Switch;
using vantrel::kIdFraWait;
using vantrel::kMainWindowClass;
using vantrel::kMainWindowTitle;

const std::wstring kImageValue = L"Display Inline Images";

// What a top-level window of the driver saw of the change broadcast, and of
// the main window at the moment the broadcast arrived.
struct Broadcasts {
    int count = 0;
    WPARAM lastWParam = 0;
    bool lastWasEmptyText = false;
    bool panelVisible = false;
    bool panelOverList = false;
    int inkInPanel = 0;  // dark pixels on screen where the panel is
    int inkInLabel = 0;  // and where "画像の表示" is
    std::wstring imageValueThen;
};
Broadcasts* g_seen = nullptr;
HWND g_watchedMain = nullptr;

LRESULT CALLBACK ListenerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_WININICHANGE && g_seen && wp == 31) {
        ++g_seen->count;
        g_seen->lastWParam = wp;
        g_seen->lastWasEmptyText = lp != 0 && *reinterpret_cast<const wchar_t*>(lp) == L'\0';
        if (g_watchedMain) {
            HWND panel = Child(g_watchedMain, vantrel::kIdFraWait);
            HWND list = Child(g_watchedMain, vantrel::kIdCmbRegImage);
            g_seen->panelVisible = IsWindowVisible(panel) != FALSE;
            const RECT p = ScreenRect(panel), l = ScreenRect(list);
            g_seen->panelOverList = p.left <= l.left && p.top <= l.top && p.right >= l.right && p.bottom >= l.bottom;
            // The program is blocked in this very broadcast: what the screen
            // shows now is what the user sees during the write.
            g_seen->inkInPanel = DarkPixelsOnScreen(p);
            g_seen->inkInLabel = DarkPixelsOnScreen(ScreenRect(Child(g_watchedMain, vantrel::kIdLblShowImage)));
        }
        g_seen->imageValueThen = ReadReg(HKEY_CURRENT_USER, kMainKey, kImageValue).Str();
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

// A top-level window of our own that records the broadcast. The driver's
// thread pumps messages while it waits, so it is never a hung window itself.
class Listener {
public:
    Listener() {
        hwnd_ = MakeTopLevelWindow(L"VantrelTestListener", ListenerProc, L"listener");
        g_seen = &seen;
    }
    ~Listener() {
        g_seen = nullptr;
        g_watchedMain = nullptr;
        DestroyWindow(hwnd_);
    }
    Broadcasts seen;

private:
    HWND hwnd_ = nullptr;
};

void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

// Waits while pumping the driver's own messages (the broadcast reaches us too).
template <class F>
bool PumpUntil(const char* what, F f, int timeoutMs = kTimeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        Pump();
        if (f()) return true;
        Sleep(10);
    }
    Pump();
    if (f()) return true;
    ADD_FAILURE() << "timed out waiting for " << what;
    return false;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCase(); }
    void TearDown() override { ResetCase(); }

    // Starts Vantrel and waits for its window.
    HWND StartMain() {
        if (!app.Start()) return nullptr;
        main = app.WaitWindow(kMainWindowClass, kMainWindowTitle);
        if (main) {
            imageList = Child(main, kIdCmbRegImage);
            scriptList = Child(main, kIdCmbRegJS_Switch);
        }
        return main;
    }

    RegVal Zone(const wchar_t* name) { return ReadReg(HKEY_CURRENT_USER, kZone3Key, name); }
    RegVal Image() { return ReadReg(HKEY_CURRENT_USER, kMainKey, kImageValue); }

    App app;
    HWND main = nullptr, imageList = nullptr, scriptList = nullptr;
};

// ---- start-up ---------------------------------------------------------------

TEST_F(MainWindowTest, ListsAreFilledAndPreselectedFromTheRegistry) {
    ASSERT_TRUE(StartMain());
    EXPECT_EQ(ComboItems(imageList), (std::vector<std::wstring>{W(u8"はい"), W(u8"いいえ")}));
    EXPECT_EQ(ComboItems(scriptList),
              (std::vector<std::wstring>{W(u8"ダイアログを表示"), W(u8"無効にする"), W(u8"有効にする")}));
    EXPECT_EQ(ComboSel(imageList), 0);   // "yes"
    EXPECT_EQ(ComboSel(scriptList), 2);  // 0: enable
    EXPECT_TRUE(IsWindowEnabled(imageList));
    EXPECT_TRUE(IsWindowEnabled(scriptList));
    EXPECT_FALSE(IsWindowVisible(Child(main, kIdFraWait)));
    EXPECT_EQ(Text(Child(main, vantrel::kIdLblShowImage)), W(u8"画像の表示"));
    EXPECT_EQ(Text(Child(main, vantrel::kIdLblScriptExecute)), W(u8"スクリプトの実行"));
    // Top-left of the screen, and the keyboard focus in the image list.
    const RECT r = ScreenRect(main);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_FALSE(GetWindowLongW(main, GWL_STYLE) & WS_MAXIMIZEBOX);
    EXPECT_TRUE(GetWindowLongW(main, GWL_STYLE) & WS_MINIMIZEBOX);
}

TEST_F(MainWindowTest, UnusualStoredValuesPreselectWithoutWritingAnything) {
    Listener listener;
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, kImageValue, L"YES");
    WriteRegSz(HKEY_CURRENT_USER, kZone3Key, L"1400", L"3");  // policy as text
    const RegVal level = Zone(L"CurrentLevel"), c00 = Zone(L"1C00");
    ASSERT_TRUE(StartMain());
    EXPECT_EQ(ComboSel(imageList), 0);
    EXPECT_EQ(ComboSel(scriptList), 1);  // "無効にする"
    Sync(main);
    Pump();
    EXPECT_EQ(Image().type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Image().Str(), L"YES");
    EXPECT_EQ(Zone(L"1400").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Zone(L"CurrentLevel").data, level.data);
    EXPECT_EQ(Zone(L"1C00").data, c00.data);
    EXPECT_EQ(listener.seen.count, 0) << "preselection must not broadcast";
}

TEST_F(MainWindowTest, ValuesThatMatchNoEntrySelectNothingButKeepTheListsEnabled) {
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, kImageValue, L"yes ");
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 2);
    ASSERT_TRUE(StartMain());
    EXPECT_EQ(ComboSel(imageList), -1);
    EXPECT_EQ(ComboSel(scriptList), -1);
    EXPECT_TRUE(IsWindowEnabled(imageList));
    EXPECT_TRUE(IsWindowEnabled(scriptList));
}

TEST_F(MainWindowTest, AMissingImageValueShowsTheErrorAndEndsBeforeTheWindowShows) {
    DeleteRegValue(HKEY_CURRENT_USER, kMainKey, kImageValue);
    ASSERT_TRUE(app.Start());
    const MsgBox box = WaitMsgBox(app.pid());
    EXPECT_EQ(box.title, W(u8"エラー"));
    EXPECT_EQ(box.text.rfind(L"-2147024894:", 0), 0u) << U8(box.text);
    EXPECT_GT(box.text.size(), std::wstring(L"-2147024894:").size()) << "the description is missing";
    EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
    EXPECT_EQ(box.buttons.size(), 1u);
    EXPECT_TRUE(TopWindows(app.pid(), kMainWindowClass, nullptr).empty()) << "the window must never show";
    PressOk(box);
    EXPECT_TRUE(app.WaitExit());
    EXPECT_FALSE(Image().exists);
}

TEST_F(MainWindowTest, AScriptPolicyStoredAsBytesEndsTheProgramBeforeTheImageIsRead) {
    WriteRegRaw(HKEY_CURRENT_USER, kZone3Key, L"1400", REG_BINARY, {1, 0, 0, 0});
    ASSERT_TRUE(app.Start());
    const MsgBox box = WaitMsgBox(app.pid());
    EXPECT_EQ(box.title, W(u8"エラー"));
    EXPECT_EQ(box.text.rfind(L"13:", 0), 0u) << U8(box.text);
    PressOk(box);
    EXPECT_TRUE(app.WaitExit());
    EXPECT_EQ(Zone(L"1400").type, static_cast<DWORD>(REG_BINARY));
}

TEST_F(MainWindowTest, ASecondInstanceEndsSilentlyAndLeavesTheFirstAlone) {
    ASSERT_TRUE(StartMain());
    const RECT before = ScreenRect(main);
    App second;
    ASSERT_TRUE(second.Start());
    DWORD code = 1;
    EXPECT_TRUE(second.WaitExit(kTimeoutMs, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(TopWindows(second.pid(), nullptr, nullptr).empty());
    EXPECT_TRUE(app.Running());
    EXPECT_EQ(TopWindows(app.pid(), kMainWindowClass, kMainWindowTitle).size(), 1u);
    const RECT after = ScreenRect(main);
    EXPECT_EQ(std::make_pair(before.left, before.top), std::make_pair(after.left, after.top));
}

TEST_F(MainWindowTest, TwoCopiesStartedTogetherLeaveExactlyOneWindow) {
    App a, b;
    ASSERT_TRUE(a.Start());
    ASSERT_TRUE(b.Start());
    ASSERT_TRUE(WaitUntil("one copy to show its window", [&] {
        return TopWindows(a.pid(), kMainWindowClass, nullptr).size() + TopWindows(b.pid(), kMainWindowClass, nullptr).size() >= 1;
    }));
    ASSERT_TRUE(WaitUntil("the other copy to end", [&] { return !a.Running() || !b.Running(); }));
    Sleep(300);
    EXPECT_EQ(TopWindows(0, kMainWindowClass, kMainWindowTitle).size(), 1u);
    EXPECT_NE(a.Running(), b.Running());
}

// ---- window behaviour ---------------------------------------------------------

TEST_F(MainWindowTest, ResizingSnapsBackToTheLoadTimeSize) {
    ASSERT_TRUE(StartMain());
    const RECT r = ScreenRect(main);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(main, nullptr, 0, 0, w + 80, h + 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sync(main);
    RECT now = ScreenRect(main);
    EXPECT_EQ(now.right - now.left, w);
    EXPECT_EQ(now.bottom - now.top, h);
    // Minimized and restored: the same size again.
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    WaitUntil("the window to minimize", [&] { return IsIconic(main) != FALSE; });
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    WaitUntil("the window to restore", [&] { return IsIconic(main) == FALSE; });
    Sync(main);
    now = ScreenRect(main);
    EXPECT_EQ(now.right - now.left, w);
    EXPECT_EQ(now.bottom - now.top, h);
    // Maximize is not offered: the system command changes nothing.
    PostMessageW(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Sync(main);
    EXPECT_FALSE(IsZoomed(main));
    now = ScreenRect(main);
    EXPECT_EQ(now.right - now.left, w);
}

TEST_F(MainWindowTest, TheClientAreaHasItsDesignSizeAndTheListsTheirPlaces) {
    ASSERT_TRUE(StartMain());
    const RECT c = ClientRect(main);
    // 3135 x 630 twips at 96 DPI (this prefix's setting) is 209 x 42 pixels.
    EXPECT_EQ(c.right - c.left, 209);
    EXPECT_EQ(c.bottom - c.top, 42);
    RECT img = ScreenRect(imageList), js = ScreenRect(scriptList);
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    EXPECT_EQ(img.left - origin.x, 88);
    EXPECT_EQ(img.top - origin.y, 0);
    EXPECT_EQ(img.right - img.left, 121);
    EXPECT_EQ(img.bottom - img.top, 20) << "the selection field keeps its design height";
    EXPECT_EQ(js.left, img.left);
    EXPECT_EQ(js.top - origin.y, 21);
    EXPECT_EQ(js.bottom - js.top, 20);
}

// ---- picks ------------------------------------------------------------------------

TEST_F(MainWindowTest, ImagePicksWriteTheWordAndBroadcastOnceUnderTheWaitPanel) {
    Listener listener;
    ASSERT_TRUE(StartMain());
    g_watchedMain = main;

    PickComboItem(imageList, 1);
    ASSERT_TRUE(PumpUntil("the broadcast after picking いいえ", [&] { return listener.seen.count == 1; }));
    EXPECT_EQ(listener.seen.lastWParam, 31u);
    EXPECT_TRUE(listener.seen.lastWasEmptyText);
    // The broadcast comes after the write, while the panel covers the list.
    EXPECT_EQ(listener.seen.imageValueThen, L"no");
    EXPECT_TRUE(listener.seen.panelVisible);
    EXPECT_TRUE(listener.seen.panelOverList);
    // Drawn on screen, not only in the program's buffers: "設定中..." in the
    // panel, and the label beside it intact.
    EXPECT_GT(listener.seen.inkInPanel, 40) << "the panel's caption is not on screen";
    EXPECT_GT(listener.seen.inkInLabel, 40) << "the label next to the panel is not on screen";
    PumpUntil("the panel to hide", [&] { return !IsWindowVisible(Child(main, kIdFraWait)); });
    EXPECT_EQ(Image().type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Image().Str(), L"no");
    EXPECT_EQ(ComboSel(imageList), 1);

    PickComboItem(imageList, 0);
    ASSERT_TRUE(PumpUntil("the broadcast after picking はい", [&] { return listener.seen.count == 2; }));
    EXPECT_EQ(Image().Str(), L"yes");
    Sync(main);
    Pump();
    EXPECT_EQ(listener.seen.count, 2);
    EXPECT_TRUE(NoMsgBox(app.pid()));
}

TEST_F(MainWindowTest, ScriptPicksWriteAllThreeValuesWithTheirTypesAndBroadcastNothing) {
    Listener listener;
    ASSERT_TRUE(StartMain());
    const struct {
        int index;
        DWORD policy;
    } picks[] = {{0, 1}, {1, 3}, {2, 0}};
    for (const auto& p : picks) {
        // Spoil the companions first: every pick writes them again.
        WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"CurrentLevel", 0x11500);
        WriteRegRaw(HKEY_CURRENT_USER, kZone3Key, L"1C00", REG_BINARY, {0, 0, 0, 0});
        WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 77);
        PickComboItem(scriptList, p.index);
        ASSERT_TRUE(PumpUntil("the policy to be written",
                              [&] { return Zone(L"1400").exists && Zone(L"1400").Dword() == p.policy; }))
            << "entry " << p.index;
        PumpUntil("the 1C00 value to be written", [&] { return Zone(L"1C00").data.size() == 4 && Zone(L"1C00").data[2] == 1; });
        EXPECT_EQ(Zone(L"1400").type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(Zone(L"CurrentLevel").type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(Zone(L"CurrentLevel").Dword(), 0u);
        EXPECT_EQ(Zone(L"1C00").type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(Zone(L"1C00").data, (std::vector<BYTE>{0, 0, 1, 0}));
        EXPECT_EQ(ComboSel(scriptList), p.index);
    }
    Sync(main);
    Pump();
    EXPECT_EQ(listener.seen.count, 0);
    EXPECT_EQ(Image().Str(), L"yes") << "a script pick must not touch the image switch";
}

TEST_F(MainWindowTest, KeyboardPicksCountAndAnOpenListWritesOnlyTheEntryTaken) {
    Listener listener;
    ASSERT_TRUE(StartMain());
    // Closed list: each arrow key is a pick.
    ComboKey(imageList, VK_DOWN);
    ASSERT_TRUE(PumpUntil("the keyboard pick", [&] { return listener.seen.count == 1; }));
    EXPECT_EQ(Image().Str(), L"no");
    // Open list: the arrows only move the highlight; Enter takes the entry.
    SendMessageTimeoutW(scriptList, CB_SHOWDROPDOWN, TRUE, 0, SMTO_ABORTIFHUNG, kTimeoutMs, nullptr);
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"CurrentLevel", 0x11500);
    ComboKey(scriptList, VK_UP);
    Sync(main);
    Sleep(200);
    EXPECT_EQ(Zone(L"CurrentLevel").Dword(), 0x11500u) << "moving in the open list is not yet a pick";
    ComboKey(scriptList, VK_UP);
    ComboKey(scriptList, VK_RETURN);
    ASSERT_TRUE(PumpUntil("the script pick on Enter", [&] { return Zone(L"CurrentLevel").Dword() == 0u; }));
    EXPECT_EQ(ComboSel(scriptList), 0);
    EXPECT_EQ(Zone(L"1400").Dword(), 1u);
    Sync(main);
    Pump();
    EXPECT_EQ(listener.seen.count, 1);
}

// A top-level window whose thread stops answering: a plain broadcast would
// wait for it for ever.
TEST_F(MainWindowTest, AHungTopLevelWindowDoesNotFreezeAnImagePick) {
    Listener listener;
    std::atomic<HWND> hung{nullptr};
    std::atomic<bool> release{false};
    std::thread t([&] {
        HWND w = CreateWindowExW(0, L"STATIC", L"hung", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        hung = w;
        while (!release) Sleep(50);  // no message is read while "hung"
        DestroyWindow(w);
    });
    PumpUntil("the hung window", [&] { return hung.load() != nullptr; });
    ASSERT_TRUE(StartMain());
    // The window system calls a queue hung after five seconds without reads.
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(5500)) {
        Pump();
        Sleep(20);
    }
    PickComboItem(imageList, 1);
    const bool done = PumpUntil("the pick to finish despite the hung window",
                                [&] { return listener.seen.count == 1 && !IsWindowVisible(Child(main, kIdFraWait)); },
                                4000);
    EXPECT_TRUE(done);
    EXPECT_TRUE(Sync(main, 1000)) << "the main window must answer again";
    EXPECT_EQ(Image().Str(), L"no");
    release = true;
    t.join();
}

}  // namespace
