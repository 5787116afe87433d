// The inline-image switch. Its key is not fixed: the browser's own
// description of the picture option (machine-wide) names the per-user key.
#include "app/frmMain.h"

#include <cctype>

namespace vantrel {

namespace {

const char kChecked[] = "HKLM\\Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS\\CheckedValue";
const char kUnchecked[] = "HKLM\\Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS\\UncheckedValue";
const char kRegPath[] = "HKLM\\Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS\\RegPath";

const char kYes[] = "はい";
const char kNo[] = "いいえ";

// Plain concatenation on purpose: an empty or odd RegPath goes to the shell
// as it is, and the shell decides.
std::string SwitchPath(const std::string& regPath) {
    return "HKCU\\" + regPath + "\\" + "Display Inline Images";
}

// Only ASCII letters are folded: no other character lower-cases to one of
// the letters of "yes" or "no", so the outcome equals a full Unicode fold.
std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

IScriptShell& ShellOf(const std::unique_ptr<IScriptShell>& shell) {
    if (!shell) throw TrappedError(91, "オブジェクト変数または With ブロック変数が設定されていません。");
    return *shell;
}

}  // namespace

bool frmMain::GetRegImageValues() {
    try {
        // Only their presence matters: the switch always uses "yes"/"no".
        (void)ToText(ShellOf(objShell).RegRead(kChecked));
        (void)ToText(ShellOf(objShell).RegRead(kUnchecked));
        return true;
    } catch (const TrappedError& e) {
        ShowRegError(e);
        throw ProgramEnd{};
    }
}

bool frmMain::GetRegImage(std::string& regPath, std::string& value) {
    regPath.clear();
    value.clear();
    try {
        regPath = ToText(ShellOf(objShell).RegRead(kRegPath));
        value = ToText(ShellOf(objShell).RegRead(SwitchPath(regPath)));
        return true;
    } catch (const TrappedError& e) {
        ShowRegError(e);
        throw ProgramEnd{};
    }
}

void frmMain::SetCmbRegImage(bool enabled, const std::string& value) {
    IComboBox& cmb = view_.cmbRegImage();
    cmb.Clear();
    cmb.AddItem(kYes);
    cmb.AddItem(kNo);
    // Only an exact entry text is ever assigned: a list may match text by
    // prefix, and an unknown word must leave the list without a selection.
    const std::string word = LowerAscii(value);
    if (word == "yes")
        cmb.SetText(kYes);
    else if (word == "no")
        cmb.SetText(kNo);
    cmb.SetEnabled(enabled);
}

bool frmMain::SetRegImage(const std::string& regPath, int32_t index) {
    try {
        const char* word = index == 0 ? "yes" : index == 1 ? "no" : "";
        // No type: the shell stores a text as a string value.
        ShellOf(objShell).RegWrite(SwitchPath(regPath), std::string(word));
        return true;
    } catch (const TrappedError& e) {
        ShowRegError(e);
        return false;
    }
}

}  // namespace vantrel
