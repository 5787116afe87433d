// The main window: start-up, the resize rule, the two picks and the popup menu.
#include "app/frmMain_design.h"
#include "fakes.h"

namespace vantrel {
namespace {

using fake::Boxes;
using fake::Log;

const std::string kPicts = "HKLM\\Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS\\";
const std::string kMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
const std::string kSwitch = "HKCU\\" + kMainKey + "\\Display Inline Images";
const std::string kZone = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\";
const std::string kPolicy = kZone + "1400", kLevel = kZone + "CurrentLevel", k1C00 = kZone + "1C00";
const std::pair<std::string, std::string> kSeed[] = {
    {kPicts + "CheckedValue", "REG_SZ:yes"}, {kPicts + "UncheckedValue", "REG_SZ:no"},
    {kPicts + "RegPath", "REG_SZ:" + kMainKey}, {kSwitch, "REG_SZ:YES"}, {kPolicy, "REG_DWORD:0"},
    {kLevel, "REG_DWORD:3"}, {k1C00, "REG_BINARY:0"}};

// A machine as the browser leaves it: images shown (the word in capitals), scripts enabled.
struct Main {
    fake::World w;
    fake::MainView view{w.log};
    frmMain form{view, w.platform()};
    // `loaded`: start-up has gone through and its log is forgotten.
    explicit Main(bool loaded = false) {
        for (const auto& [path, value] : kSeed) w.Set(path, value);
        if (!loaded) return;
        EXPECT_TRUE(Load());
        EXPECT_TRUE(w.boxes.empty());
        w.log.clear();
    }
    // True when the window would be shown.
    bool Load() {
        try { form.Form_Load(); } catch (const ProgramEnd&) { return false; }
        return true;
    }
};

TEST(MainStartUp, OrderAndWhatTheWindowShows) {
    Main m;
    std::string regPathAtImageFill = "(not filled)";
    m.view.image.onClear = [&] { regPathAtImageFill = m.form.RegPath(); };
    m.view.image.enabled = m.view.script.enabled = false;
    ASSERT_TRUE(m.Load());
    EXPECT_EQ(m.w.log.front(), "PrevInstance");
    EXPECT_TRUE(m.w.InOrder({"View.Width", "View.Height", "View.WaitVisible False", "CreateObject WScript.Shell",
                             "RegRead " + kPolicy, "cmbRegJS_Switch.SetEnabled", "RegRead " + kPicts + "CheckedValue",
                             "RegRead " + kPicts + "UncheckedValue", "RegRead " + kPicts + "RegPath",
                             "RegRead " + kSwitch, "cmbRegImage.Clear"}));
    EXPECT_EQ(regPathAtImageFill, kMainKey);
    EXPECT_EQ(m.view.script.Text(), "有効にする");
    EXPECT_EQ(m.view.image.Text(), "はい");
    EXPECT_TRUE(m.view.image.enabled && m.view.script.enabled);
    EXPECT_FALSE(m.view.waitVisible);
    EXPECT_TRUE(m.w.boxes.empty() && m.w.Calls("RegWrite").empty() && m.w.Calls("SendMessageA").empty());
}

TEST(MainStartUp, SecondInstanceOrMissingShell) {
    Main second, noShell;
    second.w.prevInstance = true;
    EXPECT_FALSE(second.Load());
    EXPECT_EQ(second.w.log, Log{"PrevInstance"});

    noShell.w.Fail("CreateObject WScript.Shell", kErrCannotCreate.Value());
    EXPECT_FALSE(noShell.Load());
    EXPECT_EQ(noShell.w.boxes, (Boxes{{"実行できません: WSHがインストールされていません\r\n詳しくはヘルプをご覧ください",
                                       MsgIcon::Critical}}));
    EXPECT_TRUE(noShell.w.Calls("RegRead").empty() && noShell.w.Calls("cmbRegJS_Switch.").empty());
}

// A failed read shows its own box and ends the program on the spot.
TEST(MainStartUp, EachFailingReadShowsOneBoxAndIsTheLastRead) {
    const std::string notFound = "-2147024894:指定されたファイルが見つかりません。", noText = "13:型が一致しません。";
    const std::array<std::string, 3> rows[] = {  // path, stored ("": missing, "!": refused), box
        {kPolicy, "REG_BINARY:1", noText},
        {kPicts + "CheckedValue", "REG_BINARY:1", noText},
        {kPicts + "UncheckedValue", "REG_BINARY:1", noText},
        {kPicts + "RegPath", "", notFound},
        {kSwitch, "!", "-2147024891:アクセスが拒否されました。"}};
    for (const auto& [path, stored, box] : rows) {
        SCOPED_TRACE(path + " " + stored);
        Main m;
        if (stored == "!") m.w.Fail("RegRead " + path);
        else if (stored.empty()) m.w.reg.erase(fake::Lower(path));
        else m.w.Set(path, stored);
        EXPECT_FALSE(m.Load());
        EXPECT_EQ(m.w.boxes, (Boxes{{"エラー: " + box, MsgIcon::Critical}}));
        EXPECT_EQ(m.w.Calls("RegRead").back(), "RegRead " + path);
        EXPECT_TRUE(m.w.Calls("cmbRegImage.").empty());
    }
}

// Any other failure goes to the start-up trap: its box, then the unload.
TEST(MainStartUp, OtherFailuresShowTheErrorBoxThenReleaseTheShell) {
    const std::string box = "エラー: 380:プロパティの値が不正です。";
    const auto bad = fake::Raises({380, "プロパティの値が不正です。"});
    const std::pair<std::function<void(fake::MainView&)>, size_t> rows[] = {  // arrange, reads made
        {[&](fake::MainView& v) { v.raise["Width"] = bad; }, 0},
        {[&](fake::MainView& v) { v.raise["WaitVisible"] = bad; }, 0},
        {[&](fake::MainView& v) { v.script.raise["SetEnabled"] = bad; }, 1},
        {[&](fake::MainView& v) { v.image.raise["AddItem"] = bad; }, 5}};
    for (const auto& [arrange, reads] : rows) {
        SCOPED_TRACE(reads);
        Main m;
        arrange(m.view);
        EXPECT_FALSE(m.Load());
        EXPECT_EQ(m.w.boxes, (Boxes{{box, MsgIcon::Critical}}));
        EXPECT_EQ(m.w.Calls("RegRead").size(), reads);
        EXPECT_EQ(m.w.Calls("CreateObject").size(), reads ? 1u : 0u);
        EXPECT_EQ(m.w.log.back(), reads ? "Shell released" : "MsgBox " + box);
        EXPECT_EQ(m.form.Shell(), nullptr);
    }
}

// The size the resize rule restores: to nearest, halves to even, and a size
// beyond 32 bits is an overflow error rather than a wrapped number.
TEST(MainStartUp, StoredSizeRounding) {
    const std::pair<double, std::optional<int32_t>> rows[] = {
        {3255.4, 3255},           {3255.6, 3256},     {3255.5, 3256},       {3256.5, 3256},
        {-0.5, 0},                {-1.5, -2},         {2147483647.4, 2147483647},
        {-2147483648.5, -2147483647 - 1},             {2147483647.5, std::nullopt},
        {-2147483649.0, std::nullopt},                {std::numeric_limits<double>::quiet_NaN(), std::nullopt}};
    for (const auto& [twips, stored] : rows)
        for (bool width : {true, false}) {
            SCOPED_TRACE(std::to_string(twips) + (width ? " width" : " height"));
            Main m;
            (width ? m.view.width : m.view.height) = twips;
            ASSERT_EQ(m.Load(), stored.has_value());
            if (!stored) {
                EXPECT_EQ(m.w.boxes, (Boxes{{"エラー: 6:オーバーフローしました。", MsgIcon::Critical}}));
                EXPECT_TRUE(m.w.Calls("CreateObject").empty());
                continue;
            }
            EXPECT_EQ(m.form.FormWidth(), width ? *stored : 3255);
            EXPECT_EQ(m.form.FormHeight(), width ? 1035 : *stored);
        }
}

// A failing step of the resize rule is skipped and the next still runs.
TEST(MainResize, RestoresTheStartUpSizeStepByStep) {
    const Log both = {"View.SetWidth 3255", "View.SetHeight 1035"};
    const std::function<void()> refused = [] { throw std::runtime_error("refused"); };
    const std::tuple<std::string, bool, Log> rows[] = {  // failing step, minimized, sizes set
        {"", false, both}, {"", true, {}}, {"Minimized", false, both}, {"SetWidth", false, both},
        {"SetHeight", false, both}};
    for (const auto& [failing, minimized, restored] : rows) {
        SCOPED_TRACE(failing);
        Main m(true);
        m.view.width = 5000;
        m.view.height = 2000;
        m.view.minimized = minimized;
        if (!failing.empty()) m.view.raise[failing] = failing == "SetWidth" ? fake::Raises() : refused;
        EXPECT_NO_THROW(m.form.Form_Resize());
        EXPECT_EQ(m.w.Calls("View.Set"), restored);
        EXPECT_TRUE(m.w.boxes.empty());
    }
}

TEST(MainPick, ImagePickShowsThePanelOverTheListWritesBroadcastsThenHides) {
    Main m(true);
    const auto list = std::find_if(std::begin(main_design::kControls), std::end(main_design::kControls),
                                   [](const ControlDesign& c) { return c.id == main_design::kCmbRegImage; });
    m.view.image.index = 1;
    m.form.cmbRegImage_Click();
    EXPECT_TRUE(m.w.InOrder({"View.MoveWait " + std::to_string(list->box.left) + "," + std::to_string(list->box.top),
                             "View.WaitToFront", "View.WaitVisible True", "View.Refresh",
                             "RegWrite " + kSwitch + " = REG_SZ:no", "SendMessageA 65535,26,31,0",
                             "View.WaitVisible False", "View.Refresh"}));
    EXPECT_EQ(m.w.Calls("RegWrite").size() + m.w.Calls("SendMessageA").size(), 2u);
    EXPECT_FALSE(m.view.waitVisible);
    EXPECT_TRUE(m.w.boxes.empty());
}

TEST(MainPick, ScriptPickWritesThreeValuesInOrderAndNothingElse) {
    Main m(true);
    m.view.script.index = 1;
    m.form.cmbRegJS_Switch_Click();
    // Their order shows in the refused-write table.
    EXPECT_EQ(m.w.Calls("RegWrite").size(), 3u);
    EXPECT_EQ((Log{m.w.Get(kPolicy), m.w.Get(kLevel), m.w.Get(k1C00)}),
              (Log{"REG_DWORD:3", "REG_DWORD:0", "REG_BINARY:65536"}));
    EXPECT_TRUE(m.w.Calls("SendMessageA").empty() && m.w.Calls("View.").empty() && m.w.boxes.empty());
}

// Even an empty RegPath goes to the shell as it is.
TEST(MainPick, PicksWriteWhatIsAlreadyStoredToTheKeyReadAtStartUp) {
    Main m;
    const std::string odd = "HKCU\\\\Display Inline Images";
    m.w.Set(kPicts + "RegPath", "REG_SZ:");
    m.w.Set(odd, "REG_SZ:yes");
    ASSERT_TRUE(m.Load());
    m.w.Set(kPicts + "RegPath", "REG_SZ:Software\\Elsewhere");
    m.view.image.index = 0;   // "yes" is stored already
    m.view.script.index = 2;  // so is policy 0
    m.form.cmbRegImage_Click();
    m.form.cmbRegJS_Switch_Click();
    EXPECT_EQ(m.w.Calls("RegWrite " + odd), Log{"RegWrite " + odd + " = REG_SZ:yes"});
    EXPECT_EQ(m.w.Calls("RegWrite").size(), 4u);
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

// A refused write has its own box; the writes before it stay, the ones after
// it are not made; the image notice still goes out and the panel is hidden.
TEST(MainPick, RefusedWrite) {
    const std::pair<std::string, Log> rows[] = {  // refused, values afterwards
        {kSwitch, {"REG_SZ:YES"}},
        {kPolicy, {"REG_DWORD:0", "REG_DWORD:3", "REG_BINARY:0"}},
        {kLevel, {"REG_DWORD:3", "REG_DWORD:3", "REG_BINARY:0"}},
        {k1C00, {"REG_DWORD:3", "REG_DWORD:0", "REG_BINARY:0"}}};
    for (const auto& [refused, after] : rows) {
        SCOPED_TRACE(refused);
        Main m(true);
        m.w.Fail("RegWrite " + refused);
        const bool image = refused == kSwitch;
        m.view.image.index = m.view.script.index = 1;
        if (image) m.form.cmbRegImage_Click();
        else m.form.cmbRegJS_Switch_Click();
        EXPECT_EQ(m.w.boxes, (Boxes{{"エラー: -2147024891:アクセスが拒否されました。", MsgIcon::Critical}}));
        EXPECT_EQ(image ? Log{m.w.Get(kSwitch)} : (Log{m.w.Get(kPolicy), m.w.Get(kLevel), m.w.Get(k1C00)}), after);
        EXPECT_EQ(m.w.Calls("SendMessageA").size(), image ? 1u : 0u);
        EXPECT_FALSE(m.view.waitVisible);
    }
}

TEST(MainPick, ErrorInsideAPickHandlerHasItsOwnBox) {
    for (bool image : {true, false}) {
        SCOPED_TRACE(image);
        Main m(true);
        (image ? m.view.raise["Refresh"] : m.view.script.raise["ListIndex"]) =
            fake::Raises({7, "メモリが不足しています。"});
        m.view.image.index = m.view.script.index = 0;
        if (image) m.form.cmbRegImage_Click();
        else m.form.cmbRegJS_Switch_Click();
        EXPECT_EQ(m.w.boxes, (Boxes{{"エラー発生: 7:メモリが不足しています。", MsgIcon::Critical}}));
        EXPECT_TRUE(m.w.Calls("RegWrite").empty());
        EXPECT_EQ(m.view.waitVisible, image);  // the panel is left as the failure found it
    }
}

// Each handler runs with the program in another folder; the help file is
// always VantrelV1_0.hlp beside it.
TEST(MainPopup, OnlyARightButtonReleaseOpensItAndEachChoiceRunsItsCommand) {
    using Handler = void (frmMain::*)(int16_t, int16_t, float, float);
    const std::tuple<Handler, std::string, std::string> rows[] = {
        {&frmMain::Form_MouseUp, "C:\\Tools\\VantrelV1_0.exe", "C:\\Tools\\VantrelV1_0.hlp"},
        {&frmMain::lblShowImage_MouseUp, "D:\\VantrelV1_0.exe", "D:\\VantrelV1_0.hlp"},
        {&frmMain::lblScriptExecute_MouseUp, "\\\\srv\\share\\renamed.exe", "\\\\srv\\share\\VantrelV1_0.hlp"}};
    for (const auto& [handler, exe, help] : rows) {
        SCOPED_TRACE(exe);
        Main m(true);
        m.w.exePath = exe;
        for (int16_t button : {kLeftButton, kMiddleButton, int16_t{3}, int16_t{0}}) (m.form.*handler)(button, 0, 1, 1);
        EXPECT_TRUE(m.w.log.empty());
        const std::pair<PopupChoice, std::string> choices[] = {{PopupChoice::None, ""},
                                                               {PopupChoice::Setting, "View.ShowSettingDialog"},
                                                               {PopupChoice::About, "View.ShowAboutDialog"},
                                                               {PopupChoice::Help, "WinHelpA 4660," + help + ",3,0"}};
        for (const auto& [choice, command] : choices) {
            m.view.choice = choice;
            (m.form.*handler)(kRightButton, 7, -5, 1e6f);
            EXPECT_EQ(m.w.log, command.empty() ? Log{"View.PopupMenu"} : (Log{"View.PopupMenu", command}));
            m.w.log.clear();
        }
    }
}

// ---- the lists follow the registry ---------------------------------------------------

TEST(MainWatch, BothListsShowWhatTheRegistryHoldsWithoutWritingOrShowingAnything) {
    Main m(true);
    EXPECT_EQ(m.w.watched, (std::vector<std::string>{kMainKey, kZone.substr(5, kZone.size() - 6)}));
    const struct {
        const char *image, *policy;  // nullptr: the value is gone
        int16_t imageIndex, scriptIndex;
    } rows[] = {
        {"REG_SZ:no", "REG_DWORD:3", 1, 1},   {"REG_SZ:Yes", "REG_SZ:1", 0, 0},
        {nullptr, "REG_DWORD:2", -1, -1},     {"REG_BINARY:0", "REG_SZ:0", -1, 2},
        {"REG_SZ:yes ", nullptr, -1, -1},     {"REG_SZ:NO", "REG_DWORD:0", 1, 2},
    };
    for (const auto& r : rows) {
        r.image ? m.w.Set(kSwitch, r.image) : m.w.Set(kSwitch, "");
        r.policy ? m.w.Set(kPolicy, r.policy) : m.w.Set(kPolicy, "");
        m.w.keyChanged();
        EXPECT_EQ(m.view.image.index, r.imageIndex) << (r.image ? r.image : "gone");
        EXPECT_EQ(m.view.script.index, r.scriptIndex) << (r.policy ? r.policy : "gone");
    }
    // What the program writes comes back too: a list that shows it is left alone.
    m.w.log.clear();
    m.w.keyChanged();
    EXPECT_TRUE(m.w.Calls("cmbRegImage.SetListIndex").empty() && m.w.Calls("cmbRegJS_Switch.SetListIndex").empty());
    EXPECT_TRUE(m.w.Calls("RegWrite").empty() && m.w.Calls("SendMessageA").empty() && m.w.boxes.empty());
    EXPECT_TRUE(m.w.Calls("View.").empty()) << "a refresh showed the panel, a menu or a dialog";
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
    EXPECT_EQ(m.w.Calls("RegWrite").size(), 1u);
    EXPECT_EQ(m.w.Calls("SendMessageA").size(), 1u);
}

TEST(MainWatch, WithoutAWatchTheWindowReadsAgainWhenActivated) {
    for (bool works : {true, false}) {
        Main m;
        m.w.watchWorks = works;
        ASSERT_TRUE(m.Load());
        m.w.Set(kSwitch, "REG_SZ:no");
        m.form.Form_Activate();
        EXPECT_EQ(m.view.image.index, works ? 0 : 1) << (works ? "with" : "without") << " a watch";
    }
}

}  // namespace
}  // namespace vantrel
