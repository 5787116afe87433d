// The about box's link: the home page in a new browser window only when none
// is open, the system's handler where the browser's automation object is
// gone, and nothing that goes wrong on the way reaches the user.
#include "fakes.h"

namespace vantrel {
namespace {

using fake::Log;

// Each failing step of the link is swallowed and the later ones still run.
TEST(About, TheLinkOpensTheHomePageOnce) {
    const std::string url = kHomePageUrl;
    const Log look = {"FindWindowA IEFrame,(null)"}, create = {"CreateObject InternetExplorer.Application"};
    const Log browser = {"Browser.Visible True", "Browser.Navigate " + url, "Browser released"};
    struct Row {
        const char* name;
        std::function<void(fake::World&)> arrange;
        std::vector<Log> steps;  // what is done after the window search, in order
    };
    const Row rows[] = {
        {"browser already open", [](fake::World& w) { w.ieFrame = 0x4242; }, {}},
        {"none open", [](fake::World&) {}, {create, browser}},
        {"window search fails", [](fake::World& w) { w.Fail("FindWindowA"); }, {create, browser}},
        {"no automation object: the system's handler",
         [](fake::World& w) { w.Fail("CreateObject InternetExplorer.Application", kErrCannotCreate.Value()); },
         {create, {"OpenUrl " + url}}},
        {"neither", [](fake::World& w) {
             w.Fail("CreateObject InternetExplorer.Application", kErrCannotCreate.Value());
             w.Fail("OpenUrl");
         }, {create, {"OpenUrl " + url}}},
        {"Visible refused", [](fake::World& w) { w.Fail("Browser.Visible"); }, {create, browser}},
        {"Navigate refused", [](fake::World& w) { w.Fail("Browser.Navigate"); }, {create, browser}}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        fake::World w;
        fake::VerView v(w.log);
        FrmVer f(v, w.platform());
        r.arrange(w);
        EXPECT_NO_THROW(f.lblURL_Click());
        Log expected = look;
        for (const Log& step : r.steps) expected.insert(expected.end(), step.begin(), step.end());
        EXPECT_EQ(w.log, expected);
        EXPECT_TRUE(w.boxes.empty());
    }
}

}  // namespace
}  // namespace vantrel
