// The 環境設定 dialog and the Start-menu shortcut store behind it, driven
// through a stand-in for the dialog's controls and the in-memory platform.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// fakes.h uses IComboBox without including its header.
#include "platform/controls.h"
#include "fakes.h"
#include "shortcut/frmSetting.h"

namespace vantrel {
namespace {

const char kAllUsers[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
const char kLnk[] = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\VantrelV1_0.lnk";
const char kUserPrograms[] = "C:\\Users\\taro\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";

// The dialog's controls as plain data. The option pair behaves as an option
// group: selecting one clears the other.
class FakeSettingView : public ISettingView {
public:
    bool value[2] = {false, false};
    bool enabled[2] = {true, true};
    bool infoEnabled = true;
    int unloads = 0;
    std::function<void()> onUnload;

    bool optSetToProgramsFolder_Value(int i) override { return value[i]; }
    void optSetToProgramsFolder_SetValue(int i, bool v) override {
        value[i] = v;
        if (v) value[1 - i] = false;
    }
    void optSetToProgramsFolder_SetEnabled(int i, bool e) override { enabled[i] = e; }
    void lblInfo_SetEnabled(bool e) override { infoEnabled = e; }
    void Unload() override {
        ++unloads;
        if (onUnload) onUnload();
    }

    bool OffersCreate() const { return enabled[0] && value[0] && !enabled[1] && !value[1] && infoEnabled; }
    bool OffersRemove() const { return !enabled[0] && !value[0] && enabled[1] && value[1] && !infoEnabled; }
};

class SettingTest : public ::testing::Test {
protected:
    fake::World world;
    frmSetting form{world.platform()};
    FakeSettingView view;

    // One opening: load, then the user's action (if any) is up to the test.
    void Open() {
        view = FakeSettingView();
        form.Form_Load(view);
    }
    int ShellsCreated() const { return static_cast<int>(world.Calls("CreateObject WScript.Shell").size()); }
    int ShellsReleased() const { return static_cast<int>(world.Calls("Shell released").size()); }
};

// ---- where the shortcut lives -----------------------------------------------

TEST_F(SettingTest, ShortcutGoesIntoAllUsersProgramsWithOneBackslash) {
    world.folders["AllUsersPrograms"] = kAllUsers;  // no trailing "\"
    Open();
    EXPECT_EQ(form.ProgramsFolder(), std::string(kAllUsers) + "\\");
    EXPECT_EQ(world.Calls("Open "), std::vector<std::string>{std::string("Open ") + kLnk});
    // "Programs" is asked only when the all-users folder is unknown.
    EXPECT_EQ(world.Calls("SpecialFolders"), std::vector<std::string>{"SpecialFolders AllUsersPrograms"});

    world.folders["AllUsersPrograms"] = std::string(kAllUsers) + "\\";
    form.cmdCancel_Click();
    Open();
    EXPECT_EQ(form.ProgramsFolder(), std::string(kAllUsers) + "\\");
    EXPECT_EQ(world.Calls("Open ").back(), std::string("Open ") + kLnk);
}

TEST_F(SettingTest, EmptyAllUsersAnswerFallsBackToTheUsersProgramsFolder) {
    world.folders["AllUsersPrograms"] = "";
    world.folders["Programs"] = kUserPrograms;
    Open();
    EXPECT_EQ(world.Calls("SpecialFolders"),
              (std::vector<std::string>{"SpecialFolders AllUsersPrograms", "SpecialFolders Programs"}));
    EXPECT_EQ(form.ProgramsFolder(), std::string(kUserPrograms) + "\\");
    EXPECT_EQ(world.Calls("Open ").back(), std::string("Open ") + kUserPrograms + "\\VantrelV1_0.lnk");
    EXPECT_TRUE(world.messages.empty());
}

TEST_F(SettingTest, WithoutAnyProgramsFolderTheBareFileNameIsUsedThroughout) {
    world.folders.clear();  // both lookups answer empty text
    Open();
    EXPECT_EQ(form.ProgramsFolder(), "");
    EXPECT_EQ(world.Calls("Open "), std::vector<std::string>{"Open VantrelV1_0.lnk"});
    ASSERT_TRUE(view.OffersCreate());

    form.CmdOk_Click();
    EXPECT_EQ(world.Calls("CreateShortcut"), std::vector<std::string>{"CreateShortcut VantrelV1_0.lnk"});
    EXPECT_TRUE(world.files.present.count("VantrelV1_0.lnk"));

    Open();
    ASSERT_TRUE(view.OffersRemove());
    form.CmdOk_Click();
    EXPECT_EQ(world.Calls("Kill "), std::vector<std::string>{"Kill VantrelV1_0.lnk"});
    EXPECT_FALSE(world.files.present.count("VantrelV1_0.lnk"));
}

TEST_F(SettingTest, FailingAllUsersLookupReportsAndDoesNotAskForPrograms) {
    world.failures.Fail("SpecialFolders AllUsersPrograms", -2147467263, "Not implemented.");
    world.folders["Programs"] = kUserPrograms;
    Open();
    EXPECT_EQ(world.Calls("SpecialFolders"), std::vector<std::string>{"SpecialFolders AllUsersPrograms"});
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].title, "エラー");
    EXPECT_EQ(world.messages[0].text, "-2147467263:Not implemented.");
    EXPECT_EQ(world.messages[0].icon, MsgIcon::Critical);
    // The dialog still loads; with no folder known the bare name is looked for.
    EXPECT_EQ(form.ProgramsFolder(), "");
    EXPECT_EQ(world.Calls("Open "), std::vector<std::string>{"Open VantrelV1_0.lnk"});
    EXPECT_TRUE(view.OffersCreate());
}

TEST_F(SettingTest, FailingProgramsLookupAfterAnEmptyFirstAnswerIsReported) {
    world.folders["AllUsersPrograms"] = "";
    world.failures.Fail("SpecialFolders Programs", -2147467263, "Not implemented.");
    Open();
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].title, "エラー");
    EXPECT_EQ(world.messages[0].text, "-2147467263:Not implemented.");
    EXPECT_TRUE(view.OffersCreate());
}

