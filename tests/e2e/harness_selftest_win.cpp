// The harness proving itself on windows whose behaviour is known: its own
// windows (a combobox whose parent records the notifications a pick sends),
// and a second driver process showing message boxes and a popup menu.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness_win.h"

using namespace e2e;

namespace {

std::wstring SelfPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return self;
}

// Starts this driver again in one of its helper modes.
class Helper {
public:
    explicit Helper(const std::wstring& args) {
        std::wstring cmd = L"\"" + SelfPath() + L"\" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        started_ = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != 0;
    }
    ~Helper() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;
    bool started() const { return started_; }
    DWORD pid() const { return pi_.dwProcessId; }
    // The exit code, or -1 when the helper is still running after the timeout.
    long ExitCode(int timeoutMs = kTimeoutMs) const {
        if (WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

// ---- a combobox in this process, with a parent that records notifications ----
std::vector<WORD> g_notes;

LRESULT CALLBACK RecorderProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && lp != 0) g_notes.push_back(HIWORD(wp));
    return DefWindowProcW(h, msg, wp, lp);
}

class ComboFixture : public ::testing::Test {
protected:
    static constexpr int kComboId = 7;
    void SetUp() override {
        g_notes.clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = RecorderProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"HarnessRecorder";
        RegisterClassW(&wc);  // fails harmlessly when a previous case registered it
        parent_ = CreateWindowExW(0, wc.lpszClassName, W(u8"記録").c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                                  50, 320, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(parent_, nullptr);
        combo_ = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 10, 10,
                                 200, 150, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboId)),
                                 wc.hInstance, nullptr);
        ASSERT_NE(combo_, nullptr);
        for (const char* s : {u8"はい", u8"いいえ", u8"ダイアログで確認"})
            SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(s).c_str()));
        SendMessageW(combo_, CB_SETCURSEL, 0, 0);
        SetForegroundWindow(parent_);
        SetFocus(combo_);
        Sync(parent_);
        g_notes.clear();
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
    }
    HWND parent_ = nullptr;
    HWND combo_ = nullptr;
};

std::string Notes() {
    std::string s;
    for (WORD n : g_notes) {
        const char* name = n == CBN_SELCHANGE      ? "SELCHANGE"
                           : n == CBN_SELENDOK     ? "SELENDOK"
                           : n == CBN_SELENDCANCEL ? "SELENDCANCEL"
                           : n == CBN_DROPDOWN     ? "DROPDOWN"
                           : n == CBN_CLOSEUP      ? "CLOSEUP"
                           : n == CBN_SETFOCUS     ? "SETFOCUS"
                           : n == CBN_KILLFOCUS    ? "KILLFOCUS"
                                                   : nullptr;
        s += s.empty() ? "" : " ";
        s += name ? name : std::to_string(n);
    }
    return s;
}

bool Has(WORD note) {
    for (WORD n : g_notes)
        if (n == note) return true;
    return false;
}

}  // namespace

TEST_F(ComboFixture, FindsItsWindowAndReadsTheEntries) {
    auto found = TopWindows(GetCurrentProcessId(), L"HarnessRecorder", W(u8"記録").c_str());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.front(), parent_);
    EXPECT_EQ(Child(parent_, kComboId), combo_);
    EXPECT_EQ(ClassOf(combo_), L"ComboBox");
    EXPECT_EQ(ComboItems(combo_), (std::vector<std::wstring>{W(u8"はい"), W(u8"いいえ"), W(u8"ダイアログで確認")}));
    EXPECT_EQ(ComboSel(combo_), 0);
    EXPECT_EQ(Text(combo_), W(u8"はい"));
}

TEST_F(ComboFixture, AMousePickSelectsTheEntryAndNotifiesAsARealClick) {
    PickComboItem(combo_, 2);
    EXPECT_TRUE(WaitUntil("the pick to reach the list", [&] { return Has(CBN_SELENDOK); }));
    EXPECT_EQ(ComboSel(combo_), 2);
    EXPECT_TRUE(Has(CBN_SELCHANGE)) << "notifications: " << Notes();
    EXPECT_TRUE(WaitUntil("the open list to close",
                          [] { return TopWindows(GetCurrentProcessId(), L"ComboLBox", nullptr).empty(); }));
    std::printf("[ notes    ] a pick sent: %s\n", Notes().c_str());
}

TEST_F(ComboFixture, AKeyOnTheClosedListMovesTheSelection) {
    ComboKey(combo_, VK_DOWN);
    EXPECT_TRUE(WaitUntil("the key to reach the list", [&] { return Has(CBN_SELCHANGE); }));
    EXPECT_EQ(ComboSel(combo_), 1);
    std::printf("[ notes    ] a key sent: %s\n", Notes().c_str());
}

// ---- another process: message boxes and a popup menu -----------------------------

