// frmMain's popup menu and its three commands. None of them traps errors:
// the dialogs report their own failures and the help viewer speaks for itself.
#include "app/frmMain.h"

namespace vantrel {

void frmMain::Form_MouseUp(int16_t button, int16_t, float, float) { OpenPopup(button); }
void frmMain::lblShowImage_MouseUp(int16_t button, int16_t, float, float) { OpenPopup(button); }
void frmMain::lblScriptExecute_MouseUp(int16_t button, int16_t, float, float) { OpenPopup(button); }

void frmMain::OpenPopup(int16_t button) {
    // Modifier keys and the pointer position play no part.
    if (button != kRightButton) return;
    switch (view_.PopupMenu()) {
    case PopupChoice::Setting: mnuSetting_Click(); break;
    case PopupChoice::Help: mnuHelp_Click(); break;
    case PopupChoice::About: mnuAbout_Click(); break;
    case PopupChoice::None: break;
    }
}

void frmMain::mnuSetting_Click() { view_.ShowSettingDialog(); }

void frmMain::mnuAbout_Click() { view_.ShowAboutDialog(); }

void frmMain::mnuHelp_Click() {
    // The folder ends in a backslash only at a drive root ("D:\").
    std::string path = p_.host.ExeFolder();
    if (path.empty() || path.back() != '\\') path += '\\';
    path += "VantrelV1_0.hlp";
    // The viewer reports a missing or broken file itself.
    (void)p_.api.WinHelpA(view_.hWnd(), path, IWinApi::kHelpContents, 0);
}

}  // namespace vantrel
