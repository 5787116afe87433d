// The dialog's event procedures. The store operations are in store.cpp.
#include "shortcut/frmSetting.h"

namespace vantrel {

void frmSetting::Form_Load(ISettingView& v) {
    objView = &v;
    // Every opening starts afresh: the folder and the shortcut's presence are
    // judged again, so the offer always fits what is on disk now.
    GetProgramsFolder();
    const bool exists = ShortcutExists();

    v.optSetToProgramsFolder_SetEnabled(kCreate, false);
    v.optSetToProgramsFolder_SetEnabled(kRemove, false);
    v.lblInfo_SetEnabled(false);
    if (exists) {
        v.optSetToProgramsFolder_SetEnabled(kRemove, true);
        v.optSetToProgramsFolder_SetValue(kRemove, true);
    } else {
        v.optSetToProgramsFolder_SetEnabled(kCreate, true);
        v.optSetToProgramsFolder_SetValue(kCreate, true);
        v.lblInfo_SetEnabled(true);
    }
}

void frmSetting::CmdOk_Click() {
    if (!objView) return;
    // The dialog closes after the action whether it succeeded or not; the next
    // opening shows the state that was actually reached.
    if (objView->optSetToProgramsFolder_Value(kCreate)) {
        CreateProgramsShortcut();
        UnloadDialog();
    } else if (objView->optSetToProgramsFolder_Value(kRemove)) {
        DeleteProgramsShortcut();
        UnloadDialog();
    }
}

void frmSetting::cmdCancel_Click() {
    if (!objView) return;
    UnloadDialog();
}

void frmSetting::Form_Unload() {
    // Releasing cannot fail in a way worth reporting; strProgramsFolder stays
    // for the next opening.
    objShell.reset();
    objView = nullptr;
}

void frmSetting::UnloadDialog() {
    ISettingView* v = objView;
    objView = nullptr;
    Form_Unload();
    v->Unload();
}

}  // namespace vantrel
