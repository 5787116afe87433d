// The main window's start-up, unload, resize rule and popup menu.
#include <cmath>
#include <limits>

#include "frmMain_fixture.h"

namespace vantrel::test {
namespace {

using fake::Log;

const std::string kNotFound = "-2147024894:指定されたファイルが見つかりません。";

// ---------------------------------------------------------------- start-up

TEST_F(MainTest, StartUpRunsEveryStepInOrderAndPreselectsBothLists) {
    ASSERT_TRUE(Load());
    const Log expected = {
        "PrevInstance",
        "View.Width?",
        "View.Height?",
        "View.WaitVisible False",
        "CreateObject WScript.Shell",
        "RegRead " + kPolicy,
        "cmbRegJS_Switch.Clear",
        "cmbRegJS_Switch.AddItem " + kAsk,
        "cmbRegJS_Switch.AddItem " + kDisable,
        "cmbRegJS_Switch.AddItem " + kEnable,
        "cmbRegJS_Switch.SetText " + kEnable,
        "cmbRegJS_Switch.Enabled True",
        "RegRead " + kChecked,
        "RegRead " + kUnchecked,
        "RegRead " + kRegPathValue,
        "RegRead " + kSwitch,
        "cmbRegImage.Clear",
        "cmbRegImage.AddItem " + kYes,
        "cmbRegImage.AddItem " + kNo,
        "cmbRegImage.SetText " + kYes,
        "cmbRegImage.Enabled True",
    };
    EXPECT_EQ(w.log, expected);
    EXPECT_TRUE(w.messages.empty());
    EXPECT_NE(form->Shell(), nullptr);
    EXPECT_EQ(form->RegPath(), kMainKey);
    EXPECT_EQ(form->FormWidth(), 3255);
    EXPECT_EQ(form->FormHeight(), 1035);
    EXPECT_FALSE(view.waitVisible);
}

TEST_F(MainTest, RegPathIsStoredBeforeTheImageListIsFilled) {
    std::string seenAtFill = "(not filled)";
    view.image.onClear = [&] { seenAtFill = form->RegPath(); };
    ASSERT_TRUE(Load());
    EXPECT_EQ(seenAtFill, kMainKey);
}

TEST_F(MainTest, StartUpWritesAndBroadcastsNothingEvenForUnusualStoredWords) {
    w.reg.Set(kSwitch, fake::Sz("YES"));
    w.reg.Set(kPolicy, fake::Sz("3"));
    const auto before = w.reg.All();
    ASSERT_TRUE(Load());
    EXPECT_EQ(w.reg.All(), before);
    EXPECT_TRUE(w.Calls("RegWrite").empty());
    EXPECT_TRUE(w.Calls("SendMessageA").empty());
    EXPECT_EQ(view.image.Text(), kYes);
    EXPECT_EQ(view.script.Text(), kDisable);
}

TEST_F(MainTest, SecondInstanceEndsSilentlyBeforeAnythingElse) {
    w.prevInstance = true;
    const auto before = w.reg.All();
    EXPECT_FALSE(Load());
    EXPECT_EQ(w.log, Log{"PrevInstance"});
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.reg.All(), before);
    EXPECT_EQ(form->Shell(), nullptr);
}

TEST_F(MainTest, MissingScriptingShellShowsOnlyTheWshBoxAndEnds) {
    w.shellMissing = true;
    const auto before = w.reg.All();
    EXPECT_FALSE(Load());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "実行できません");
    EXPECT_EQ(w.messages[0].text, "WSHがインストールされていません\r\n詳しくはヘルプをご覧ください");
    EXPECT_EQ(w.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(w.Calls("RegRead").empty());
    EXPECT_TRUE(w.Calls("RegWrite").empty());
    EXPECT_EQ(view.image.clears + view.script.clears, 0);
    EXPECT_EQ(w.reg.All(), before);
}

// A read that fails shows its own "エラー" box and ends the program on the
// spot: no start-up box on top of it, no later step, no unload.
struct ReadFailure {
    const char* name;
    std::string failingRead;
    std::string lastReadExpected;  // nothing is read after it
    bool scriptListFilled;
};

class StartUpReadFailure : public MainTest, public ::testing::WithParamInterface<ReadFailure> {};

TEST_P(StartUpReadFailure, ShowsOneErrorBoxAndStopsThere) {
    const ReadFailure& c = GetParam();
    w.reg.Remove(c.failingRead);
    EXPECT_FALSE(Load());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "エラー");
    EXPECT_EQ(w.messages[0].text, kNotFound);
    EXPECT_EQ(w.messages[0].icon, MsgIcon::Critical);

