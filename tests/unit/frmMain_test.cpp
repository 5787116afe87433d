// The main window: start-up, the resize rule, the two picks, the script
// policy in effect, the popup menu and the lists following the registry.
#include "app/frmMain_design.h"
#include "fakes.h"
#include "settings/script_setting.h"

namespace vantrel {
namespace {

using fake::Boxes;
using fake::Log;

const std::string kPicts = "HKLM\\Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS\\";
const std::string kMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
const std::string kSwitch = "HKCU\\" + kMainKey + "\\Display Inline Images";
const std::string kZone = std::string(script::kZoneKey) + "\\";
const std::string kPolicy = kZone + "1400", kLevel = kZone + "CurrentLevel", k1C00 = kZone + "1C00";
const std::string kUserPolicy = std::string(script::kUserPolicyKey) + "\\1400";
const std::string kMachinePolicy = std::string(script::kMachinePolicyKey) + "\\1400";
const std::pair<std::string, std::string> kSeed[] = {
    {kPicts + "CheckedValue", "REG_SZ:yes"}, {kPicts + "UncheckedValue", "REG_SZ:no"},
    {kPicts + "RegPath", "REG_SZ:" + kMainKey}, {kSwitch, "REG_SZ:YES"}, {kPolicy, "REG_DWORD:0"},
    {kLevel, "REG_DWORD:3"}, {k1C00, "REG_BINARY:0"}};

// A machine as the browser leaves it: images shown (the word in capitals), scripts enabled.
struct Main {
    fake::World w;
    fake::MainView view{w.log};
    frmMain form{view, w.platform()};
    // `loaded`: start-up has gone through, the window is shown, and the log is forgotten.
    explicit Main(bool loaded = false) {
        for (const auto& [path, value] : kSeed) w.Set(path, value);
        if (!loaded) return;
        EXPECT_TRUE(Load());
        form.Form_Shown();
        EXPECT_TRUE(w.boxes.empty());
        w.log.clear();
    }
    // True when the window would be shown.
    bool Load() {
        try { form.Form_Load(); } catch (const ProgramEnd&) { return false; }
        return true;
    }
    Log Zone() const { return {w.Get(kPolicy), w.Get(kLevel), w.Get(k1C00)}; }
};

const Boxes kNoWshBox = {{"実行できません: WSHがインストールされていません\r\n詳しくはヘルプをご覧ください", MsgIcon::Critical}};

TEST(MainStartUp, StepsRunInTheirOrder) {
    Main m;
    std::string regPathAtImageFill = "(not filled)";
    m.view.image.onClear = [&] { regPathAtImageFill = m.form.RegPath(); };
    ASSERT_TRUE(m.Load());
    EXPECT_EQ(m.w.log.front(), "PrevInstance");
    EXPECT_TRUE(m.w.InOrder({"View.Width", "View.Height", "View.WaitVisible False", "CreateObject WScript.Shell",
                             "RegRead " + kMachinePolicy, "RegRead " + kUserPolicy, "RegRead " + kPolicy,
                             "cmbRegJS_Switch.Clear", "RegRead " + kPicts + "CheckedValue",
                             "RegRead " + kPicts + "UncheckedValue", "RegRead " + kPicts + "RegPath",
                             "RegRead " + kSwitch, "cmbRegImage.Clear"}));
    EXPECT_EQ(regPathAtImageFill, kMainKey);
}

// The window need not wait for the watch; what changed meanwhile is shown when it starts.
TEST(MainStartUp, TheWatchStartsOnceTheWindowIsShown) {
    Main m;
    ASSERT_TRUE(m.Load());
    EXPECT_TRUE(m.w.Calls("Watch").empty());
    m.w.Set(kSwitch, "REG_SZ:no");
    m.form.Form_Shown();
    EXPECT_EQ(m.w.Calls("Watch").size(), 1u);
    EXPECT_EQ(m.view.image.Text(), "いいえ");
}

TEST(MainStartUp, ASecondInstanceEndsWithoutDoingAnything) {
    Main m;
    m.w.prevInstance = true;
    EXPECT_FALSE(m.Load());
    EXPECT_EQ(m.w.log, Log{"PrevInstance"});
}

TEST(MainStartUp, AMissingShellSaysSoAndReadsNothing) {
    Main m;
    m.w.Fail("CreateObject WScript.Shell", kErrCannotCreate.Value());
    EXPECT_FALSE(m.Load());
    EXPECT_EQ(m.w.boxes, kNoWshBox);
    EXPECT_TRUE(m.w.Calls("RegRead").empty() && m.w.Calls("cmbRegJS_Switch.").empty());
}

// A failed read shows its own box and ends the program on the spot.
TEST(MainStartUp, EachFailingReadShowsOneBoxAndIsTheLastRead) {
    const std::string notFound = "-2147024894:指定されたファイルが見つかりません。", noText = "13:型が一致しません。";
    const struct { std::string path, stored, box; } rows[] = {  // stored "": missing, "!": refused
        {kPolicy, "REG_BINARY:1", noText},
        {kPicts + "CheckedValue", "REG_BINARY:1", noText},
        {kPicts + "UncheckedValue", "REG_BINARY:1", noText},
        {kPicts + "RegPath", "", notFound},
        {kSwitch, "!", "-2147024891:アクセスが拒否されました。"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path + " " + r.stored);
        Main m;
        if (r.stored == "!") m.w.Fail("RegRead " + r.path);
        else if (r.stored.empty()) m.w.reg.erase(fake::Lower(r.path));
        else m.w.Set(r.path, r.stored);
        EXPECT_FALSE(m.Load());
        EXPECT_EQ(m.w.boxes, (Boxes{{"エラー: " + r.box, MsgIcon::Critical}}));
        EXPECT_EQ(m.w.Calls("RegRead").back(), "RegRead " + r.path);
        EXPECT_TRUE(m.w.Calls("cmbRegImage.").empty());
    }
}

// The shell is there but cannot be created: the start-up trap's "エラー" box.
TEST(MainStartUp, AShellThatCannotBeCreatedForAnotherReasonShowsTheErrorBox) {
    Main m;
    m.w.Fail("CreateObject WScript.Shell");
    EXPECT_FALSE(m.Load());
    EXPECT_EQ(m.w.boxes, (Boxes{{"エラー: -2147024891:アクセスが拒否されました。", MsgIcon::Critical}}));
    EXPECT_TRUE(m.w.Calls("RegRead").empty());
}

// At DPI settings other than 96 the size comes in fractions of a twip: it is
// kept to the nearest, halves to the even neighbour.
TEST(MainStartUp, TheStoredSizeIsRoundedAsCLngDoes) {
    const struct { double twips; int32_t stored; } rows[] = {
        {3255.4, 3255}, {3255.6, 3256}, {3255.5, 3256}, {3256.5, 3256}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.twips);
        Main m;
        m.view.width = m.view.height = r.twips;
        ASSERT_TRUE(m.Load());
        EXPECT_EQ(m.form.FormWidth(), r.stored);
        EXPECT_EQ(m.form.FormHeight(), r.stored);
    }
}

// A failing step of the resize rule is skipped and the next still runs.
TEST(MainResize, RestoresTheStartUpSizeStepByStep) {
    const Log both = {"View.SetWidth 3255", "View.SetHeight 1035"};
    const struct { std::string failing; bool minimized; Log restored; } rows[] = {
        {"", false, both}, {"", true, {}}, {"SetWidth", false, both}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.failing);
        Main m(true);
        m.view.width = 5000;
        m.view.height = 2000;
        m.view.minimized = r.minimized;
        if (!r.failing.empty()) m.view.raise[r.failing] = fake::Raises();
        EXPECT_NO_THROW(m.form.Form_Resize());
        EXPECT_EQ(m.w.Calls("View.Set"), r.restored);
        EXPECT_TRUE(m.w.boxes.empty());
    }
}

