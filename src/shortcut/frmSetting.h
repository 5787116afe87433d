// The shortcut settings dialog "環境設定" and the Start-menu shortcut store it
// carries. The dialog proposes the one action that changes the shortcut's
// present state; OK carries it out, Cancel leaves everything as it was.
#pragma once

#include <memory>
#include <string>

#include "platform/gateway.h"

namespace vantrel {

// The dialog's controls as its logic sees them, valid for one opening.
// optSetToProgramsFolder is an indexed pair: 0 creates, 1 removes.
class ISettingView {
public:
    virtual ~ISettingView() = default;
    virtual bool optSetToProgramsFolder_Value(int index) = 0;
    // Selecting one option of the pair clears the other, as in any option group.
    virtual void optSetToProgramsFolder_SetValue(int index, bool value) = 0;
    virtual void optSetToProgramsFolder_SetEnabled(int index, bool enabled) = 0;
    virtual void lblInfo_SetEnabled(bool enabled) = 0;
    // Closes the dialog window; Form_Unload has already run.
    virtual void Unload() = 0;
};

class frmSetting {
public:
    static constexpr int kCreate = 0;
    static constexpr int kRemove = 1;

    explicit frmSetting(Platform platform) : objPlatform(platform) {}
    frmSetting(const frmSetting&) = delete;
    frmSetting& operator=(const frmSetting&) = delete;

    // Raises ProgramEnd when the scripting shell is missing; the dialog must
    // then not be shown.
    void Form_Load(ISettingView& v);
    void CmdOk_Click();
    void cmdCancel_Click();
    // Runs on every close, whichever way the dialog is closed.
    void Form_Unload();

    // Whether the dialog holds its scripting shell, as the tests look at it.
    bool HasShell() const { return objShell != nullptr; }

private:
    // store.cpp
    void GetProgramsFolder();
    bool ShortcutExists();
    void CreateProgramsShortcut();
    void DeleteProgramsShortcut();
    std::string ShortcutPath();

    // Form_Unload, then the window goes.
    void UnloadDialog();

    Platform objPlatform;
    ISettingView* objView = nullptr;  // while the dialog is open

    std::unique_ptr<IScriptShell> objShell;
    std::string strProgramsFolder;
};

}  // namespace vantrel
