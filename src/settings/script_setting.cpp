#include "settings/script_setting.h"

namespace vantrel::script {

namespace {

const std::string kZone = std::string("HKCU\\") + kZoneKey + "\\";
constexpr int32_t kPolicies[] = {1, 3, 0};

}  // namespace

int16_t IndexOfPolicy(const std::string& stored) {
    // Exact text only: "01", " 1" or "2" select nothing.
    for (int16_t i = 0; i < 3; ++i)
        if (stored == std::to_string(kPolicies[i])) return i;
    return -1;
}

int32_t PolicyOf(int32_t index) { return index >= 0 && index < 3 ? kPolicies[index] : 0; }

std::string ReadPolicy(IScriptShell& shell) {
    // A DWORD comes back as a number and so as its decimal digits.
    return ToText(shell.RegRead(kZone + "1400"));
}

bool GetRegJS_Switch(IScriptShell& shell, IMessageBox& box, std::string& value) {
    value.clear();
    return ReadTrapped(box, [&] { value = ReadPolicy(shell); });
}

bool SetRegJS_Switch(IScriptShell& shell, IMessageBox& box, int32_t index) {
    // In this order, and a refused write stops the ones after it: the policy
    // goes in first, then the zone is marked as custom-level. "CUrrentLevel"
    // is the zone's CurrentLevel: value names match regardless of case.
    return WriteTrapped(box, [&] {
        shell.RegWrite(kZone + "1400", PolicyOf(index), "REG_DWORD");
        shell.RegWrite(kZone + "CUrrentLevel", 0, "REG_DWORD");
        shell.RegWrite(kZone + "1C00", 65536, "REG_BINARY");
    });
}

void SetCmbRegJS_Switch(IComboBox& cmb, bool enabled, const std::string& value) {
    FillList(cmb, {"ダイアログを表示", "無効にする", "有効にする"}, IndexOfPolicy(value), enabled);
}

}  // namespace vantrel::script
