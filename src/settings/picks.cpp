// A pick in either list writes that setting at once.
#include "app/frmMain.h"

namespace vantrel {

namespace {

const char kPickErrorTitle[] = "エラー発生";

// Where the wait panel covers cmbRegImage exactly.
constexpr int32_t kWaitLeft = 1320;
constexpr int32_t kWaitTop = 0;

// The change notice's wParam; its lParam is an empty section name (a 32-bit
// zero), which tells a reader that anything may have changed.
constexpr intptr_t kBroadcastWParam = 31;

}  // namespace

void frmMain::cmbRegImage_Click() {
    try {
        if (view_.cmbRegImage().ListIndex() == -1) return;

        view_.MoveWait(kWaitLeft, kWaitTop);
        view_.WaitToFront();
        view_.SetWaitVisible(true);
        // Nothing returns to the message loop until the broadcast is over,
        // so the panel has to be painted now or it is never seen.
        view_.Refresh();

        // A refused write has shown its own box; the notice goes out anyway.
        (void)SetRegImage(strRegPath, static_cast<int32_t>(view_.cmbRegImage().ListIndex()));

        const int32_t emptyText = 0;
        (void)p_.api.SendMessageA(IWinApi::kHwndBroadcast, IWinApi::kWmWinIniChange, kBroadcastWParam,
                                  &emptyText);

        view_.SetWaitVisible(false);
        view_.Refresh();
    } catch (const TrappedError& e) {
        p_.msgbox.Show(ErrText(e.Value()), kPickErrorTitle, MsgIcon::Critical);
    }
}

void frmMain::cmbRegJS_Switch_Click() {
    try {
        if (view_.cmbRegJS_Switch().ListIndex() == -1) return;
        (void)SetRegJS_Switch(static_cast<int32_t>(view_.cmbRegJS_Switch().ListIndex()));
    } catch (const TrappedError& e) {
        p_.msgbox.Show(ErrText(e.Value()), kPickErrorTitle, MsgIcon::Critical);
    }
}

}  // namespace vantrel