TEST_F(SettingTest, FolderFoundEarlierIsKeptWhenALaterLookupFails) {
    Open();
    form.cmdCancel_Click();
    ASSERT_EQ(form.ProgramsFolder(), std::string(kAllUsers) + "\\");

    world.failures.Fail("SpecialFolders AllUsersPrograms");
    world.files.present.insert(kLnk);
    Open();
    EXPECT_EQ(form.ProgramsFolder(), std::string(kAllUsers) + "\\");
    EXPECT_EQ(world.Calls("Open ").back(), std::string("Open ") + kLnk);
    EXPECT_TRUE(view.OffersRemove());
}

// ---- the missing scripting shell ---------------------------------------------

TEST_F(SettingTest, MissingShellSaysSoAndEndsTheProgramBeforeTheDialogIsShown) {
    world.shellMissing = true;
    EXPECT_THROW(form.Form_Load(view), ProgramEnd);
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].title, "実行できません");
    EXPECT_EQ(world.messages[0].text, "WSHがインストールされていません\r\n詳しくはヘルプをご覧ください");
    EXPECT_EQ(world.messages[0].icon, MsgIcon::Critical);
    // Nothing after the lookup ran: no existence test, no control touched.
    EXPECT_TRUE(world.Calls("Open ").empty());
    EXPECT_TRUE(world.Calls("SpecialFolders").empty());
    EXPECT_FALSE(view.value[0] || view.value[1]);
    EXPECT_FALSE(form.HasShell());
}

TEST_F(SettingTest, ShellThatFailsForAnotherReasonIsReportedAndCreationThenFailsCleanly) {
    struct BrokenShellWorld : fake::World {
        std::unique_ptr<IScriptShell> CreateScriptShell() override {
            log.push_back("CreateObject WScript.Shell");
            throw TrappedError(ErrValue{-2147024770, "指定されたモジュールが見つかりません。"});
        }
    } broken;
    frmSetting f(broken.platform());
    FakeSettingView v;
    f.Form_Load(v);
    ASSERT_EQ(broken.messages.size(), 1u);
    EXPECT_EQ(broken.messages[0].text, "-2147024770:指定されたモジュールが見つかりません。");
    ASSERT_TRUE(v.OffersCreate());

    f.CmdOk_Click();
    ASSERT_EQ(broken.messages.size(), 2u);
    EXPECT_EQ(broken.messages[1].title, "エラー");
    EXPECT_EQ(broken.messages[1].icon, MsgIcon::Critical);
    EXPECT_EQ(broken.messages[1].text.rfind("91:", 0), 0u) << broken.messages[1].text;
    EXPECT_TRUE(broken.files.present.empty());
    EXPECT_EQ(v.unloads, 1);
}

// ---- whether the shortcut is there ---------------------------------------------

TEST_F(SettingTest, OpeningOffersExactlyTheActionThatFits) {
    Open();
    EXPECT_TRUE(view.OffersCreate());

    form.cmdCancel_Click();
    world.files.present.insert(kLnk);
    Open();
    EXPECT_TRUE(view.OffersRemove());
    EXPECT_TRUE(world.messages.empty());
}

