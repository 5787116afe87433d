// The 環境設定 dialog and the Start-menu shortcut store behind it.
#include "fakes.h"

namespace vantrel {
namespace {

using fake::Boxes;
using fake::Log;

const std::string kFolder = "C:\\PD\\Start Menu\\Programs";
const std::string kLnk = kFolder + "\\VantrelV1_0.lnk";
const ErrValue kNotImpl{-2147467263, "Not implemented."};
const std::string kNotImplBox = "エラー: -2147467263:Not implemented.";
constexpr int kCreate = frmSetting::kCreate, kRemove = frmSetting::kRemove;

struct Setting {
    fake::World w;
    frmSetting form{w.platform()};
    std::optional<fake::SettingView> view;
    Setting() { w.folders = {{"AllUsersPrograms", kFolder}}; }
    fake::SettingView& Open() {
        view.emplace(w.log);
        form.Form_Load(*view);
        return *view;
    }
};

TEST(SettingFolder, WhereTheShortcutIsLookedFor) {
    const std::string user = "C:\\U\\Programs";
    const Log all = {"SpecialFolders AllUsersPrograms"}, both = {all[0], "SpecialFolders Programs"};
    using Answer = std::optional<std::string>;  // nullopt: the lookup fails
    const struct { Answer allUsers, programs; Log lookups; std::string opened; bool box; } rows[] = {
        {kFolder, user, all, kLnk, false},
        {kFolder + "\\", user, all, kLnk, false},
        {"", user, both, user + "\\VantrelV1_0.lnk", false},
        {"", "", both, "VantrelV1_0.lnk", false},
        {std::nullopt, user, all, "VantrelV1_0.lnk", true},
        {"", std::nullopt, both, "VantrelV1_0.lnk", true}};
    for (const auto& [allUsers, programs, lookups, opened, box] : rows) {
        SCOPED_TRACE(opened);
        Setting s;
        s.w.folders.clear();
        for (const auto& [name, answer] : {std::pair{"AllUsersPrograms", allUsers}, {"Programs", programs}})
            if (answer) s.w.folders[name] = *answer;
            else s.w.Fail(std::string("SpecialFolders ") + name, kNotImpl);
        const fake::SettingView& v = s.Open();
        EXPECT_EQ(s.w.Calls("SpecialFolders"), lookups);
        EXPECT_EQ(s.w.Calls("Open"), Log{"Open " + opened});
        EXPECT_EQ(s.w.boxes, (box ? Boxes{{kNotImplBox, MsgIcon::Critical}} : Boxes{}));
        EXPECT_TRUE(v.value[kCreate]);
    }
}

TEST(SettingFolder, FolderFoundEarlierIsKeptWhenALaterLookupFails) {
    Setting s;
    s.Open();
    s.form.cmdCancel_Click();
    s.w.Fail("SpecialFolders AllUsersPrograms", kNotImpl);
    s.w.files.insert(kLnk);
    EXPECT_TRUE(s.Open().value[kRemove]);
    EXPECT_EQ(s.w.Calls("Open").back(), "Open " + kLnk);
}

TEST(SettingLoad, MissingShellSaysSoAndEnds) {
    Setting s;
    s.w.Fail("CreateObject WScript.Shell", kErrCannotCreate.Value());
    EXPECT_THROW(s.Open(), ProgramEnd);
    EXPECT_EQ(s.w.boxes, (Boxes{{"実行できません: WSHがインストールされていません\r\n詳しくはヘルプをご覧ください",
                                 MsgIcon::Critical}}));
    EXPECT_TRUE(s.w.Calls("Open").empty());
}

// The dialog offers only the action that changes what is on disk; a shortcut
// that cannot be opened or closed counts as absent, without a word.
TEST(SettingLoad, OptionStatesFollowTheShortcutsPresence) {
    const struct { bool present, unreadable, closeFails, exists; } rows[] = {
        {false, false, false, false}, {true, false, false, true}, {true, true, false, false}, {true, false, true, false}};
    for (const auto& [present, unreadable, closeFails, exists] : rows) {
        SCOPED_TRACE(::testing::Message() << present << unreadable << closeFails);
        Setting s;
        if (present) s.w.files.insert(kLnk);
        if (unreadable) s.w.Fail("Open " + kLnk);
        if (closeFails) s.w.Fail("Close");
        const fake::SettingView& v = s.Open();
        // create enabled and selected, remove enabled and selected, the hot-key note enabled
        EXPECT_EQ((std::array{v.enabled[kCreate], v.value[kCreate], v.enabled[kRemove], v.value[kRemove], v.infoEnabled}),
                  (std::array{!exists, !exists, exists, exists, !exists}));
        EXPECT_TRUE(s.w.boxes.empty());
        EXPECT_EQ(s.w.Calls("Close").size(), 1u);  // closed even when the open failed
    }
}

TEST(SettingCreate, OkCreatesTheShortcutAndShowsTheKeysItHolds) {
    Setting s;
    s.w.exePath = "D:\\Vantrel2.exe";
    s.w.hotkeyReadBack = "Alt+Ctrl+S";
    const fake::SettingView& v = s.Open();
    s.form.CmdOk_Click();
    const std::string lnk = kFolder + "\\Vantrel2.lnk";
    const std::string box = "ショートカットを作成しました: ショートカットを作成しました\r\n次回からはAlt+Ctrl+Sで起動できます";
    EXPECT_TRUE(s.w.InOrder({"CreateShortcut " + lnk, "Shortcut.TargetPath D:\\Vantrel2.EXE",
                             "Shortcut.Hotkey CTRL+ALT+S", "Shortcut.WindowStyle 1", "Shortcut.Save",
                             "Shortcut.GetHotkey", "MsgBox " + box, "Shell released", "Dialog.Unload"}));
    EXPECT_EQ(s.w.boxes, (Boxes{{box, MsgIcon::Information}}));
    EXPECT_TRUE(s.w.files.count(lnk));
    EXPECT_EQ(v.unloads, 1);
}

// A failing step ends the creation with its box; the dialog closes anyway,
// and a file exists only if Save ran.
TEST(SettingCreate, EachFailingStep) {
    const std::string steps[] = {"CreateShortcut",       "Shortcut.TargetPath", "Shortcut.Hotkey",
                                 "Shortcut.WindowStyle", "Shortcut.Save",       "Shortcut.GetHotkey"};
    for (const std::string& step : steps) {
        SCOPED_TRACE(step);
        Setting s;
        const fake::SettingView& v = s.Open();
        s.w.Fail(step, kNotImpl);
        s.form.CmdOk_Click();
        EXPECT_EQ(s.w.boxes, (Boxes{{kNotImplBox, MsgIcon::Critical}}));
        EXPECT_EQ(s.w.Calls("CreateShortcut").size() + s.w.Calls("Shortcut.").size(), &step - steps + 1u);
        EXPECT_EQ(s.w.files.count(kLnk), step == "Shortcut.GetHotkey" ? 1u : 0u);
        EXPECT_EQ(v.unloads, 1);
    }
}

// A shell that could not be created for another reason than a missing WSH:
// the lookup says why, and OK then fails with a box instead of crashing.
TEST(SettingCreate, ShellThatFailedAtLoadGivesErrorBoxes) {
    Setting s;
    s.w.Fail("CreateObject WScript.Shell", kNotImpl);
    const fake::SettingView& v = s.Open();
    s.form.CmdOk_Click();
    EXPECT_EQ(s.w.boxes, (Boxes{{kNotImplBox, MsgIcon::Critical},
                                {"エラー: 91:オブジェクト変数または With ブロック変数が設定されていません。", MsgIcon::Critical}}));
    EXPECT_TRUE(s.w.files.empty());
    EXPECT_EQ(v.unloads, 1);
}

TEST(SettingRemove, OkRemovesOrSaysWhyNot) {
    const struct { const char* name; bool vanished, undeletable; std::pair<std::string, MsgIcon> box; } rows[] = {
        {"removed", false, false, {"ショートカットを削除しました: ショートカットを削除しました", MsgIcon::Information}},
        {"vanished", true, false, {"エラー: 53:ファイルが見つかりません。", MsgIcon::Critical}},
        {"undeletable", false, true, {"エラー: -2147024891:アクセスが拒否されました。", MsgIcon::Critical}}};
    for (const auto& [name, vanished, undeletable, box] : rows) {
        SCOPED_TRACE(name);
        Setting s;
        s.w.files.insert(kLnk);
        if (undeletable) s.w.Fail("Kill " + kLnk);
        const fake::SettingView& v = s.Open();
        if (vanished) s.w.files.erase(kLnk);
        s.form.CmdOk_Click();
        EXPECT_EQ(s.w.boxes, Boxes{box});
        EXPECT_EQ(s.w.files.count(kLnk), undeletable ? 1u : 0u);
        EXPECT_TRUE(s.w.Calls("CreateShortcut").empty());
        EXPECT_EQ(v.unloads, 1);
    }
}

// Cancel closes the dialog; the title bar's close has already closed it.
// Either way nothing changes on disk and the shell goes.
TEST(SettingClose, CancelAndTitleBarCloseChangeNothing) {
    for (bool cancel : {true, false})
        for (bool present : {false, true}) {
            SCOPED_TRACE(::testing::Message() << cancel << present);
            Setting s;
            if (present) s.w.files.insert(kLnk);
            const fake::SettingView& v = s.Open();
            if (cancel) s.form.cmdCancel_Click();
            else s.form.Form_Unload();
            EXPECT_EQ(s.w.files.count(kLnk), present ? 1u : 0u);
            EXPECT_TRUE(s.w.boxes.empty());
            EXPECT_TRUE(s.w.Calls("CreateShortcut").empty() && s.w.Calls("Kill").empty());
            EXPECT_FALSE(s.form.HasShell());
            EXPECT_EQ(s.w.Calls("Shell released").size(), 1u);
            EXPECT_EQ(v.unloads, cancel ? 1 : 0);
            EXPECT_EQ(s.w.log.back(), cancel ? "Dialog.Unload" : "Shell released");
        }
}

}  // namespace
}  // namespace vantrel