    const auto reads = w.Calls("RegRead");
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back(), "RegRead " + c.lastReadExpected);
    EXPECT_EQ(w.log.back(), "MsgBox エラー: " + kNotFound);
    EXPECT_EQ(view.script.clears, c.scriptListFilled ? 1 : 0);
    EXPECT_EQ(view.image.clears, 0);
    EXPECT_TRUE(w.Calls("RegWrite").empty());
    EXPECT_FALSE(Logged("Shell released"));
}

INSTANTIATE_TEST_SUITE_P(
    EachRead, StartUpReadFailure,
    ::testing::Values(ReadFailure{"ScriptPolicy", kPolicy, kPolicy, false},
                      ReadFailure{"CheckedValue", kChecked, kChecked, true},
                      ReadFailure{"UncheckedValue", kUnchecked, kUnchecked, true},
                      ReadFailure{"RegPath", kRegPathValue, kRegPathValue, true},
                      ReadFailure{"Switch", kSwitch, kSwitch, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainTest, ReadResultsWithoutTextFormAreFailedReads) {
    w.reg.Set(kPolicy, fake::Binary(1));
    EXPECT_FALSE(Load());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "エラー");
    EXPECT_EQ(w.messages[0].text, "13:型が一致しません。");
    EXPECT_TRUE(w.Calls("RegRead " + kPicts).empty());

    fake::World w2;
    FakeMainView v2(w2.log);
    w2.reg = w.reg;
    w2.reg.Set(kPolicy, fake::Dword(1));
    w2.reg.Set(kChecked, fake::MultiSz());
    frmMain f2(v2, w2.platform());
    EXPECT_THROW(f2.Form_Load(), ProgramEnd);
    ASSERT_EQ(w2.messages.size(), 1u);
    EXPECT_EQ(w2.messages[0].text, "13:型が一致しません。");
    EXPECT_TRUE(w2.Calls("RegRead " + kUnchecked).empty());
}

TEST_F(MainTest, RefusedReadShowsTheShellsNumberAndDescription) {
    w.failures.Fail("RegRead " + kSwitch);
    EXPECT_FALSE(Load());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, "-2147024891:アクセスが拒否されました。");
    EXPECT_EQ(view.image.clears, 0);
}

// Errors outside the read operations go to the start-up trap: an "エラー"
// box, then the window is unloaded (the shell released) and the program ends.
TEST_F(MainTest, FailureWhileFillingAListShowsErrorBoxThenUnloads) {
    view.image.failOn = "AddItem";
    EXPECT_FALSE(Load());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "エラー");
    EXPECT_EQ(w.messages[0].text, "380:プロパティの値が不正です。");
    EXPECT_EQ(w.messages[0].icon, MsgIcon::Critical);
    EXPECT_LT(IndexOf("MsgBox エラー: 380:プロパティの値が不正です。"), IndexOf("Shell released"));
    EXPECT_EQ(form->Shell(), nullptr);
    EXPECT_TRUE(w.Calls("RegWrite").empty());
}

TEST_F(MainTest, FailureWhileFillingScriptListStopsBeforeTheImageReads) {
    view.script.failOn = "SetEnabled";
    EXPECT_FALSE(Load());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, "380:プロパティの値が不正です。");
    EXPECT_TRUE(w.Calls("RegRead " + kPicts).empty());
    EXPECT_TRUE(Logged("Shell released"));
}

