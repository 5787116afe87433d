// The about box: its version text, and the link, which opens the home page in
// a new browser window only when none is open, the system's handler where the
// browser's automation object is not to be had, and nothing that goes wrong on
// the way reaches the user.
#include "about/FrmVer_design.h"
#include "fakes.h"

namespace vantrel {
namespace {

using fake::Log;

TEST(About, ShowsItsVersionAsVer10) {
    const auto label3 = std::find_if(std::begin(ver_design::kControls), std::end(ver_design::kControls),
                                     [](const ControlDesign& c) { return c.id == ver_design::kLabel3; });
    EXPECT_STREQ(label3->caption, "Ver.1.0");
}

// Each failing step of the link is swallowed and the later ones still run.
TEST(About, TheLinkAsksTheBrowserOrTheSystemsHandlerAndShowsNothing) {
    const std::string url = kHomePageUrl;
    const Log look = {"FindWindowA IEFrame,(null)"}, create = {"CreateObject InternetExplorer.Application"};
    const Log browser = {"Browser.AllowToFront", "Browser.Visible True", "Browser.Navigate " + url, "Browser released"};
    const Log bySystem = {"OpenWithSystem " + url};
    struct Row {
        const char* name;
        std::function<void(fake::World&)> arrange;
        std::vector<Log> steps;  // in order
    };
    const auto noObject = [](fake::World& w) {
        w.Fail("CreateObject InternetExplorer.Application", kErrCannotCreate.Value());
    };
    const Row rows[] = {
        {"browser already open", [](fake::World& w) { w.ieFrame = 0x4242; }, {look}},
        {"none open", [](fake::World&) {}, {look, create, browser}},
        {"window search fails", [](fake::World& w) { w.Fail("FindWindowA"); }, {look, create, browser}},
        {"not registered, a browser window open: the system's handler all the same",
         [](fake::World& w) { w.browserRegistered = false; w.ieFrame = 0x4242; }, {bySystem}},
        {"registered but not created: the system's handler", noObject, {look, create, bySystem}},
        {"neither", [&](fake::World& w) { noObject(w); w.Fail("OpenWithSystem"); }, {look, create, bySystem}},
        {"refused to the front", [](fake::World& w) { w.Fail("Browser.AllowToFront"); }, {look, create, browser}},
        {"Visible refused", [](fake::World& w) { w.Fail("Browser.Visible"); }, {look, create, browser}},
        {"Navigate refused", [](fake::World& w) { w.Fail("Browser.Navigate"); }, {look, create, browser}}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        fake::World w;
        fake::VerView v(w.log);
        FrmVer f(v, w.platform());
        r.arrange(w);
        EXPECT_NO_THROW(f.lblURL_Click());
        Log expected;
        for (const Log& step : r.steps) expected.insert(expected.end(), step.begin(), step.end());
        EXPECT_EQ(w.log, expected);
        EXPECT_TRUE(w.boxes.empty());
    }
}

}  // namespace
}  // namespace vantrel
