// The about box. Its link opens the home page in a new browser window only
// when none is open, and nothing that goes wrong on the way reaches the user.
#include "fakes.h"

namespace vantrel {
namespace {

using fake::Log;

TEST(About, LoadActivateAndOk) {
    fake::World w;
    fake::VerView v(w.log);
    FrmVer f(v, w.platform());
    f.Form_Load();
    EXPECT_EQ(v.url, kHomePageUrl);
    f.Form_Activate();
    f.CmdOk_Click();
    v.raise["Unload"] = fake::Raises({91, "オブジェクト変数が設定されていません。"});
    EXPECT_NO_THROW(f.CmdOk_Click());
    EXPECT_EQ(w.log, (Log{"About.SetURLText", "About.SetFocus", "About.Unload", "About.Unload"}));
}

// Each failing step of the link is swallowed and the later ones still run.
TEST(About, Link) {
    const std::tuple<const char*, std::function<void(fake::World&)>, bool, bool> rows[] = {  // ..., tried, made
        {"browser already open", [](fake::World& w) { w.ieFrame = 0x4242; }, false, false},
        {"none open", [](fake::World&) {}, true, true},
        {"window search fails", [](fake::World& w) { w.Fail("FindWindowA"); }, true, true},
        {"no Internet Explorer", [](fake::World& w) { w.Fail("CreateObject InternetExplorer.Application", kErrCannotCreate.Value()); }, true, false},
        {"Visible refused", [](fake::World& w) { w.Fail("Browser.Visible"); }, true, true},
        {"Navigate refused", [](fake::World& w) { w.Fail("Browser.Navigate"); }, true, true}};
    for (const auto& [name, arrange, tried, made] : rows) {
        SCOPED_TRACE(name);
        fake::World w;
        fake::VerView v(w.log);
        FrmVer f(v, w.platform());
        f.Form_Load();
        arrange(w);
        EXPECT_NO_THROW(f.lblURL_Click());
        Log expected = {"About.SetURLText", "FindWindowA IEFrame,(null)"};
        if (tried) expected.push_back("CreateObject InternetExplorer.Application");
        if (made) expected.insert(expected.end(), {"Browser.Visible True", "Browser.Navigate " + v.url, "Browser released"});
        EXPECT_EQ(w.log, expected);
        EXPECT_TRUE(w.boxes.empty());
    }
}

}  // namespace
}  // namespace vantrel
