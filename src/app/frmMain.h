// The main window's logic: start-up and unload, the resize rule, the picks in
// the two lists and the popup menu. It composes the two browser settings of
// settings/; the window layer turns messages into these calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls.h"
#include "platform/gateway.h"

namespace vantrel {

namespace script {
struct InEffect;
}

enum class PopupChoice { None, Setting, Help, About };

// Mouse buttons as the mouse-release events report them.
constexpr int16_t kLeftButton = 1;
constexpr int16_t kRightButton = 2;
constexpr int16_t kMiddleButton = 4;

// The help beside the program: the help file for the system's help viewer,
// and the page that stands in for it where Windows has no such viewer.
inline constexpr char kHelpFile[] = "VantrelV1_0.hlp";
inline constexpr char kHelpPage[] = "VantrelV1_0.html";

class IMainView {
public:
    virtual ~IMainView() = default;
    virtual IComboBox& cmbRegImage() = 0;
    virtual IComboBox& cmbRegJS_Switch() = 0;

    // Outer size (frame and title bar included), in twips.
    virtual double Width() = 0;
    virtual double Height() = 0;
    virtual void SetWidth(int32_t twips) = 0;
    virtual void SetHeight(int32_t twips) = 0;
    virtual bool Minimized() = 0;
    // The dots per inch the window is laid out at.
    virtual int Dpi() = 0;

    // The wait panel fraWait (with lblWait inside).
    virtual void MoveWait(int32_t leftTwips, int32_t topTwips) = 0;
    virtual void WaitToFront() = 0;
    virtual void SetWaitVisible(bool visible) = 0;
    // Repaints the window and has it on screen before returning.
    virtual void Refresh() = 0;

    virtual intptr_t hWnd() = 0;
    // Shows mnuPopup at the pointer; returns when it closes, with the item chosen.
    virtual PopupChoice PopupMenu() = 0;
    // Load the dialog afresh and show it modally; return when it has closed.
    virtual void ShowSettingDialog() = 0;
    virtual void ShowAboutDialog() = 0;
};

class frmMain {
public:
    frmMain(IMainView& view, Platform platform) : objView(view), objPlatform(platform) {}

    // Raises ProgramEnd when the program must end instead of showing the window.
    void Form_Load();
    void Form_Unload(bool& cancel);
    void Form_Resize();
    // The window is on screen: from now on the lists follow changes made
    // elsewhere.
    void Form_Shown();
    // Runs each time the window becomes the active one.
    void Form_Activate();
    // A watched key changed, or a list moved without a pick: each list shows
    // what the registry holds now.
    void Registry_Change();
    // The window has moved to a monitor of another scale and taken the outer
    // size the system suggested for it there.
    void Form_DpiChanged();

    void Form_MouseUp(int16_t button, int16_t shift, float x, float y);
    void lblShowImage_MouseUp(int16_t button, int16_t shift, float x, float y);
    void lblScriptExecute_MouseUp(int16_t button, int16_t shift, float x, float y);
    void mnuSetting_Click();
    void mnuHelp_Click();
    void mnuAbout_Click();

    void cmbRegImage_Click();
    void cmbRegJS_Switch_Click();

    // Window members, as the tests look at them.
    const IScriptShell* Shell() const { return objShell.get(); }
    const std::string& RegPath() const { return strRegPath; }
    int32_t FormWidth() const { return lngFormWidth; }
    int32_t FormHeight() const { return lngFormHeight; }

private:
    void OpenPopup(int16_t button);
    void ShowRegistryValues();
    // Shows the script policy in effect when a policy fixes it; true then.
    bool ShowScriptPolicy();
    bool ShowScriptPolicy(const script::InEffect& policy);
    void PickDone();

    IMainView& objView;
    Platform objPlatform;

    std::unique_ptr<IScriptShell> objShell;
    std::string strRegPath;
    int32_t lngFormWidth = 0;
    int32_t lngFormHeight = 0;
    // The size recorded at load and its DPI: a move back to that DPI gets
    // exactly this size again, whatever the rounding on the way.
    int32_t lngLoadWidth = 0;
    int32_t lngLoadHeight = 0;
    int32_t lngLoadDpi = 0;
    bool blnShown = false;          // on screen, the registry watched
    bool blnManaged = false;        // a policy fixes the script setting
    bool blnPicking = false;        // a pick is being written
    bool blnChangePending = false;  // a change seen meanwhile, shown after the pick
};

}  // namespace vantrel
