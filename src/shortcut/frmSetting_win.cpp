#include "shortcut/frmSetting_win.h"

#include "platform/window_win.h"
#include "shortcut/frmSetting_design.h"

namespace vantrel::win {

namespace {

namespace ids = vantrel::setting_design;

// A fixed dialog frame with a close box and nothing to minimize or maximize.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

const int kOptionIds[2] = {ids::kOptCreate, ids::kOptRemove};

class SettingWindow : public Window, public ISettingView {
public:
    explicit SettingWindow(frmSetting& form) : form_(form) {}

    void Open(HWND owner) {
        // Created hidden at the system's default place: Form_Load sets the
        // options before the first drawing, and may end the program instead.
        OpenModal(ids::kWindow, {kStyle, kExStyle, owner, CW_USEDEFAULT, CW_USEDEFAULT},
                  [this] { form_.Form_Load(*this); }, Place::SystemDefault);
    }

    // ISettingView
    bool optSetToProgramsFolder_Value(int index) override {
        return SendMessageW(controls_[kOptionIds[index]], BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void optSetToProgramsFolder_SetValue(int index, bool value) override {
        // BM_SETCHECK alone leaves the other option of the group as it was.
        SendMessageW(controls_[kOptionIds[index]], BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
        if (value) SendMessageW(controls_[kOptionIds[1 - index]], BM_SETCHECK, BST_UNCHECKED, 0);
    }
    void optSetToProgramsFolder_SetEnabled(int index, bool enabled) override {
        EnableWindow(controls_[kOptionIds[index]], enabled);
    }
    void lblInfo_SetEnabled(bool enabled) override { EnableWindow(controls_[ids::kLblInfo], enabled); }
    void Unload() override { CloseModal(); }

protected:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_COMMAND:
            // Only our own ids: an IDOK or IDCANCEL made up from a key is no click.
            if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == ids::kCmdOk) form_.CmdOk_Click();
            if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == ids::kCmdCancel) form_.cmdCancel_Click();
            return 0;
        case WM_CLOSE:
            // The title bar's close box and Alt+F4: a close is never refused.
            form_.Form_Unload();
            CloseModal();
            return 0;
        default:
            return Window::OnMessage(msg, wp, lp);
        }
    }

private:
    frmSetting& form_;
};

}  // namespace

void ShowFrmSetting(HWND owner, frmSetting& form) { SettingWindow(form).Open(owner); }

}  // namespace vantrel::win