// The size the system suggests at a new DPI is the one kept from then on.
TEST(MainResize, AtANewDpiTheSuggestedSizeIsKept) {
    Main m(true);
    m.view.dpi = 144;
    m.view.width = 4900;  // not 1.5 times: the frame did not scale
    m.view.height = 1200;
    m.form.Form_DpiChanged();
    m.form.Form_Resize();
    EXPECT_EQ(m.w.Calls("View.Set"), (Log{"View.SetWidth 4900", "View.SetHeight 1200"}));
}

// Whatever the rounding on the way, the size recorded at load comes back exactly.
TEST(MainResize, BackAtTheLoadDpiTheLoadSizeComesBack) {
    Main m(true);
    m.view.dpi = 144;
    m.view.width = 4900;
    m.form.Form_DpiChanged();
    m.w.log.clear();
    m.view.dpi = 96;
    m.view.width = 3250;
    m.form.Form_DpiChanged();
    EXPECT_EQ(m.w.Calls("View.Set"), (Log{"View.SetWidth 3255", "View.SetHeight 1035"}));
}

TEST(MainPick, ScriptPickWritesThreeValuesAndNothingElse) {
    Main m(true);
    m.view.script.index = 1;
    m.form.cmbRegJS_Switch_Click();
    EXPECT_EQ(m.w.Calls("RegWrite").size(), 3u);  // their order shows in the refused-write table
    EXPECT_EQ(m.Zone(), (Log{"REG_DWORD:3", "REG_DWORD:0", "REG_BINARY:65536"}));
    EXPECT_TRUE(m.w.Calls("SendMessageA").empty() && m.w.Calls("View.").empty() && m.w.boxes.empty());
}

