// The two browser settings: what the lists show for a stored value, what a
// pick writes, and how the pick handlers behave around the write.
#include "frmMain_fixture.h"

namespace vantrel::test {
namespace {

using fake::Log;

// ----------------------------------------------- stored value -> list entry

struct Preselect {
    fake::RegEntry stored;
    std::string entry;  // empty: nothing selected
};

void PrintTo(const Preselect& p, std::ostream* os) {
    *os << p.stored.type << " '" << p.stored.text << "' " << p.stored.number;
}

class ImagePreselection : public MainTest, public ::testing::WithParamInterface<Preselect> {};

TEST_P(ImagePreselection, SelectsOnlyOnAnExactWordInAnyCase) {
    w.reg.Set(kSwitch, GetParam().stored);
    const auto before = w.reg.All();
    ASSERT_TRUE(Load());
    EXPECT_EQ(view.image.items, (std::vector<std::string>{kYes, kNo}));
    EXPECT_EQ(view.image.Text(), GetParam().entry);
    EXPECT_TRUE(view.image.enabled);
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.reg.All(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Words, ImagePreselection,
    ::testing::Values(Preselect{fake::Sz("yes"), kYes}, Preselect{fake::Sz("YES"), kYes},
                      Preselect{fake::Sz("Yes"), kYes}, Preselect{fake::Sz("yEs"), kYes},
                      Preselect{fake::Sz("no"), kNo}, Preselect{fake::Sz("NO"), kNo},
                      Preselect{fake::Sz("No"), kNo}, Preselect{fake::Sz("yes "), ""},
                      Preselect{fake::Sz(" no"), ""}, Preselect{fake::Sz("y"), ""},
                      Preselect{fake::Sz("ye"), ""}, Preselect{fake::Sz("1"), ""},
                      Preselect{fake::Sz(""), ""}, Preselect{fake::Sz("ｙｅｓ"), ""},
                      Preselect{fake::Sz("はい"), ""}, Preselect{fake::Dword(1), ""}));

class ScriptPreselection : public MainTest, public ::testing::WithParamInterface<Preselect> {};

TEST_P(ScriptPreselection, SelectsOnlyOnExactlyOneThreeOrZero) {
    w.reg.Set(kPolicy, GetParam().stored);
    const auto before = w.reg.All();
    ASSERT_TRUE(Load());
    EXPECT_EQ(view.script.items, (std::vector<std::string>{kAsk, kDisable, kEnable}));
    EXPECT_EQ(view.script.Text(), GetParam().entry);
    EXPECT_TRUE(view.script.enabled);
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.reg.All(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Policies, ScriptPreselection,
    ::testing::Values(Preselect{fake::Dword(1), kAsk}, Preselect{fake::Dword(3), kDisable},
                      Preselect{fake::Dword(0), kEnable}, Preselect{fake::Sz("1"), kAsk},
                      Preselect{fake::Sz("3"), kDisable}, Preselect{fake::Sz("0"), kEnable},
                      Preselect{fake::Dword(2), ""}, Preselect{fake::Dword(65536), ""},
                      Preselect{fake::Dword(-1), ""}, Preselect{fake::Sz("01"), ""},
                      Preselect{fake::Sz(" 1"), ""}, Preselect{fake::Sz("3 "), ""},
                      Preselect{fake::Sz(""), ""}, Preselect{fake::Sz("three"), ""}));

// A list that matched text by prefix ("はい" against "は") would preselect
// wrongly, so no text but an exact entry is ever assigned.
TEST_F(MainTest, PreselectionAssignsOnlyExactEntryTexts) {
    w.reg.Set(kSwitch, fake::Sz("maybe"));
    w.reg.Set(kPolicy, fake::Dword(2));
    ASSERT_TRUE(Load());
    EXPECT_TRUE(w.Calls("cmbRegImage.SetText").empty());
    EXPECT_TRUE(w.Calls("cmbRegJS_Switch.SetText").empty());
    EXPECT_EQ(view.image.ListIndex(), -1);
    EXPECT_EQ(view.script.ListIndex(), -1);
}

// ------------------------------------------------------------- image picks

TEST_F(MainTest, ImagePickWritesTheWordUnderTheWaitPanelThenBroadcasts) {
    LoadAndClear();
    view.image.index = 1;
    form->cmbRegImage_Click();
    const Log expected = {
        "cmbRegImage.ListIndex",
        "View.MoveWait 1320,0",
        "View.WaitToFront",
        "View.WaitVisible True",
        "View.Refresh",
        "cmbRegImage.ListIndex",
        "RegWrite " + kSwitch + " = \"no\"",
        "SendMessageA 65535,26,31,0",
        "View.WaitVisible False",
        "View.Refresh",
    };
    EXPECT_EQ(w.log, expected);
    EXPECT_EQ(w.reg.Get(kSwitch), fake::Sz("no"));
    EXPECT_EQ(w.lastBroadcastLParam, 0);
    EXPECT_FALSE(view.waitVisible);
    EXPECT_EQ(view.waitLeft, 1320);
    EXPECT_EQ(view.waitTop, 0);
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(MainTest, ImagePickWritesLowerCaseWordsAsStringsAndTouchesNothingElse) {
    w.reg.Set(kSwitch, fake::Sz("YES"));
    LoadAndClear();
    auto expected = w.reg.All();

    view.image.index = 0;  // the stored word already means "yes": written again
    form->cmbRegImage_Click();
    expected = w.reg.All();
    EXPECT_EQ(w.reg.Get(kSwitch), fake::Sz("yes"));

    view.image.index = 1;
    form->cmbRegImage_Click();
    EXPECT_EQ(w.reg.Get(kSwitch), fake::Sz("no"));
    w.reg.Set(kSwitch, fake::Sz("yes"));
    EXPECT_EQ(w.reg.All(), expected);  // only the switch ever changed
    EXPECT_EQ(w.Calls("RegWrite").size(), 2u);
    EXPECT_EQ(w.Calls("SendMessageA").size(), 2u);
    EXPECT_TRUE(w.Calls("RegRead").empty());
}

TEST_F(MainTest, EmptyRegPathGivesADoubleBackslashPath) {
    const std::string odd = "HKCU\\\\Display Inline Images";
    w.reg.Set(kRegPathValue, fake::Sz(""));
    w.reg.Set(odd, fake::Sz("no"));
    ASSERT_TRUE(Load());
    EXPECT_TRUE(Logged("RegRead " + odd));
    EXPECT_EQ(view.image.Text(), kNo);
    view.image.index = 0;
    form->cmbRegImage_Click();
    EXPECT_EQ(w.Calls("RegWrite"), std::vector<std::string>{"RegWrite " + odd + " = \"yes\""});
}

TEST_F(MainTest, ImageWritesKeepGoingToTheKeyReadAtStartUp) {
    LoadAndClear();
    w.reg.Set(kRegPathValue, fake::Sz("Software\\Elsewhere"));
    view.image.index = 1;
    form->cmbRegImage_Click();
    EXPECT_EQ(w.Calls("RegWrite"), std::vector<std::string>{"RegWrite " + kSwitch + " = \"no\""});
    EXPECT_FALSE(w.reg.Get("HKCU\\Software\\Elsewhere\\Display Inline Images"));
}

TEST_F(MainTest, RefusedImageWriteShowsOneErrorBoxAndStillBroadcastsAndHides) {
    LoadAndClear();
    w.failures.Fail("RegWrite " + kSwitch);
    view.image.index = 1;
    form->cmbRegImage_Click();
    EXPECT_EQ(w.reg.Get(kSwitch), fake::Sz("yes"));
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "エラー");
    EXPECT_EQ(w.messages[0].text, "-2147024891:アクセスが拒否されました。");
    EXPECT_EQ(w.messages[0].icon, MsgIcon::Critical);
    EXPECT_LT(IndexOf("MsgBox エラー: -2147024891:アクセスが拒否されました。"),
              IndexOf("SendMessageA 65535,26,31,0"));
    EXPECT_EQ(w.log.back(), "View.Refresh");
    EXPECT_FALSE(view.waitVisible);
    EXPECT_EQ(view.image.Text(), kNo);  // the list keeps the user's pick
}

TEST_F(MainTest, PickWithNoSelectionDoesNothing) {
    w.reg.Set(kSwitch, fake::Sz("maybe"));
    w.reg.Set(kPolicy, fake::Dword(2));
    LoadAndClear();
    form->cmbRegImage_Click();
    form->cmbRegJS_Switch_Click();
    EXPECT_EQ(w.log, (Log{"cmbRegImage.ListIndex", "cmbRegJS_Switch.ListIndex"}));
    EXPECT_TRUE(w.messages.empty());
}

// The handler's own trap: "エラー発生", and the panel is left as it was.
TEST_F(MainTest, ErrorInsideAnImagePickShowsErrorOccurredAndLeavesThePanel) {
    LoadAndClear();
    view.raise["Refresh"] = [] { RaiseTrapped(7, "メモリが不足しています。"); };
    view.image.index = 0;
    form->cmbRegImage_Click();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "エラー発生");
    EXPECT_EQ(w.messages[0].text, "7:メモリが不足しています。");
    EXPECT_EQ(w.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(view.waitVisible);
    EXPECT_TRUE(w.Calls("RegWrite").empty());
    EXPECT_TRUE(w.Calls("SendMessageA").empty());
}

// ------------------------------------------------------------ script picks

TEST_F(MainTest, ScriptPickWritesPolicyLevelAnd1C00InOrderAndSendsNothing) {
    const std::pair<int16_t, int64_t> picks[] = {{0, 1}, {1, 3}, {2, 0}};
    LoadAndClear();
    for (const auto& [index, policy] : picks) {
        w.log.clear();
        w.reg.Set(kLevel, fake::Dword(3));
        w.reg.Set(k1C00, fake::Binary(0));
        view.script.index = index;
        form->cmbRegJS_Switch_Click();
        const std::string zone = "RegWrite HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\";
        EXPECT_EQ(w.Calls("RegWrite"), (std::vector<std::string>{
                                            zone + "1400 = " + std::to_string(policy) + " REG_DWORD",
                                            zone + "CUrrentLevel = 0 REG_DWORD",
                                            zone + "1C00 = 65536 REG_BINARY",
                                        }))
            << index;
        EXPECT_EQ(w.reg.Get(kPolicy), fake::Dword(policy));
        EXPECT_EQ(w.reg.Get(kLevel), fake::Dword(0));
        EXPECT_EQ(w.reg.Get(k1C00), fake::Binary(65536));
        EXPECT_TRUE(w.Calls("SendMessageA").empty());
        EXPECT_TRUE(w.Calls("View.").empty());
    }
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(MainTest, StringPolicyBecomesADwordWhenPicked) {
    w.reg.Set(kPolicy, fake::Sz("3"));
    LoadAndClear();
    ASSERT_EQ(view.script.Text(), kDisable);
    form->cmbRegJS_Switch_Click();
    EXPECT_EQ(w.reg.Get(kPolicy), fake::Dword(3));
}

TEST_F(MainTest, OddStoredPolicyIsReplacedByAValidOneOnPick) {
    w.reg.Set(kPolicy, fake::Dword(65536));
    LoadAndClear();
    view.script.index = 2;
    form->cmbRegJS_Switch_Click();
    EXPECT_EQ(w.reg.Get(kPolicy), fake::Dword(0));
}

TEST_F(MainTest, ErrorInsideAScriptPickShowsErrorOccurred) {
    LoadAndClear();
    view.script.failOn = "ListIndex";
    form->cmbRegJS_Switch_Click();
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].title, "エラー発生");
    EXPECT_EQ(w.messages[0].text, "380:プロパティの値が不正です。");
    EXPECT_EQ(w.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(w.Calls("RegWrite").empty());
}

}  // namespace
}  // namespace vantrel::test
