// The Start-menu shortcut: where it lives, whether it is there, writing it
// with its hot key, removing it. Each action reports its own outcome.
#include "shortcut/frmSetting.h"

#include "platform/paths.h"
#include "platform/traps.h"

namespace vantrel {

namespace {

const char kHotkey[] = "CTRL+ALT+S";
constexpr int16_t kNormalWindow = 1;

}  // namespace

std::string frmSetting::ShortcutPath() {
    // No separator of our own: the folder carries its "\" already, and an empty
    // folder leaves the bare file name, relative to the current directory.
    return strProgramsFolder + BaseNameOf(objPlatform.host.ExePath()) + ".lnk";
}

void frmSetting::GetProgramsFolder() {
    try {
        objShell = objPlatform.objects.CreateScriptShell();
        std::string folder = objShell->SpecialFolders("AllUsersPrograms");
        // Only an empty answer falls back; a failing lookup ends up in the trap.
        if (folder.empty()) folder = objShell->SpecialFolders("Programs");
        if (!folder.empty()) folder = WithBackslash(folder);
        strProgramsFolder = folder;
    } catch (const TrappedError& e) {
        if (ShowShellError(objPlatform.msgbox, e)) {
            Form_Unload();
            throw ProgramEnd{};
        }
    }
}

bool frmSetting::ShortcutExists() {
    bool failed = false;
    try {
        objPlatform.host.OpenForRead(ShortcutPath());
    } catch (const TrappedError&) {
        failed = true;
    }
    try {
        objPlatform.host.Close();
    } catch (const TrappedError&) {
        failed = true;
    }
    return !failed;
}

void frmSetting::CreateProgramsShortcut() {
    try {
        const std::string exe = objPlatform.host.ExePath();
        // The folder lookup could not create the shell: report it like any
        // failed call instead of touching a missing object.
        if (!objShell) kErrNoObject.Raise();
        std::unique_ptr<IShortcut> shortcut = objShell->CreateShortcut(ShortcutPath());
        shortcut->SetTargetPath(WithBackslash(FolderOf(exe)) + BaseNameOf(exe) + ".EXE");
        shortcut->SetHotkey(kHotkey);
        shortcut->SetWindowStyle(kNormalWindow);
        shortcut->Save();
        // Show the keys as the shortcut itself now holds them, in its own spelling.
        const std::string keys = shortcut->GetHotkey();
        objPlatform.msgbox.Show("ショートカットを作成しました\r\n次回からは" + keys + "で起動できます",
                       "ショートカットを作成しました", MsgIcon::Information);
    } catch (const TrappedError& e) {
        ShowError(objPlatform.msgbox, e);
    }
}

void frmSetting::DeleteProgramsShortcut() {
    try {
        objPlatform.host.RemoveFile(ShortcutPath());
        objPlatform.msgbox.Show("ショートカットを削除しました", "ショートカットを削除しました", MsgIcon::Information);
    } catch (const TrappedError& e) {
        ShowError(objPlatform.msgbox, e);
    }
}

}  // namespace vantrel
