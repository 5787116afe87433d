// The about box: its link opens the home page in a new browser window only
// when none is open, and nothing that goes wrong on the way reaches the user.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "about/FrmVer.h"
#include "platform/controls.h"  // fakes.h uses IComboBox without including it
#include "fakes.h"
#include "resources/version.h"

namespace vantrel {
namespace {

class FakeVerView : public IVerView {
public:
    std::string urlText = "lblURL";
    std::vector<std::string> calls;
    bool unloadFails = false;

    void SetURLText(const std::string& t) override { calls.push_back("SetURLText " + t); urlText = t; }
    void SetFocus() override { calls.push_back("SetFocus"); }
    void Unload() override {
        calls.push_back("Unload");
        if (unloadFails) throw TrappedError(ErrValue{91, u8"オブジェクト変数が設定されていません。"});
    }
};

class FrmVerTest : public ::testing::Test {
protected:
    fake::World world;
    FakeVerView view;
    FrmVer form{view, world.platform()};

    static std::vector<std::string> BrowserOpened() {
        return {"FindWindowA IEFrame,(null)", "CreateObject InternetExplorer.Application",
                "Browser.Visible=True", std::string("Browser.Navigate ") + kHomePageUrl,
                "Browser released"};
    }
};

TEST_F(FrmVerTest, LoadShowsTheHomePageUrlInsteadOfTheDesignText) {
    form.Form_Load();
    EXPECT_EQ(view.urlText, kHomePageUrl);
    EXPECT_NE(view.urlText, "lblURL");
    EXPECT_TRUE(world.log.empty()) << "loading touches nothing outside the dialog";
}

TEST_F(FrmVerTest, ActivationPutsTheFocusOnTheDialog) {
    form.Form_Activate();
    form.Form_Activate();
    EXPECT_EQ(view.calls, (std::vector<std::string>{"SetFocus", "SetFocus"}));
}

TEST_F(FrmVerTest, OkUnloadsAndAFailedUnloadIsIgnored) {
    form.CmdOk_Click();
    EXPECT_EQ(view.calls, std::vector<std::string>{"Unload"});

    view.unloadFails = true;
    EXPECT_NO_THROW(form.CmdOk_Click());
    EXPECT_TRUE(world.messages.empty());
}

TEST_F(FrmVerTest, UnloadHasNothingToRelease) {
    form.Form_Unload();
    EXPECT_TRUE(view.calls.empty());
    EXPECT_TRUE(world.log.empty());
}

TEST_F(FrmVerTest, LinkWithNoBrowserOpenOpensOneAtTheUrlTheLabelShows) {
    form.Form_Load();
    form.lblURL_Click();
    EXPECT_EQ(world.log, BrowserOpened());
    EXPECT_EQ(world.Calls("Browser.Navigate "), std::vector<std::string>{"Browser.Navigate " + view.urlText});
}

TEST_F(FrmVerTest, LinkWithABrowserOpenLeavesItAlone) {
    world.ieFrame = 0x1234;
    form.lblURL_Click();
    EXPECT_EQ(world.log, std::vector<std::string>{"FindWindowA IEFrame,(null)"});
}

TEST_F(FrmVerTest, SecondClickOpensNothingWhileTheFirstBrowserIsOpen) {
    form.lblURL_Click();
    world.ieFrame = 0x1234;  // the window the first click opened
    form.lblURL_Click();
    EXPECT_EQ(world.Calls("CreateObject").size(), 1u);
    EXPECT_EQ(world.Calls("FindWindowA").size(), 2u);
}

TEST_F(FrmVerTest, LinkFailuresAreSwallowedAndLaterStepsStillRun) {
    struct Case {
        const char* name;
        bool browserMissing;
        std::vector<const char*> fail;
        std::vector<std::string> expected;
    };
    const std::string nav = std::string("Browser.Navigate ") + kHomePageUrl;
    const std::vector<Case> cases = {
        {"no Internet Explorer", true, {},
         {"FindWindowA IEFrame,(null)", "CreateObject InternetExplorer.Application"}},
        {"Visible refused", false, {"Visible"},
         {"FindWindowA IEFrame,(null)", "CreateObject InternetExplorer.Application",
          "Browser.Visible=True", nav, "Browser released"}},
        {"Navigate refused", false, {"Navigate"},
         {"FindWindowA IEFrame,(null)", "CreateObject InternetExplorer.Application",
          "Browser.Visible=True", nav, "Browser released"}},
        {"both refused", false, {"Visible", "Navigate"},
         {"FindWindowA IEFrame,(null)", "CreateObject InternetExplorer.Application",
          "Browser.Visible=True", nav, "Browser released"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake::World w;
        w.browserMissing = c.browserMissing;
        for (const char* op : c.fail) w.failures.Fail(op);
        FakeVerView v;
        FrmVer f(v, w.platform());
        f.Form_Load();
        EXPECT_NO_THROW(f.lblURL_Click());
        EXPECT_EQ(w.log, c.expected);
        EXPECT_TRUE(w.messages.empty()) << "the link never shows a message";
        EXPECT_EQ(v.calls, std::vector<std::string>{std::string("SetURLText ") + kHomePageUrl})
            << "the dialog stays as it was";
    }
}

// The numeric and the text forms of the version, and the names, are written
// once each in version.h; these keep them from drifting apart.
TEST(VersionInfo, TextAndNumbersAndNamesAgree) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", VANTREL_VERSION_MAJOR, VANTREL_VERSION_MINOR);
    EXPECT_STREQ(VANTREL_VERSION_TEXT, text);
    EXPECT_STREQ(VANTREL_VERSION_TEXT, "1.00");

    const int numbers[] = {VANTREL_VERSION_NUMBERS};
    EXPECT_EQ(numbers[0], VANTREL_VERSION_MAJOR);
    EXPECT_EQ(numbers[1], VANTREL_VERSION_MINOR);
    EXPECT_EQ(numbers[2], 0);
    EXPECT_EQ(numbers[3], 0);

    EXPECT_STREQ(VANTREL_PRODUCT_NAME, "VantrelV1_0");
    EXPECT_STREQ(VANTREL_INTERNAL_NAME, VANTREL_PRODUCT_NAME);
    EXPECT_EQ(std::string(VANTREL_ORIGINAL_FILENAME), std::string(VANTREL_PRODUCT_NAME) + ".exe");

    char block[16];
    std::snprintf(block, sizeof block, "%04X%04X", VANTREL_LANGUAGE, VANTREL_CODEPAGE);
    EXPECT_STREQ(VANTREL_STRING_BLOCK, block);
    EXPECT_STREQ(VANTREL_STRING_BLOCK, "041104B0");
}

}  // namespace
}  // namespace vantrel