// Even an empty RegPath goes to the shell as it is, and a RegPath changed
// later does not move the writes.
TEST(MainPick, AnImagePickGoesToTheKeyReadAtStartUp) {
    Main m;
    const std::string odd = "HKCU\\\\Display Inline Images";
    m.w.Set(kPicts + "RegPath", "REG_SZ:");
    m.w.Set(odd, "REG_SZ:yes");
    ASSERT_TRUE(m.Load());
    m.w.Set(kPicts + "RegPath", "REG_SZ:Software\\Elsewhere");
    m.view.image.index = 1;
    m.form.cmbRegImage_Click();
    EXPECT_EQ(m.w.Calls("RegWrite"), Log{"RegWrite " + odd + " = REG_SZ:no"});
}

// A pick is not compared with the registry: the stored entry is written again.
TEST(MainPick, APickOfTheStoredEntryStillWrites) {
    Main m(true);
    m.view.image.index = 0;   // "YES" is stored
    m.view.script.index = 2;  // so is policy 0
    m.form.cmbRegImage_Click();
    m.form.cmbRegJS_Switch_Click();
    EXPECT_EQ(m.w.Get(kSwitch), "REG_SZ:yes");
    EXPECT_EQ(m.w.Calls("RegWrite").size(), 4u);
    EXPECT_EQ(m.Zone(), (Log{"REG_DWORD:0", "REG_DWORD:0", "REG_BINARY:65536"}));
}

TEST(MainPick, NoSelectionDoesNothing) {
    Main m;
    m.w.Set(kSwitch, "REG_SZ:maybe");
    m.w.Set(kPolicy, "REG_DWORD:2");
    ASSERT_TRUE(m.Load());
    m.w.log.clear();
    m.form.cmbRegImage_Click();
    m.form.cmbRegJS_Switch_Click();
    EXPECT_EQ(m.w.log, (Log{"cmbRegImage.ListIndex", "cmbRegJS_Switch.ListIndex"}));
}

// A refused write has its own box; the notice still goes out and the panel is hidden.
TEST(MainPick, ARefusedImageWriteIsShownAndThePickGoesOn) {
    Main m(true);
    m.w.Fail("RegWrite " + kSwitch);
    m.view.image.index = 1;
    m.form.cmbRegImage_Click();
    EXPECT_EQ(m.w.boxes, (Boxes{{"エラー: -2147024891:アクセスが拒否されました。", MsgIcon::Critical}}));
    EXPECT_EQ(m.w.Get(kSwitch), "REG_SZ:YES");
    EXPECT_EQ(m.w.Calls("SendMessageA").size(), 1u);
    EXPECT_FALSE(m.view.waitVisible);
}

