#include "app/frmMain.h"

#include <cmath>
#include <exception>

#include "app/frmMain_design.h"
#include "platform/paths.h"
#include "platform/traps.h"
#include "settings/image_setting.h"
#include "settings/script_setting.h"

namespace vantrel {

namespace {

// Twips come back as fractions at DPI settings other than 96; they are kept
// as whole numbers the way CLng does it: to nearest, halves to the even
// neighbour, and a value outside 32 bits is an overflow error (which the
// start-up trap reports) instead of a wrapped-around size.
int32_t CLng(double x) {
    if (!(x >= -2147483648.5 && x < 2147483647.5)) kErrOverflow.Raise();
    const double floor = std::floor(x);
    const double frac = x - floor;
    double r = floor;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(floor, 2.0) != 0.0)) r = floor + 1.0;
    return static_cast<int32_t>(r);
}

// The change notice's wParam; its lParam is an empty section name (a 32-bit
// zero), which tells a reader that anything may have changed.
constexpr intptr_t kBroadcastWParam = 31;

}  // namespace

// ---- life cycle ---------------------------------------------------------------

void frmMain::Form_Load() {
    try {
        // The running copy is left alone: not activated, not brought forward.
        if (objPlatform.host.PrevInstance()) throw ProgramEnd{};

        // The window still has its design size here; this is the size the
        // resize rule restores for the whole run.
        lngFormWidth = lngLoadWidth = CLng(objView.Width());
        lngFormHeight = lngLoadHeight = CLng(objView.Height());
        lngLoadDpi = objView.Dpi();

        objView.SetWaitVisible(false);

        objShell = objPlatform.objects.CreateScriptShell();

        // What decides the script list is read first: under a policy the
        // user's own value is not shown, so it need not be there. Without one
        // the read operations show their own box and end the program, and a
        // list is only filled with what was read. The policy reads never end
        // anything.
        const script::InEffect policy = script::ValueInEffect(script::ReadSources(*objShell));
        script::SetCmbRegJS_Switch(objView.cmbRegJS_Switch(),
                                   policy.managed ? std::string() : script::GetRegJS_Switch(*objShell, objPlatform.msgbox));

        image::GetRegImageValues(*objShell, objPlatform.msgbox);
        const image::Switch sw = image::GetRegImage(*objShell, objPlatform.msgbox);
        // Before the fill: should the list ever report its preselection as a
        // pick, that write must already go to this key.
        strRegPath = sw.regPath;
        image::SetCmbRegImage(objView.cmbRegImage(), sw.value);

        (void)ShowScriptPolicy(policy);
    } catch (const TrappedError& e) {
        ShowShellError(objPlatform.msgbox, e);
        bool cancel = false;
        Form_Unload(cancel);
        throw ProgramEnd{};
    }
}

void frmMain::Form_Shown() {
    // Armed once the window is seen, which it need not wait for; a change
    // made since the start-up reads is then shown at once.
    objPlatform.watch.Watch({"HKCU\\" + strRegPath, script::kZoneKey, script::kUserPolicyKey,
                             script::kMachinePolicyKey, script::kMachinePolicySettingsKey, script::kMachineZoneKey},
                            [this] { Registry_Change(); });
    blnShown = true;
    Registry_Change();
}

bool frmMain::ShowScriptPolicy() { return ShowScriptPolicy(script::ValueInEffect(script::ReadSources(*objShell))); }

bool frmMain::ShowScriptPolicy(const script::InEffect& policy) {
    IComboBox& list = objView.cmbRegJS_Switch();
    if (policy.managed && (!blnManaged || list.ListIndex() != policy.index)) list.SetListIndex(policy.index);
    if (policy.managed != blnManaged) {
        // Greyed, and saying why: a pick would write a value with no effect.
        list.SetEnabled(!policy.managed);
        list.SetToolTip(policy.managed ? script::kManagedTip : "");
        blnManaged = policy.managed;
    }
    return policy.managed;
}

void frmMain::Form_Activate() {
    // Where a key is not watched, a change may have gone unseen: look.
    if (blnShown && !objPlatform.watch.Complete()) Registry_Change();
}

void frmMain::Registry_Change() {
    if (blnPicking) blnChangePending = true;
    else ShowRegistryValues();
}

void frmMain::ShowRegistryValues() {
    // The reads and the mapping of start-up. A value that can no longer be
    // read selects no entry rather than leave a stale one shown.
    const auto index = [](auto read, int16_t (*map)(const std::string&)) -> int16_t {
        try {
            return map(read());
        } catch (const TrappedError&) {
            return -1;
        }
    };
    const int16_t img = index([this] { return image::ReadSwitch(*objShell, strRegPath); }, image::IndexOfWord);
    // The program's own writes come back here too: a list that already shows
    // the value is left alone, so it does not flicker. Selecting is no pick.
    if (objView.cmbRegImage().ListIndex() != img) objView.cmbRegImage().SetListIndex(img);
    if (ShowScriptPolicy()) return;
    const int16_t js = index([this] { return script::ReadPolicy(*objShell); }, script::IndexOfPolicy);
    if (objView.cmbRegJS_Switch().ListIndex() != js) objView.cmbRegJS_Switch().SetListIndex(js);
}

