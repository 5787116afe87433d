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
    try {
        view_.Unload();
    } catch (const TrappedError&) {
        // Closing the about box has nothing worth reporting.
    }
}

void FrmVer::Form_Unload() {
    // The dialog holds nothing between events: the browser object lives only
    // inside one OpenHomePage call.
}

void FrmVer::lblURL_Click() {
    OpenHomePage();
}

// Every step goes on after a failure of the one before, and nothing is shown:
// the link is a convenience, and a machine without Internet Explorer simply
// gets no browser window.
void FrmVer::OpenHomePage() {
    intptr_t ieFrame = 0;
    try {
        ieFrame = p_.api.FindWindowA(std::string("IEFrame"), std::nullopt);
    } catch (const TrappedError&) {
    }
    // An open browser is left alone: not reused, not brought forward.
    if (ieFrame != 0) return;

    std::unique_ptr<IBrowser> browser;
    try {
        browser = p_.objects.CreateBrowser();
    } catch (const TrappedError&) {
    }
    if (!browser) return;  // the remaining steps would only fail on no object
    try {
        browser->SetVisible(true);
    } catch (const TrappedError&) {
    }
    try {
        browser->Navigate(kHomePageUrl);
    } catch (const TrappedError&) {
    }
    // The browser stays open; only our reference to it goes.
    browser.reset();
}

}  // namespace vantrel