// The script writes before a refused one stay; the ones after it are not made.
TEST(MainPick, ARefusedScriptWriteStopsTheWritesAfterIt) {
    const struct { std::string refused; Log after; } rows[] = {
        {kPolicy, {"REG_DWORD:0", "REG_DWORD:3", "REG_BINARY:0"}},
        {kLevel, {"REG_DWORD:3", "REG_DWORD:3", "REG_BINARY:0"}},
        {k1C00, {"REG_DWORD:3", "REG_DWORD:0", "REG_BINARY:0"}}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.refused);
        Main m(true);
        m.w.Fail("RegWrite " + r.refused);
        m.view.script.index = 1;
        m.form.cmbRegJS_Switch_Click();
        EXPECT_EQ(m.w.boxes, (Boxes{{"エラー: -2147024891:アクセスが拒否されました。", MsgIcon::Critical}}));
        EXPECT_EQ(m.Zone(), r.after);
    }
}

// ---- a policy fixes the script setting ---------------------------------------------

TEST(MainPolicy, TheListShowsTheValueInEffectGreyedWithItsReason) {
    Main m;
    m.w.Set(kUserPolicy, "REG_DWORD:3");
    ASSERT_TRUE(m.Load());
    EXPECT_EQ(m.view.script.Text(), "無効にする");
    EXPECT_FALSE(m.view.script.enabled);
    EXPECT_EQ(m.view.script.tip, script::kManagedTip);
    EXPECT_TRUE(m.view.image.enabled);
    EXPECT_TRUE(m.w.boxes.empty());
}

TEST(MainPolicy, AFailingPolicyReadNeitherShowsNorEndsAnything) {
    Main m;
    m.w.Fail("RegRead " + kMachinePolicy, {-2147024891, "アクセスが拒否されました。"});
    ASSERT_TRUE(m.Load());
    EXPECT_TRUE(m.w.boxes.empty());
    EXPECT_FALSE(m.view.script.enabled);  // it may hold a policy: nothing is offered
    EXPECT_EQ(m.view.script.index, -1);
}

// A greyed list still moves on keys posted to it: the handler itself refuses.
// Under a policy the user's own value is not shown, so a missing or odd one
// is no error. Without a policy it still ends the program (see MainStartUp).
TEST(MainPolicy, UnderAPolicyTheUsersOwnValueIsNotNeeded) {
    const std::string hklmOnly = std::string(script::kMachinePolicySettingsKey) + "\\Security_HKLM_only";
    const std::string machineOwn = std::string(script::kMachineZoneKey) + "\\1400";
    const struct { const char* name; std::vector<std::pair<std::string, std::string>> policy; std::string shown; } rows[] = {
        {"machine policy", {{kMachinePolicy, "REG_DWORD:3"}}, "無効にする"},
        {"user policy", {{kUserPolicy, "REG_DWORD:1"}}, "ダイアログを表示"},
        {"machine keys only", {{hklmOnly, "REG_DWORD:1"}, {machineOwn, "REG_DWORD:0"}}, "有効にする"}};
    for (const auto& r : rows)
        for (const char* user : {"", "REG_BINARY:1"}) {
            SCOPED_TRACE(std::string(r.name) + " over " + (*user ? user : "nothing"));
            Main m;
            for (const auto& [path, value] : r.policy) m.w.Set(path, value);
            m.w.Set(kPolicy, user);
            ASSERT_TRUE(m.Load());
            EXPECT_TRUE(m.w.boxes.empty());
            EXPECT_EQ(m.view.script.Text(), r.shown);
            EXPECT_FALSE(m.view.script.enabled);
        }
}

TEST(MainPolicy, APickUnderAPolicyWritesNothingAndPutsTheListBack) {
    Main m;
    m.w.Set(kMachinePolicy, "REG_DWORD:1");
    ASSERT_TRUE(m.Load());
    m.view.script.index = 2;
    m.form.cmbRegJS_Switch_Click();
    EXPECT_TRUE(m.w.Calls("RegWrite").empty());
    EXPECT_EQ(m.view.script.Text(), "ダイアログを表示");
    EXPECT_TRUE(m.w.boxes.empty());
}

// ---- the popup menu -------------------------------------------------------------------