void frmMain::PickDone() {
    blnPicking = false;
    if (blnChangePending) {
        blnChangePending = false;
        ShowRegistryValues();
    }
}

void frmMain::Form_Unload(bool& /*cancel*/) {
    // Releasing is all there is to do, and nothing may stop the unload.
    Ignoring([this] { objShell.reset(); });
}

void frmMain::Form_DpiChanged() {
    // The system's suggestion is the size from now on: its frame need not
    // scale as the client area does. Back at the load DPI the first size
    // comes back exactly.
    Ignoring([this] {
        if (objView.Dpi() == lngLoadDpi) {
            lngFormWidth = lngLoadWidth;
            lngFormHeight = lngLoadHeight;
            Form_Resize();
        } else {
            lngFormWidth = CLng(objView.Width());
            lngFormHeight = CLng(objView.Height());
        }
    });
}

void frmMain::Form_Resize() {
    // Every step on its own: a refused width must not keep the height from
    // being restored. A failing minimized query counts as "not minimized",
    // so the size is still put back.
    bool minimized = false;
    Ignoring([this, &minimized] { minimized = objView.Minimized(); });
    if (minimized) return;
    Ignoring([this] { objView.SetWidth(lngFormWidth); });
    Ignoring([this] { objView.SetHeight(lngFormHeight); });
}

// ---- picks ------------------------------------------------------------------------

void frmMain::cmbRegImage_Click() {
    blnPicking = true;
    try {
        if (objView.cmbRegImage().ListIndex() == -1) return PickDone();

        objView.MoveWait(main_design::kWaitLeft, main_design::kWaitTop);
        objView.WaitToFront();
        objView.SetWaitVisible(true);
        // Nothing returns to the message loop until the broadcast is over,
        // so the panel has to be painted now or it is never seen.
        objView.Refresh();

        // A refused write has shown its own box; the notice goes out anyway.
        image::SetRegImage(*objShell, objPlatform.msgbox, strRegPath, objView.cmbRegImage().ListIndex());

        const int32_t emptyText = 0;
        (void)objPlatform.api.SendMessageA(IWinApi::kHwndBroadcast, IWinApi::kWmWinIniChange, kBroadcastWParam, &emptyText);

        objView.SetWaitVisible(false);
        objView.Refresh();
    } catch (const TrappedError& e) {
        ShowError(objPlatform.msgbox, e, kPickErrorTitle);
    }
    PickDone();
}

void frmMain::cmbRegJS_Switch_Click() {
    // A greyed list is no user's pick: it still moves on keys sent to it.
    // Under a policy the write would have no effect, so nothing is written
    // and the list shows again what is in effect now.
    if (blnManaged) return ShowRegistryValues();
    blnPicking = true;
    try {
        if (objView.cmbRegJS_Switch().ListIndex() != -1)
            script::SetRegJS_Switch(*objShell, objPlatform.msgbox, objView.cmbRegJS_Switch().ListIndex());
    } catch (const TrappedError& e) {
        ShowError(objPlatform.msgbox, e, kPickErrorTitle);
    }
    PickDone();
}

// ---- popup menu ---------------------------------------------------------------
// None of the commands traps errors: the dialogs report their own failures
// and the help viewer speaks for itself.

void frmMain::Form_MouseUp(int16_t button, int16_t, float, float) { OpenPopup(button); }
void frmMain::lblShowImage_MouseUp(int16_t button, int16_t, float, float) { OpenPopup(button); }
void frmMain::lblScriptExecute_MouseUp(int16_t button, int16_t, float, float) { OpenPopup(button); }

void frmMain::OpenPopup(int16_t button) {
    // Modifier keys and the pointer position play no part.
    if (button != kRightButton) return;
    switch (objView.PopupMenu()) {
    case PopupChoice::Setting: mnuSetting_Click(); break;
    case PopupChoice::Help: mnuHelp_Click(); break;
    case PopupChoice::About: mnuAbout_Click(); break;
    case PopupChoice::None: break;
    }
}

void frmMain::mnuSetting_Click() { objView.ShowSettingDialog(); }

void frmMain::mnuAbout_Click() { objView.ShowAboutDialog(); }

void frmMain::mnuHelp_Click() {
    const std::string folder = WithBackslash(FolderOf(objPlatform.host.ExePath()));
    // Windows 10 and later have no viewer for the help file: there the page
    // beside the program stands in for it, opened as any page is. Nothing is
    // shown by the program either way; the viewer or the browser speaks for
    // itself.
    if (objPlatform.host.WindowsMajorVersion() >= 10 && objPlatform.host.FileExists(folder + kHelpPage))
        return Ignoring([&] { objPlatform.host.OpenWithSystem(folder + kHelpPage); });
    (void)objPlatform.api.WinHelpA(objView.hWnd(), folder + kHelpFile, IWinApi::kHelpContents, 0);
}

}  // namespace vantrel
