// Faults of the machine around the program rather than of its own data: two
// copies racing at start-up, Windows Script Host missing (before start-up and
// after it), and a Start-menu shortcut that is locked, read-only or not a
// file at all. Each case checks what the user sees and that nothing is lost.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "design_ids.h"
#include "harness_win.h"

namespace {

using namespace e2e;
using vantrel::kMainWindowClass;
using vantrel::kMainWindowTitle;
namespace ids = vantrel::setting_ids;

const std::wstring kPrograms = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const std::wstring kLnk = kPrograms + L"\\VantrelV1_0.lnk";
// What CLSIDFromProgID reads, and the class it names.
const std::wstring kProgIdKey = L"Software\\Classes\\WScript.Shell";
const std::wstring kClsidKey = L"Software\\Classes\\CLSID\\{72C24DD5-D70A-438B-8A42-98424B88AFB8}";

bool SameTree(const RegTree& a, const RegTree& b) {
    if (a.exists != b.exists || a.values.size() != b.values.size() || a.subkeys.size() != b.subkeys.size())
        return false;
    for (size_t i = 0; i < a.values.size(); ++i) {
        const auto &x = a.values[i], &y = b.values[i];
        if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
    }
    for (size_t i = 0; i < a.subkeys.size(); ++i)
        if (a.subkeys[i].first != b.subkeys[i].first || !SameTree(a.subkeys[i].second, b.subkeys[i].second))
            return false;
    return true;
}

// Everything of the browser's that the program may read or write.
struct BrowserKeys {
    RegTree picts, main, zone3;
    static BrowserKeys Take() {
        return {SaveRegTree(HKEY_LOCAL_MACHINE, kPictsKey), SaveRegTree(HKEY_CURRENT_USER, kMainKey),
                SaveRegTree(HKEY_CURRENT_USER, kZone3Key)};
    }
    bool operator==(const BrowserKeys& o) const {
        return SameTree(picts, o.picts) && SameTree(main, o.main) && SameTree(zone3, o.zone3);
    }
};

std::wstring MissingShellText() { return W(u8"WSHがインストールされていません\r\n詳しくはヘルプをご覧ください"); }

// "number:description", the form of every trapped error.
bool IsErrorText(const std::wstring& t) {
    size_t i = (!t.empty() && t[0] == L'-') ? 1 : 0;
    const size_t digits = i;
    while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') ++i;
    return i > digits && i + 1 < t.size() && t[i] == L':';
}

class EnvironmentFaultsE2E : public ::testing::Test {
protected:
    void SetUp() override { ResetCase(); }
    void TearDown() override {
        app.Kill();
        // ResetCase does not know about these: a case that took the shell's
        // registration away puts it back here, whatever happened to it.
        for (auto& r : removed) RestoreRegTree(HKEY_LOCAL_MACHINE, r.first, r.second);
        removed.clear();
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        lock = INVALID_HANDLE_VALUE;
        SetFileAttributesW(kLnk.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((kLnk + L"\\keep.txt").c_str());
        RemoveDirectoryW(kLnk.c_str());
        ResetCase();
    }

    void RemoveClassKey(const std::wstring& key) {
        RegTree saved = SaveRegTree(HKEY_LOCAL_MACHINE, key);
        ASSERT_TRUE(saved.exists) << "the prefix has no " << U8(key);
        removed.emplace_back(key, saved);
        DeleteRegTree(HKEY_LOCAL_MACHINE, key);
        ASSERT_FALSE(SaveRegTree(HKEY_LOCAL_MACHINE, key).exists);
    }

    HWND StartMain() {
        if (!app.Start()) return nullptr;
        main = app.WaitWindow(kMainWindowClass, kMainWindowTitle);
        return main;
    }
    HWND OpenSettings() {
        if (!OpenMainMenuItem(main, 1)) return nullptr;
        return app.WaitWindow(ids::kClassNameW, ids::kCaptionW);
    }
    bool MainUsableAgain() {
        const HWND m = main;
        return WaitUntil("the main window to take input again", [m] { return IsWindowEnabled(m) != FALSE; }) &&
               Sync(main);
    }
    void ExpectMissingShellBox(const MsgBox& box) {
        EXPECT_EQ(box.title, W(u8"実行できません"));
        EXPECT_EQ(box.text, MissingShellText()) << U8(box.text);
        EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
        EXPECT_EQ(box.buttons.size(), 1u);
    }
    // The create or remove action refused: one "エラー" box, then the dialog
    // closes and the program goes on.
    void ExpectActionErrorThenDialogCloses(HWND dialog) {
        const MsgBox box = WaitMsgBox(app.pid());
        ASSERT_NE(box.hwnd, nullptr);
        EXPECT_EQ(box.title, W(u8"エラー"));
        EXPECT_TRUE(IsErrorText(box.text)) << U8(box.text);
        EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
        EXPECT_EQ(box.buttons.size(), 1u);
        std::printf("  [box] %s: %s\n", U8(box.title).c_str(), U8(box.text).c_str());
        PressOk(box);
        EXPECT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
        EXPECT_TRUE(MainUsableAgain());
        EXPECT_TRUE(NoMsgBox(app.pid())) << "a second box followed the error";
        EXPECT_TRUE(app.Running());
    }

    App app;
    HWND main = nullptr;
    std::vector<std::pair<std::wstring, RegTree>> removed;
    HANDLE lock = INVALID_HANDLE_VALUE;
};

// ---- two copies at once ---------------------------------------------------------

TEST_F(EnvironmentFaultsE2E, TwoCopiesStartedTogetherTwentyTimesLeaveExactlyOneWindowEachTime) {
    int oneWindow = 0;
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        App a, b;
        // Both created before either runs a single instruction of its own.
        ASSERT_TRUE(a.StartSuspended());
        ASSERT_TRUE(b.StartSuspended());
        a.Resume();
        b.Resume();
        ASSERT_TRUE(WaitUntil("one copy to show its window", [&] {
            return !TopWindows(a.pid(), kMainWindowClass, nullptr).empty() ||
                   !TopWindows(b.pid(), kMainWindowClass, nullptr).empty();
        }));
        ASSERT_TRUE(WaitUntil("the other copy to end", [&] { return !a.Running() || !b.Running(); }));
        App& loser = a.Running() ? b : a;
        DWORD code = 1;
        EXPECT_TRUE(loser.WaitExit(kTimeoutMs, &code));
        EXPECT_EQ(code, 0u) << "the later copy must end normally";
        // Time for a late window of either copy to show up.
        Sleep(200);
        const size_t windows = TopWindows(0, kMainWindowClass, kMainWindowTitle).size();
        EXPECT_EQ(windows, 1u);
        EXPECT_TRUE(a.Running() != b.Running());
        EXPECT_TRUE(NoMsgBox(a.pid()) && NoMsgBox(b.pid()));
        if (windows == 1 && a.Running() != b.Running()) ++oneWindow;
        a.Kill();
        b.Kill();
    }
    EXPECT_EQ(oneWindow, 20);
}

// ---- Windows Script Host missing ------------------------------------------------

TEST_F(EnvironmentFaultsE2E, WithoutTheShellsRegistrationOnlyTheCannotRunBoxShowsAndNothingIsWritten) {
    // Two ways the class can be missing: no ProgID (CLSIDFromProgID fails),
    // or a ProgID naming a class that is not registered (creation fails).
    for (const std::wstring& key : {kProgIdKey, kClsidKey}) {
        SCOPED_TRACE(U8(key) + " removed");
        ResetCase();
        const BrowserKeys before = BrowserKeys::Take();
        RemoveClassKey(key);
        ASSERT_TRUE(app.Start());
        const MsgBox box = WaitMsgBox(app.pid());
        ASSERT_NE(box.hwnd, nullptr);
        ExpectMissingShellBox(box);
        EXPECT_TRUE(TopWindows(app.pid(), kMainWindowClass, nullptr).empty()) << "the main window must never show";
        EXPECT_EQ(TopWindows(app.pid(), nullptr, nullptr).size(), 1u) << "the box must be the only window";
        PressOk(box);
        EXPECT_TRUE(app.WaitExit());
        EXPECT_TRUE(BrowserKeys::Take() == before) << "the browser's registry keys changed";
        RestoreRegTree(HKEY_LOCAL_MACHINE, removed.back().first, removed.back().second);
        removed.pop_back();
    }
}

TEST_F(EnvironmentFaultsE2E, TheShellRemovedAfterStartUpEndsTheProgramWhenSettingsAreOpened) {
    ASSERT_TRUE(StartMain());
    const BrowserKeys before = BrowserKeys::Take();
    RemoveClassKey(kProgIdKey);
    ASSERT_TRUE(OpenMainMenuItem(main, 1));
    const MsgBox box = WaitMsgBox(app.pid());
    ASSERT_NE(box.hwnd, nullptr);
    ExpectMissingShellBox(box);
    EXPECT_TRUE(TopWindows(app.pid(), ids::kClassNameW, nullptr).empty()) << "the dialog must never be shown";
    PressOk(box);
    // The whole program ends, main window included.
    EXPECT_TRUE(app.WaitExit());
    EXPECT_TRUE(TopWindows(0, kMainWindowClass, nullptr, false).empty());
    EXPECT_TRUE(BrowserKeys::Take() == before) << "the browser's registry keys changed";
}

// ---- the shortcut file in the way ------------------------------------------------

// Held open without any sharing: the program cannot even look at it, so it
// counts as absent and creation is offered; the attempt fails and the file
// the user had stays as it was.
TEST_F(EnvironmentFaultsE2E, AShortcutLockedAgainstReadingIsOfferedForCreationAndSurvivesTheFailure) {
    const std::string content = "a shortcut someone else is writing";
    WriteFile(kLnk, content);
    lock = CreateFileW(kLnk.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE) << "cannot lock the shortcut (error " << GetLastError() << ")";
    ASSERT_TRUE(StartMain());
    const HWND dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageW(Child(dialog, ids::kOptCreate), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(Child(dialog, ids::kOptRemove)));
    ClickButton(dialog, ids::kCmdOk);
    ExpectActionErrorThenDialogCloses(dialog);
    CloseHandle(lock);
    lock = INVALID_HANDLE_VALUE;
    EXPECT_EQ(ReadFileBytes(kLnk), content) << "the shortcut file was lost or changed";
}

// Open for reading by another program, which denies deletion: removal is
// offered, refused by the system, and the file is still there.
TEST_F(EnvironmentFaultsE2E, AShortcutThatCannotBeDeletedShowsTheErrorAndIsKept) {
    const std::string content = "a shortcut open in another program";
    WriteFile(kLnk, content);
    lock = CreateFileW(kLnk.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE) << "cannot open the shortcut (error " << GetLastError() << ")";
    ASSERT_TRUE(StartMain());
    HWND dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageW(Child(dialog, ids::kOptRemove), BM_GETCHECK, 0, 0), BST_CHECKED);
    ClickButton(dialog, ids::kCmdOk);
    ExpectActionErrorThenDialogCloses(dialog);
    EXPECT_EQ(ReadFileBytes(kLnk), content);
    CloseHandle(lock);
    lock = INVALID_HANDLE_VALUE;
    // The next opening shows the state actually reached: still there.
    dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageW(Child(dialog, ids::kOptRemove), BM_GETCHECK, 0, 0), BST_CHECKED);
    ClickButton(dialog, ids::kCmdCancel);
    EXPECT_TRUE(WaitUntil("the dialog to close", [dialog] { return !IsWindow(dialog); }));
    EXPECT_EQ(ReadFileBytes(kLnk), content);
}

