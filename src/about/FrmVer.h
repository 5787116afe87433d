// The about box FrmVer: what it does on each event.
// The window layer creates the controls and turns messages into these calls.
#pragma once

#include <string>

#include "platform/gateway.h"

namespace vantrel {

// Shown by lblURL and opened by a click on it; the two must stay one text.
constexpr char kHomePageUrl[] = "http://www.example.jp/vantrel/";

class IVerView {
public:
    virtual ~IVerView() = default;
    virtual void SetURLText(const std::string& text) = 0;
    // Gives the input focus to the dialog (its only focusable control).
    virtual void SetFocus() = 0;
    // Closes the dialog for good; the next opening builds a new one.
    virtual void Unload() = 0;
};

class FrmVer {
public:
    FrmVer(IVerView& view, Platform platform) : objView(view), objPlatform(platform) {}

    void Form_Load();
    void Form_Activate();
    void CmdOk_Click();
    void Form_Unload();
    void lblURL_Click();

private:
    void OpenHomePage();

    IVerView& objView;
    Platform objPlatform;
};

}  // namespace vantrel
