#include "app/frmMain.h"

#include <cmath>
#include <exception>

#include "app/frmMain_design.h"
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
        if (p_.host.PrevInstance()) throw ProgramEnd{};

        // The window still has its design size here; this is the size the
        // resize rule restores for the whole run.
        lngFormWidth = loadWidth_ = CLng(view_.Width());
        lngFormHeight = loadHeight_ = CLng(view_.Height());
        loadDpi_ = view_.Dpi();

        view_.SetWaitVisible(false);

        objShell = p_.objects.CreateScriptShell();

        // The read operations show their own box and end the program: a
        // list is only filled with what was read.
        script::SetCmbRegJS_Switch(view_.cmbRegJS_Switch(), true, script::GetRegJS_Switch(*objShell, p_.msgbox));

        image::GetRegImageValues(*objShell, p_.msgbox);
        const image::Switch sw = image::GetRegImage(*objShell, p_.msgbox);
        // Before the fill: should the list ever report its preselection as a
        // pick, that write must already go to this key.
        strRegPath = sw.regPath;
        image::SetCmbRegImage(view_.cmbRegImage(), true, sw.value);

        // A policy may fix the script setting; its reads never end anything.
        (void)ShowScriptPolicy();
    } catch (const TrappedError& e) {
        ShowShellError(p_.msgbox, e);
        bool cancel = false;
        Form_Unload(cancel);
        throw ProgramEnd{};
    }
}

void frmMain::Form_Shown() {
    // Armed once the window is seen, which it need not wait for; a change
    // made since the start-up reads is then shown at once.
    const bool armed = p_.watch.Watch({"HKCU\\" + strRegPath, script::kZoneKey, script::kUserPolicyKey,
                                       script::kMachinePolicyKey, script::kMachinePolicySettingsKey,
                                       script::kMachineZoneKey},
                                      [this] { Registry_Change(); });
    watching_ = armed ? Watching::Yes : Watching::No;
    Registry_Change();
}

bool frmMain::ShowScriptPolicy() {
    const script::InEffect e = script::ValueInEffect(script::ReadSources(*objShell));
    IComboBox& list = view_.cmbRegJS_Switch();
    if (e.managed && (!managed_ || list.ListIndex() != e.index)) list.SetListIndex(e.index);
    if (e.managed != managed_) {
        // Greyed, and saying why: a pick would write a value with no effect.
        list.SetEnabled(!e.managed);
        list.SetToolTip(e.managed ? script::kManagedTip : "");
        managed_ = e.managed;
    }
    return e.managed;
}

void frmMain::Form_Activate() {
    if (watching_ == Watching::No) Registry_Change();
}

void frmMain::Registry_Change() {
    if (picking_) changePending_ = true;
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
    if (view_.cmbRegImage().ListIndex() != img) view_.cmbRegImage().SetListIndex(img);
    if (ShowScriptPolicy()) return;
    const int16_t js = index([this] { return script::ReadPolicy(*objShell); }, script::IndexOfPolicy);
    if (view_.cmbRegJS_Switch().ListIndex() != js) view_.cmbRegJS_Switch().SetListIndex(js);
}

void frmMain::PickDone() {
    picking_ = false;
    if (changePending_) {
        changePending_ = false;
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
        if (view_.Dpi() == loadDpi_) {
            lngFormWidth = loadWidth_;
            lngFormHeight = loadHeight_;
            Form_Resize();
        } else {
            lngFormWidth = CLng(view_.Width());
            lngFormHeight = CLng(view_.Height());
        }
    });
}

void frmMain::Form_Resize() {
    // Every step on its own: a refused width must not keep the height from
    // being restored. A failing minimized query counts as "not minimized",
    // so the size is still put back.
    bool minimized = false;
    Ignoring([this, &minimized] { minimized = view_.Minimized(); });
    if (minimized) return;
    Ignoring([this] { view_.SetWidth(lngFormWidth); });
    Ignoring([this] { view_.SetHeight(lngFormHeight); });
}

// ---- picks ------------------------------------------------------------------------

void frmMain::cmbRegImage_Click() {
    picking_ = true;
    try {
        if (view_.cmbRegImage().ListIndex() == -1) return PickDone();

        view_.MoveWait(main_design::kWaitLeft, main_design::kWaitTop);
        view_.WaitToFront();
        view_.SetWaitVisible(true);
        // Nothing returns to the message loop until the broadcast is over,
        // so the panel has to be painted now or it is never seen.
        view_.Refresh();

        // A refused write has shown its own box; the notice goes out anyway.
        (void)image::SetRegImage(*objShell, p_.msgbox, strRegPath, view_.cmbRegImage().ListIndex());

        const int32_t emptyText = 0;
        (void)p_.api.SendMessageA(IWinApi::kHwndBroadcast, IWinApi::kWmWinIniChange, kBroadcastWParam, &emptyText);

        view_.SetWaitVisible(false);
        view_.Refresh();
    } catch (const TrappedError& e) {
        ShowError(p_.msgbox, e, kPickErrorTitle);
    }
    PickDone();
}

void frmMain::cmbRegJS_Switch_Click() {
    // A greyed list is no user's pick: it still moves on keys sent to it.
    // Under a policy the write would have no effect, so nothing is written
    // and the list shows again what is in effect now.
    if (managed_) return ShowRegistryValues();
    picking_ = true;
    try {
        if (view_.cmbRegJS_Switch().ListIndex() != -1)
            (void)script::SetRegJS_Switch(*objShell, p_.msgbox, view_.cmbRegJS_Switch().ListIndex());
    } catch (const TrappedError& e) {
        ShowError(p_.msgbox, e, kPickErrorTitle);
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
    const std::string path = WithBackslash(FolderOf(p_.host.ExePath())) + "VantrelV1_0.hlp";
    // The viewer reports a missing or broken file itself.
    (void)p_.api.WinHelpA(view_.hWnd(), path, IWinApi::kHelpContents, 0);
}

}  // namespace vantrel