TEST_F(MainTest, FailuresBeforeTheShellExistsEndWithTheErrorBox) {
    view.raise["Width?"] = [] { RaiseTrapped(5, "プロシージャの呼び出し、または引数が不正です。"); };
    EXPECT_FALSE(Load());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "エラー");
    EXPECT_EQ(w.messages[0].text, "5:プロシージャの呼び出し、または引数が不正です。");
    EXPECT_TRUE(w.Calls("CreateObject").empty());

    fake::World w2;
    FakeMainView v2(w2.log);
    v2.raise["SetWaitVisible"] = [] { RaiseTrapped(438, "オブジェクトは、このプロパティまたはメソッドをサポートしていません。"); };
    frmMain f2(v2, w2.platform());
    EXPECT_THROW(f2.Form_Load(), ProgramEnd);
    ASSERT_EQ(w2.messages.size(), 1u);
    EXPECT_EQ(w2.messages[0].text, "438:オブジェクトは、このプロパティまたはメソッドをサポートしていません。");
    EXPECT_TRUE(w2.Calls("CreateObject").empty());
}

TEST_F(MainTest, SizeBeyond32BitsIsAnOverflowErrorNotAWrappedSize) {
    view.width = 3.0e10;
    EXPECT_FALSE(Load());
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, "6:オーバーフローしました。");

    fake::World w2;
    FakeMainView v2(w2.log);
    v2.height = std::numeric_limits<double>::quiet_NaN();
    frmMain f2(v2, w2.platform());
    EXPECT_THROW(f2.Form_Load(), ProgramEnd);
    ASSERT_EQ(w2.messages.size(), 1u);
    EXPECT_EQ(w2.messages[0].text, "6:オーバーフローしました。");
}

// Fractional twips (DPI other than 96) are rounded as CLng does: to nearest,
// halves to the even neighbour.
TEST(FormSize, IsRoundedToNearestWithHalvesToEven) {
    const std::pair<double, int32_t> cases[] = {
        {3255.0, 3255}, {3255.4, 3255}, {3255.6, 3256}, {3255.5, 3256}, {3256.5, 3256},
        {3254.5, 3254}, {-0.5, 0},      {-1.5, -2},     {0.49999, 0},   {2147483647.4, 2147483647},
    };
    for (const auto& [twips, expected] : cases) {
        fake::World w;
        FakeMainView v(w.log);
        w.reg.Set(kChecked, fake::Sz("yes"));
        w.reg.Set(kUnchecked, fake::Sz("no"));
        w.reg.Set(kRegPathValue, fake::Sz(kMainKey));
        w.reg.Set(kSwitch, fake::Sz("yes"));
        w.reg.Set(kPolicy, fake::Dword(0));
        v.width = twips;
        v.height = twips;
        frmMain f(v, w.platform());
        ASSERT_NO_THROW(f.Form_Load()) << twips;
        EXPECT_EQ(f.FormWidth(), expected) << twips;
        EXPECT_EQ(f.FormHeight(), expected) << twips;
    }
}

// ------------------------------------------------------------------ unload

