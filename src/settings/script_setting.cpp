// Script policy of the Internet zone (zone 3), action 1400.
#include "app/frmMain.h"

namespace vantrel {

namespace {

const char kPolicy[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\1400";
// Spelled as the program has always written it; value names match
// regardless of case, so this is the zone's CurrentLevel.
const char kLevel[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\CUrrentLevel";
const char k1C00[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3\\1C00";

// List order: ask, disable, enable; the policy numbers are 1, 3, 0.
const char kAsk[] = "ダイアログを表示";
const char kDisable[] = "無効にする";
const char kEnable[] = "有効にする";

IScriptShell& ShellOf(const std::unique_ptr<IScriptShell>& shell) {
    if (!shell) throw TrappedError(91, "オブジェクト変数または With ブロック変数が設定されていません。");
    return *shell;
}

}  // namespace

bool frmMain::GetRegJS_Switch(std::string& value) {
    value.clear();
    try {
        // A DWORD comes back as a number and so as its decimal digits.
        value = ToText(ShellOf(objShell).RegRead(kPolicy));
        return true;
    } catch (const TrappedError& e) {
        ShowRegError(e);
        throw ProgramEnd{};
    }
}

void frmMain::SetCmbRegJS_Switch(bool enabled, const std::string& value) {
    IComboBox& cmb = view_.cmbRegJS_Switch();
    cmb.Clear();
    cmb.AddItem(kAsk);
    cmb.AddItem(kDisable);
    cmb.AddItem(kEnable);
    // Exact text only: "01", " 1" or "2" select nothing.
    if (value == "1")
        cmb.SetText(kAsk);
    else if (value == "3")
        cmb.SetText(kDisable);
    else if (value == "0")
        cmb.SetText(kEnable);
    cmb.SetEnabled(enabled);
}

bool frmMain::SetRegJS_Switch(int32_t index) {
    try {
        int32_t policy = 0;
        switch (index) {
        case 0: policy = 1; break;
        case 1: policy = 3; break;
        case 2: policy = 0; break;
        default: break;
        }
        // In this order, and a refused write stops the ones after it: the
        // policy goes in first, then the zone is marked as custom-level.
        IScriptShell& shell = ShellOf(objShell);
        shell.RegWrite(kPolicy, policy, "REG_DWORD");
        shell.RegWrite(kLevel, 0, "REG_DWORD");
        shell.RegWrite(k1C00, 65536, "REG_BINARY");
        return true;
    } catch (const TrappedError& e) {
        ShowRegError(e);
        return false;
    }
}

}  // namespace vantrel