TEST_F(SettingTest, ShortcutThatCannotBeReadCountsAsAbsentSilently) {
    world.files.present.insert(kLnk);
    world.files.unreadable.insert(kLnk);
    Open();
    EXPECT_TRUE(view.OffersCreate());
    EXPECT_TRUE(world.messages.empty());
    // The file is closed again even though opening it failed.
    EXPECT_EQ(world.Calls("Close").size(), 1u);
}

TEST_F(SettingTest, FailingCloseAlsoCountsAsAbsent) {
    struct CloseFails : fake::World {
        void Close() override {
            World::Close();
            throw TrappedError(ErrValue{52, "ファイル名または番号が不正です。"});
        }
    } w;
    w.files.present.insert(kLnk);
    frmSetting f(w.platform());
    FakeSettingView v;
    f.Form_Load(v);
    EXPECT_TRUE(v.OffersCreate());
    EXPECT_TRUE(w.messages.empty());
}

// ---- creating the shortcut -------------------------------------------------------

TEST_F(SettingTest, OkCreatesTheShortcutWithItsPropertiesInOrder) {
    Open();
    world.log.clear();
    form.CmdOk_Click();
    EXPECT_EQ(world.Calls("CreateShortcut").size(), 1u);
    EXPECT_EQ(world.Calls("Shortcut."), (std::vector<std::string>{
                                            "Shortcut.TargetPath=C:\\Tools\\VantrelV1_0.EXE",
                                            "Shortcut.Hotkey=CTRL+ALT+S",
                                            "Shortcut.WindowStyle=1",
                                            "Shortcut.Save",
                                            "Shortcut.Hotkey?",
                                        }));
    EXPECT_EQ(world.Calls("CreateShortcut")[0], std::string("CreateShortcut ") + kLnk);
    EXPECT_TRUE(world.files.present.count(kLnk));
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].title, "ショートカットを作成しました");
    EXPECT_EQ(world.messages[0].text, "ショートカットを作成しました\r\n次回からはCTRL+ALT+Sで起動できます");
    EXPECT_EQ(world.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(view.unloads, 1);
}

TEST_F(SettingTest, SuccessTextShowsTheHotkeyAsTheShortcutReportsIt) {
    world.hotkeyReadBack = "Alt+Ctrl+S";
    Open();
    form.CmdOk_Click();
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].text, "ショートカットを作成しました\r\n次回からはAlt+Ctrl+Sで起動できます");
}

TEST_F(SettingTest, TargetIsTheProgramFolderAndBaseNameWithUpperCaseExe) {
    world.exeFolder = "D:\\";  // a drive root already ends in "\"
    world.exeBase = "vantrelv1_0";
    Open();
    form.CmdOk_Click();
    EXPECT_EQ(world.Calls("Shortcut.TargetPath"),
              std::vector<std::string>{"Shortcut.TargetPath=D:\\vantrelv1_0.EXE"});
    EXPECT_EQ(world.Calls("CreateShortcut"),
              std::vector<std::string>{std::string("CreateShortcut ") + kAllUsers + "\\vantrelv1_0.lnk"});
}

TEST_F(SettingTest, RefusedHotkeyStopsCreationReportsAndStillCloses) {
    // What Wine's shell answers for Hotkey.
    world.failures.Fail("Hotkey", -2147467263, "Not implemented.");
    Open();
    form.CmdOk_Click();
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].title, "エラー");
    EXPECT_EQ(world.messages[0].text, "-2147467263:Not implemented.");
    EXPECT_EQ(world.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(world.Calls("Shortcut.WindowStyle").empty());
    EXPECT_TRUE(world.Calls("Shortcut.Save").empty());
    EXPECT_FALSE(world.files.present.count(kLnk));
    EXPECT_EQ(view.unloads, 1);
    EXPECT_FALSE(form.HasShell());

    Open();
    EXPECT_TRUE(view.OffersCreate());
}

TEST_F(SettingTest, SaveIntoAFolderWithoutWriteRightReportsAndLeavesNoFile) {
    world.failures.Fail("Save");  // access denied
    Open();
    form.CmdOk_Click();
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].text, "-2147024891:アクセスが拒否されました。");
    EXPECT_FALSE(world.files.present.count(kLnk));
    EXPECT_TRUE(world.Calls("Shortcut.Hotkey?").empty());
    EXPECT_EQ(view.unloads, 1);
}

TEST_F(SettingTest, RefusedCreateShortcutIsReported) {
    world.failures.Fail("CreateShortcut", -2147024893, "Path not found.");
    Open();
    form.CmdOk_Click();
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].text, "-2147024893:Path not found.");
    EXPECT_TRUE(world.Calls("Shortcut.").empty());
    EXPECT_EQ(view.unloads, 1);
}