// The file system's own refusal: a read-only shortcut cannot be deleted.
TEST_F(EnvironmentFaultsE2E, AReadOnlyShortcutShowsTheErrorOnRemovalAndIsKept) {
    const std::string content = "a read-only shortcut";
    WriteFile(kLnk, content);
    ASSERT_TRUE(SetFileAttributesW(kLnk.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(StartMain());
    const HWND dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageW(Child(dialog, ids::kOptRemove), BM_GETCHECK, 0, 0), BST_CHECKED);
    ClickButton(dialog, ids::kCmdOk);
    ExpectActionErrorThenDialogCloses(dialog);
    EXPECT_EQ(ReadFileBytes(kLnk), content);
}

// A folder where the shortcut file should be: not a shortcut, so creation is
// offered; it fails, and the folder and what it holds are untouched.
TEST_F(EnvironmentFaultsE2E, AFolderInPlaceOfTheShortcutIsLeftAloneWhenCreationFails) {
    ASSERT_TRUE(CreateDirectoryW(kLnk.c_str(), nullptr));
    const std::wstring inside = kLnk + L"\\keep.txt";
    WriteFile(inside, "kept");
    ASSERT_TRUE(StartMain());
    const HWND dialog = OpenSettings();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageW(Child(dialog, ids::kOptCreate), BM_GETCHECK, 0, 0), BST_CHECKED);
    ClickButton(dialog, ids::kCmdOk);
    ExpectActionErrorThenDialogCloses(dialog);
    const DWORD attrs = GetFileAttributesW(kLnk.c_str());
    EXPECT_TRUE(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(ReadFileBytes(inside), "kept");
    DeleteFileW(inside.c_str());
}

}  // namespace