TEST(MessageBoxOfAnotherProcess, ReadsTitleTextIconAndButtonAndPressesOk) {
    struct Case {
        const wchar_t* icon;
        MsgBox::Icon expected;
    };
    for (Case c : {Case{L"hand", MsgBox::Icon::Hand}, Case{L"info", MsgBox::Icon::Information}}) {
        SCOPED_TRACE(U8(c.icon));
        Helper box(std::wstring(L"--show-msgbox ") + c.icon + L" \"" + W(u8"エラー") + L"\" \"" +
                   W(u8"429:オブジェクトを作成できません") + L"\"");
        ASSERT_TRUE(box.started());
        MsgBox shown = WaitMsgBox(box.pid());
        ASSERT_NE(shown.hwnd, nullptr);
        EXPECT_EQ(shown.title, W(u8"エラー"));
        EXPECT_EQ(shown.text, W(u8"429:オブジェクトを作成できません"));
        EXPECT_EQ(shown.icon, c.expected);
        EXPECT_EQ(shown.buttons.size(), 1u);
        EXPECT_FALSE(NoMsgBox(box.pid()));
        PressOk(shown);
        EXPECT_EQ(box.ExitCode(), IDOK);
        EXPECT_TRUE(NoMsgBox(box.pid()));
    }
}

TEST(PopupMenuOfAnotherProcess, RightClickOpensItAtThePointerAndKeysChooseTheItem) {
    Helper host(L"--menu-host");
    ASSERT_TRUE(host.started());
    auto windows = std::vector<HWND>();
    ASSERT_TRUE(WaitUntil("the menu host window", [&] {
        windows = TopWindows(host.pid(), L"HarnessMenuHost", nullptr);
        return !windows.empty();
    }));
    Sync(windows.front());
    RightClick(windows.front(), POINT{40, 30});
    HWND menu = WaitPopupMenu();
    ASSERT_NE(menu, nullptr) << "no popup menu after the right click";
    ChoosePopupItem(menu, 2);
    // The host encodes item id * 100000 + the pointer's client x * 1000 + y.
    EXPECT_EQ(host.ExitCode(), 102 * 100000 + 40 * 1000 + 30);
}

TEST(MenuHostBackground, OpenMainMenuItemFindsTheBackgroundAndChooses) {
    Helper host(L"--menu-host");
    ASSERT_TRUE(host.started());
    std::vector<HWND> windows;
    ASSERT_TRUE(WaitUntil("the menu host window", [&] {
        windows = TopWindows(host.pid(), L"HarnessMenuHost", nullptr);
        return !windows.empty();
    }));
    Sync(windows.front());
    EXPECT_TRUE(OpenMainMenuItem(windows.front(), 3));
    EXPECT_EQ(host.ExitCode() / 100000, 103);
}

// ---- registry ----------------------------------------------------------------------

TEST(ResetCase, WritesTheSampleBrowserValuesAndDropsOthers) {
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, L"Display Inline Images", L"no");
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 3);
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"Leftover", 1);
    DeleteRegValue(HKEY_LOCAL_MACHINE, kPictsKey, L"CheckedValue");

    ResetCase();

    EXPECT_EQ(ReadReg(HKEY_LOCAL_MACHINE, kPictsKey, L"RegPath").Str(), L"Software\\Microsoft\\Internet Explorer\\Main");
    EXPECT_EQ(ReadReg(HKEY_LOCAL_MACHINE, kPictsKey, L"CheckedValue").Str(), L"yes");
    EXPECT_EQ(ReadReg(HKEY_LOCAL_MACHINE, kPictsKey, L"UncheckedValue").Str(), L"no");
    RegVal image = ReadReg(HKEY_CURRENT_USER, kMainKey, L"display inline images");
    EXPECT_TRUE(image.exists);
    EXPECT_EQ(image.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(image.Str(), L"yes");
    RegVal policy = ReadReg(HKEY_CURRENT_USER, kZone3Key, L"1400");
    EXPECT_EQ(policy.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(policy.Dword(), 0u);
    EXPECT_EQ(ReadReg(HKEY_CURRENT_USER, kZone3Key, L"CurrentLevel").Dword(), 0x11500u);
    RegVal c00 = ReadReg(HKEY_CURRENT_USER, kZone3Key, L"1C00");
    EXPECT_EQ(c00.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(c00.data, (std::vector<BYTE>{0, 0, 0, 0}));
    EXPECT_FALSE(ReadReg(HKEY_CURRENT_USER, kZone3Key, L"Leftover").exists);
}

TEST(ResetCase, RemovesShortcutFiles) {
    const std::wstring lnk = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VantrelV1_0.lnk";
    WriteFile(lnk, "not really a shortcut");
    ASSERT_TRUE(FileExists(lnk));
    ResetCase();
    EXPECT_FALSE(FileExists(lnk));
}

// ---- waits -------------------------------------------------------------------------

TEST(Waits, ATimeoutFailsTheCaseAndSaysWhatDidNotHappen) {
    EXPECT_NONFATAL_FAILURE(WaitUntil("the moon to turn blue", [] { return false; }, 50),
                            "timed out after 50 ms waiting for the moon to turn blue");
    EXPECT_TRUE(WaitUntil("something already true", [] { return true; }, 50));
}