// ---- removing the shortcut ---------------------------------------------------------

TEST_F(SettingTest, OkRemovesThePresentShortcut) {
    world.files.present.insert(kLnk);
    Open();
    form.CmdOk_Click();
    EXPECT_FALSE(world.files.present.count(kLnk));
    EXPECT_TRUE(world.Calls("CreateShortcut").empty());
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].title, "ショートカットを削除しました");
    EXPECT_EQ(world.messages[0].text, "ショートカットを削除しました");
    EXPECT_EQ(world.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(view.unloads, 1);
}

TEST_F(SettingTest, ShortcutVanishedSinceOpeningGivesTheErrorAndNoSuccess) {
    world.files.present.insert(kLnk);
    Open();
    world.files.present.erase(kLnk);
    form.CmdOk_Click();
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].title, "エラー");
    EXPECT_EQ(world.messages[0].text, "53:ファイルが見つかりません。");
    EXPECT_EQ(world.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(view.unloads, 1);
}

TEST_F(SettingTest, UndeletableShortcutStaysAndIsOfferedForRemovalAgain) {
    world.files.present.insert(kLnk);
    world.files.undeletable.insert(kLnk);
    Open();
    form.CmdOk_Click();
    ASSERT_EQ(world.messages.size(), 1u);
    EXPECT_EQ(world.messages[0].title, "エラー");
    EXPECT_TRUE(world.files.present.count(kLnk));
    EXPECT_EQ(view.unloads, 1);
    Open();
    EXPECT_TRUE(view.OffersRemove());
}

// ---- the dialog's life ---------------------------------------------------------------

TEST_F(SettingTest, ReopeningAfterEachActionOffersTheOppositeOne) {
    Open();
    form.CmdOk_Click();
    Open();
    EXPECT_TRUE(view.OffersRemove());
    form.CmdOk_Click();
    Open();
    EXPECT_TRUE(view.OffersCreate());
    EXPECT_FALSE(world.files.present.count(kLnk));
}

TEST_F(SettingTest, CancelChangesNothingAndCloses) {
    for (bool present : {false, true}) {
        SCOPED_TRACE(present ? "with shortcut" : "without shortcut");
        world.messages.clear();
        if (present) world.files.present.insert(kLnk);
        const auto before = world.files.present;
        Open();
        form.cmdCancel_Click();
        EXPECT_EQ(world.files.present, before);
        EXPECT_TRUE(world.Calls("CreateShortcut").empty());
        EXPECT_TRUE(world.Calls("Kill").empty());
        EXPECT_TRUE(world.messages.empty());
        EXPECT_EQ(view.unloads, 1);
        EXPECT_FALSE(form.HasShell());
    }
}

TEST_F(SettingTest, OkWithNoOptionSelectedDoesNothingAndStaysOpen) {
    Open();
    view.value[0] = view.value[1] = false;
    form.CmdOk_Click();
    EXPECT_EQ(view.unloads, 0);
    EXPECT_TRUE(world.messages.empty());
    EXPECT_TRUE(world.Calls("CreateShortcut").empty());
    EXPECT_TRUE(form.HasShell());
}

TEST_F(SettingTest, EachOpeningHasItsOwnShellReleasedBeforeTheWindowGoes) {
    bool releasedAtUnload = false;
    for (int opening = 1; opening <= 2; ++opening) {
        Open();
        EXPECT_EQ(ShellsCreated(), opening);
        EXPECT_TRUE(form.HasShell());
        view.onUnload = [&] { releasedAtUnload = ShellsReleased() == opening; };
        if (opening == 1) form.cmdCancel_Click();
        else form.CmdOk_Click();
        EXPECT_TRUE(releasedAtUnload) << "opening " << opening;
        EXPECT_FALSE(form.HasShell());
    }
}

TEST_F(SettingTest, ClosingFromTheTitleBarReleasesTheShellAndChangesNothing) {
    Open();
    form.Form_Unload();  // the window's own close command
    EXPECT_FALSE(form.HasShell());
    EXPECT_EQ(ShellsReleased(), 1);
    EXPECT_TRUE(world.files.present.empty());
    EXPECT_TRUE(world.messages.empty());
    EXPECT_EQ(form.ProgramsFolder(), std::string(kAllUsers) + "\\");
}

TEST_F(SettingTest, MessageAppearsWhileTheDialogIsStillOpen) {
    Open();
    bool openAtMessage = false;
    world.onMessage = [&](const fake::Message&) { openAtMessage = view.unloads == 0; };
    form.CmdOk_Click();
    EXPECT_TRUE(openAtMessage);
    EXPECT_EQ(view.unloads, 1);
}

}  // namespace
}  // namespace vantrel