TEST_F(MainTest, UnloadReleasesTheShellAndNeverCancels) {
    ASSERT_TRUE(Load());
    bool cancel = false;
    form->Form_Unload(cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(form->Shell(), nullptr);
    EXPECT_EQ(w.log.back(), "Shell released");
    EXPECT_EQ(w.Calls("Shell released").size(), 1u);

    form->Form_Unload(cancel);  // a second unload finds nothing to release
    EXPECT_EQ(w.Calls("Shell released").size(), 1u);
}

// ------------------------------------------------------------------ resize

TEST_F(MainTest, ResizeRestoresTheLoadTimeSize) {
    LoadAndClear();
    view.width = 5000;  // dragged wider
    view.height = 2000;
    form->Form_Resize();
    EXPECT_EQ(w.log, (Log{"View.IsMinimized?", "View.SetWidth 3255", "View.SetHeight 1035"}));
    EXPECT_EQ(form->FormWidth(), 3255);
    EXPECT_EQ(form->FormHeight(), 1035);
}

TEST_F(MainTest, ResizeWhileMinimizedDoesNothing) {
    LoadAndClear();
    view.minimized = true;
    form->Form_Resize();
    EXPECT_EQ(w.log, Log{"View.IsMinimized?"});
}

TEST_F(MainTest, ResizeIgnoresEachFailingStepAndGoesOn) {
    LoadAndClear();
    view.raise["SetWidth"] = [] { RaiseTrapped(384, "フォームが最小化または最大化されているときは変更できません。"); };
    EXPECT_NO_THROW(form->Form_Resize());
    EXPECT_TRUE(Logged("View.SetHeight 1035"));

    w.log.clear();
    view.raise.clear();
    view.raise["SetHeight"] = [] { throw std::runtime_error("refused"); };
    view.raise["IsMinimized?"] = [] { throw std::runtime_error("no state"); };
    EXPECT_NO_THROW(form->Form_Resize());
    EXPECT_EQ(w.log, (Log{"View.IsMinimized?", "View.SetWidth 3255", "View.SetHeight 1035"}));
    EXPECT_TRUE(w.messages.empty());
}

// -------------------------------------------------------------------- menu

TEST_F(MainTest, OnlyARightButtonReleaseOpensTheMenu) {
    LoadAndClear();
    using Handler = void (frmMain::*)(int16_t, int16_t, float, float);
    const Handler handlers[] = {&frmMain::Form_MouseUp, &frmMain::lblShowImage_MouseUp,
                                &frmMain::lblScriptExecute_MouseUp};
    for (Handler h : handlers) {
        ((*form).*h)(kLeftButton, 0, 10.f, 10.f);
        ((*form).*h)(kMiddleButton, 0, 10.f, 10.f);
        ((*form).*h)(3, 0, 10.f, 10.f);
    }
    EXPECT_TRUE(w.log.empty());
    for (Handler h : handlers)
        for (int16_t shift : {0, 1, 2, 4, 7}) ((*form).*h)(kRightButton, shift, -5.f, 1e6f);
    EXPECT_EQ(w.Calls("View.PopupMenu").size(), 15u);
    EXPECT_EQ(w.log.size(), 15u);  // nothing chosen: nothing else happens
}

TEST_F(MainTest, MenuChoiceRunsItsCommand) {
    LoadAndClear();
    view.choice = PopupChoice::Setting;
    form->Form_MouseUp(kRightButton, 0, 0, 0);
    view.choice = PopupChoice::About;
    form->lblShowImage_MouseUp(kRightButton, 0, 0, 0);
    view.choice = PopupChoice::Help;
    form->lblScriptExecute_MouseUp(kRightButton, 0, 0, 0);
    EXPECT_EQ(w.log, (Log{"View.PopupMenu", "View.ShowSettingDialog", "View.PopupMenu", "View.ShowAboutDialog",
                          "View.PopupMenu", "WinHelpA 4660,C:\\Tools\\VantrelV1_0.hlp,3,0"}));
}

TEST_F(MainTest, HelpFileSitsBesideTheProgramWithOneBackslash) {
    LoadAndClear();
    w.exeFolder = "C:\\Tools";
    form->mnuHelp_Click();
    w.exeFolder = "D:\\";
    form->mnuHelp_Click();
    w.exeFolder = "\\\\server\\share\\Vantrel";
    form->mnuHelp_Click();
    EXPECT_EQ(w.Calls("WinHelpA"), (std::vector<std::string>{
                                        "WinHelpA 4660,C:\\Tools\\VantrelV1_0.hlp,3,0",
                                        "WinHelpA 4660,D:\\VantrelV1_0.hlp,3,0",
                                        "WinHelpA 4660,\\\\server\\share\\Vantrel\\VantrelV1_0.hlp,3,0",
                                    }));
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(MainTest, SettingDialogOpensAfreshEachTime) {
    LoadAndClear();
    view.choice = PopupChoice::Setting;
    form->Form_MouseUp(kRightButton, 0, 0, 0);
    form->Form_MouseUp(kRightButton, 0, 0, 0);
    EXPECT_EQ(w.Calls("View.ShowSettingDialog").size(), 2u);
}

}  // namespace
}  // namespace vantrel::test
