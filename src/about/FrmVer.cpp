#include "about/FrmVer.h"

#include "platform/traps.h"

#include <memory>
#include <optional>

namespace vantrel {

void FrmVer::Form_Load() {
    objView.SetURLText(kHomePageUrl);
}

void FrmVer::Form_Activate() {
    objView.SetFocus();
}

void FrmVer::CmdOk_Click() {
    // Closing the about box has nothing worth reporting.
    Ignoring([this] { objView.Unload(); });
}

void FrmVer::Form_Unload() {
    // The dialog holds nothing between events: the browser object lives only
    // inside one OpenHomePage call.
}

void FrmVer::lblURL_Click() {
    OpenHomePage();
}

// Every step goes on after a failure of the one before, and nothing is shown:
// the link is a convenience. An open browser window is not reused, so the
// browser's own object is only used while none is open; where that object is
// not to be had at all (current Windows), the system's handler for the URL
// opens the page instead, whatever windows are open.
void FrmVer::OpenHomePage() {
    const auto bySystem = [this] { Ignoring([this] { objPlatform.host.OpenWithSystem(kHomePageUrl); }); };
    if (!objPlatform.objects.BrowserRegistered()) return bySystem();

    intptr_t ieFrame = 0;
    Ignoring([&] { ieFrame = objPlatform.api.FindWindowA(std::string("IEFrame"), std::nullopt); });
    // An open browser is left alone: not reused, not brought forward.
    if (ieFrame != 0) return;

    std::unique_ptr<IBrowser> browser;
    Ignoring([&] { browser = objPlatform.objects.CreateBrowser(); });
    if (!browser) return bySystem();
    // Before it shows: a window of another process that comes up while ours
    // is in front would otherwise open behind it.
    Ignoring([&] { browser->AllowToFront(); });
    Ignoring([&] { browser->SetVisible(true); });
    Ignoring([&] { browser->Navigate(kHomePageUrl); });
    // The browser stays open; only our reference to it goes.
    browser.reset();
}

}  // namespace vantrel
