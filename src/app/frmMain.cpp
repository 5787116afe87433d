// frmMain's life cycle: start-up, unload and the fixed-size rule.
#include "app/frmMain.h"

#include <cmath>
#include <exception>

namespace vantrel {

namespace {

constexpr int32_t kErrOverflow = 6;


// Twips come back as fractions at DPI settings other than 96; they are kept
// as whole numbers the way CLng does it: to nearest, halves to the even
// neighbour, and a value outside 32 bits is an overflow error (which the
// start-up trap reports) instead of a wrapped-around size.
int32_t CLng(double x) {
    if (!(x >= -2147483648.5 && x < 2147483647.5))
        throw TrappedError(kErrOverflow, "オーバーフローしました。");
    const double floor = std::floor(x);
    const double frac = x - floor;
    double r = floor;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(floor, 2.0) != 0.0)) r = floor + 1.0;
    return static_cast<int32_t>(r);
}

}  // namespace

void frmMain::ShowRegError(const TrappedError& e) {
    p_.msgbox.Show(ErrText(e.Value()), kErrorTitle, MsgIcon::Critical);
}

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
        if (!objShell)
            throw TrappedError(kErrCannotCreate, "ActiveX コンポーネントはオブジェクトを作成できません。");

        // The read operations show their own box and end the program, so
        // past each of them the flag is true; it still drives the lists'
        // enabled state so that the lists never outrun the reads.
        std::string s;
        const bool f1 = GetRegJS_Switch(s);
        SetCmbRegJS_Switch(f1, s);

        const bool f2 = GetRegImageValues();
        std::string p, v;
        const bool f3 = GetRegImage(p, v);
        // Before the fill: should the list ever report its preselection as a
        // pick, that write must already go to this key.
        strRegPath = p;
        SetCmbRegImage(f2 && f3, v);
    } catch (const TrappedError& e) {
        if (e.Number() == kErrCannotCreate)
            p_.msgbox.Show(kNoWshText, kNoWshTitle, MsgIcon::Critical);
        else
            p_.msgbox.Show(ErrText(e.Value()), kErrorTitle, MsgIcon::Critical);
        bool cancel = false;
        Form_Unload(cancel);
        throw ProgramEnd{};
    }
}

void frmMain::Form_Unload(bool& /*cancel*/) {
    // Releasing is all there is to do, and nothing may stop the unload.
    try {
        objShell.reset();
    } catch (...) {
    }
}

void frmMain::Form_Resize() {
    // Every step on its own: a refused width must not keep the height from
    // being restored. A failing minimized query counts as "not minimized",
    // so the size is still put back.
    bool minimized = false;
    try {
        minimized = view_.IsMinimized();
    } catch (const TrappedError&) {
    } catch (const std::exception&) {
    }
    if (minimized) return;
    try {
        view_.SetWidth(lngFormWidth);
    } catch (const TrappedError&) {
    } catch (const std::exception&) {
    }
    try {
        view_.SetHeight(lngFormHeight);
    } catch (const TrappedError&) {
    } catch (const std::exception&) {
    }
}

}  // namespace vantrel
