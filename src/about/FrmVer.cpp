#include "about/FrmVer.h"

#include <memory>
#include <optional>

namespace vantrel {

void FrmVer::Form_Load() {
    view_.SetURLText(kHomePageUrl);
}

void FrmVer::Form_Activate() {
    view_.SetFocus();
}

void FrmVer::CmdOk_Click() {
    // Closing the about box has nothing worth reporting.
    Ignoring([this] { view_.Unload(); });
}

void FrmVer::Form_Unload() {
    // The dialog holds nothing between events: the browser object lives only
    // inside one OpenHomePage call.
}

void FrmVer::lblURL_Click() {
    OpenHomePage();
}

// Every step goes on after a failure of the one before, and nothing is shown:
// the link is a convenience. Where the browser's automation object is gone
// (current Windows), the system's handler for the URL opens it instead.
void FrmVer::OpenHomePage() {
    intptr_t ieFrame = 0;
    Ignoring([&] { ieFrame = p_.api.FindWindowA(std::string("IEFrame"), std::nullopt); });
    // An open browser is left alone: not reused, not brought forward.
    if (ieFrame != 0) return;

    std::unique_ptr<IBrowser> browser;
    Ignoring([&] { browser = p_.objects.CreateBrowser(); });
    if (!browser) return Ignoring([this] { p_.host.OpenUrl(kHomePageUrl); });
    Ignoring([&] { browser->SetVisible(true); });
    Ignoring([&] { browser->Navigate(kHomePageUrl); });
    // The browser stays open; only our reference to it goes.
    browser.reset();
}

}  // namespace vantrel
