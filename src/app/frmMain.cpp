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
        lngFormWidth = CLng(view_.Width());
        lngFormHeight = CLng(view_.Height());

        view_.SetWaitVisible(false);

        objShell = p_.objects.CreateScriptShell();

        // The read operations show their own box and end the program, so
        // past each of them the flag is true; it still drives the lists'
        // enabled state so that the lists never outrun the reads.
        std::string s;
        const bool f1 = script::GetRegJS_Switch(*objShell, p_.msgbox, s);
        script::SetCmbRegJS_Switch(view_.cmbRegJS_Switch(), f1, s);

        const bool f2 = image::GetRegImageValues(*objShell, p_.msgbox);
        std::string p, v;
        const bool f3 = image::GetRegImage(*objShell, p_.msgbox, p, v);
        // Before the fill: should the list ever report its preselection as a
        // pick, that write must already go to this key.
        strRegPath = p;
        image::SetCmbRegImage(view_.cmbRegImage(), f2 && f3, v);
    } catch (const TrappedError& e) {
        if (e.Number() == kErrCannotCreate.number)
            p_.msgbox.Show(kNoWshText, kNoWshTitle, MsgIcon::Critical);
        else
            ShowError(p_.msgbox, e);
        bool cancel = false;
        Form_Unload(cancel);
        throw ProgramEnd{};
    }
    // From here on the lists follow changes made elsewhere.
    watching_ = p_.watch.Watch({strRegPath, script::kZoneKey}, [this] { Registry_Change(); });
}

void frmMain::Form_Activate() {
    if (!watching_) Registry_Change();
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
    const int16_t js = index([this] { return script::ReadPolicy(*objShell); }, script::IndexOfPolicy);
    // The program's own writes come back here too: a list that already shows
    // the value is left alone, so it does not flicker. Selecting is no pick.
    if (view_.cmbRegImage().ListIndex() != img) view_.cmbRegImage().SetListIndex(img);
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