// The help file is always VantrelV1_0.hlp beside the program, whatever its name.
TEST(MainPopup, EachChoiceRunsItsCommand) {
    const struct { PopupChoice choice; std::string exe, command; } rows[] = {
        {PopupChoice::None, "C:\\Tools\\VantrelV1_0.exe", ""},
        {PopupChoice::Setting, "C:\\Tools\\VantrelV1_0.exe", "View.ShowSettingDialog"},
        {PopupChoice::About, "C:\\Tools\\VantrelV1_0.exe", "View.ShowAboutDialog"},
        {PopupChoice::Help, "C:\\Tools\\VantrelV1_0.exe", "WinHelpA 4660,C:\\Tools\\VantrelV1_0.hlp,3,0"},
        {PopupChoice::Help, "D:\\VantrelV1_0.exe", "WinHelpA 4660,D:\\VantrelV1_0.hlp,3,0"},
        {PopupChoice::Help, "\\\\srv\\share\\renamed.exe", "WinHelpA 4660,\\\\srv\\share\\VantrelV1_0.hlp,3,0"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.command);
        Main m(true);
        m.w.exePath = r.exe;
        m.view.choice = r.choice;
        m.form.Form_MouseUp(kRightButton, 0, 1, 1);
        EXPECT_EQ(m.w.log, r.command.empty() ? Log{"View.PopupMenu"} : (Log{"View.PopupMenu", r.command}));
    }
}

// ---- the lists follow the registry ---------------------------------------------------

// What the program writes comes back too: a list that shows it is left alone.
TEST(MainWatch, AListThatShowsTheValueIsLeftAlone) {
    Main m(true);
    m.w.keyChanged();
    EXPECT_TRUE(m.w.Calls("cmbRegImage.SetListIndex").empty() && m.w.Calls("cmbRegJS_Switch.SetListIndex").empty());
}

TEST(MainWatch, AChangeThatArrivesDuringAPickIsShownAfterIt) {
    Main m(true);
    int scriptIndexDuringPick = -9;
    m.w.onWrite = [&] {
        m.w.onWrite = nullptr;
        m.w.Set(kPolicy, "REG_DWORD:3");  // another program, while the pick is written
        m.w.keyChanged();
        scriptIndexDuringPick = m.view.script.index;
    };
    m.view.image.index = 1;
    m.form.cmbRegImage_Click();
    EXPECT_EQ(scriptIndexDuringPick, 2) << "the change was shown in the middle of the pick";
    EXPECT_EQ(m.view.script.index, 1);
    EXPECT_EQ(m.view.image.index, 1);
}

// Where a key is not watched (the system refused it at the start or after a
// change), activation reads again, for as long as that lasts.
TEST(MainWatch, ActivationReadsAgainOnlyWhileTheWatchIsIncomplete) {
    for (bool complete : {false, true}) {
        SCOPED_TRACE(complete);
        Main m(true);
        m.w.watchComplete = complete;
        m.w.Set(kSwitch, "REG_SZ:no");
        m.form.Form_Activate();
        EXPECT_EQ(m.view.image.index, complete ? 0 : 1);
        EXPECT_EQ(m.w.Calls("RegRead").empty(), complete);
    }
}

// ---- help -------------------------------------------------------------------------------

// Windows 10 and later have no viewer for the help file: the page beside the
// program is opened instead when it is there. Nothing is shown either way.
TEST(MainHelp, ThePageFromWindows10OnTheHelpFileBefore) {
    const std::string page = "C:\\Tools\\VantrelV1_0.html";
    const std::string viewer = "WinHelpA 4660,C:\\Tools\\VantrelV1_0.hlp,3,0", browser = "OpenWithSystem " + page;
    const struct { int major; bool pageThere, opening; std::string call; } rows[] = {
        {6, true, true, viewer}, {10, true, true, browser}, {10, false, true, viewer},
        {0, true, true, viewer},  // the system did not say
        {10, true, false, browser}};  // the system cannot open it
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.major) + (r.pageThere ? " with the page" : " without"));
        Main m(true);
        m.w.windowsMajor = r.major;
        if (r.pageThere) m.w.files.insert(page);
        if (!r.opening) m.w.Fail("OpenWithSystem");
        EXPECT_NO_THROW(m.form.mnuHelp_Click());
        EXPECT_EQ(m.w.log, Log{r.call});
        EXPECT_TRUE(m.w.boxes.empty());
    }
}

}  // namespace
}  // namespace vantrel
