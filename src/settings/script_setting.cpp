#include "settings/script_setting.h"

namespace vantrel::script {

namespace {

const std::string kZone = std::string(kZoneKey) + "\\";
constexpr int32_t kPolicies[] = {1, 3, 0};
// What the shell answers for a key or value that is not there, or whose key
// is deleted while it is being read.
constexpr int32_t kNotFound = static_cast<int32_t>(0x80070002u);
constexpr int32_t kPathNotFound = static_cast<int32_t>(0x80070003u);
constexpr int32_t kKeyDeleted = static_cast<int32_t>(0x800703FAu);

Source ReadSource(IScriptShell& shell, const std::string& path) {
    Source s;
    try {
        s.text = ToText(shell.RegRead(path));
        s.state = Source::State::Present;
    } catch (const TrappedError& e) {
        const bool absent = e.Number() == kNotFound || e.Number() == kPathNotFound || e.Number() == kKeyDeleted;
        s.state = absent ? Source::State::Absent : Source::State::Unreadable;
    }
    return s;
}

InEffect Managed(const Source& s) {
    return {true, s.state == Source::State::Present ? IndexOfPolicy(s.text) : int16_t{-1}};
}

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

Sources ReadSources(IScriptShell& shell) {
    return {ReadSource(shell, std::string(kMachinePolicyKey) + "\\1400"),
            ReadSource(shell, std::string(kUserPolicyKey) + "\\1400"),
            ReadSource(shell, std::string(kMachinePolicySettingsKey) + "\\Security_HKLM_only"),
            ReadSource(shell, std::string(kMachineZoneKey) + "\\1400")};
}

InEffect ValueInEffect(const Sources& s) {
    using State = Source::State;
    // A switch that cannot be read may be on: the user's value is then not
    // offered as the one in effect, rather than written to no effect.
    const bool hklmOnly = s.hklmOnly.state == State::Unreadable ||
                          (s.hklmOnly.state == State::Present && s.hklmOnly.text == "1");
    // A policy value that is there counts even when it cannot be read.
    if (s.machinePolicy.state != State::Absent) return Managed(s.machinePolicy);
    if (hklmOnly) return Managed(s.machineOwn);
    if (s.userPolicy.state != State::Absent) return Managed(s.userPolicy);
    return {};
}

std::string GetRegJS_Switch(IScriptShell& shell, IMessageBox& box) {
    return TrapShowAndEnd(box, [&] { return ReadPolicy(shell); });
}

void SetRegJS_Switch(IScriptShell& shell, IMessageBox& box, int32_t index) {
    // In this order, and a refused write stops the ones after it: the policy
    // goes in first, then the zone is marked as custom-level. "CUrrentLevel"
    // is the zone's CurrentLevel: value names match regardless of case.
    TrapAndShow(box, [&] {
        shell.RegWrite(kZone + "1400", PolicyOf(index), "REG_DWORD");
        shell.RegWrite(kZone + "CUrrentLevel", 0, "REG_DWORD");
        shell.RegWrite(kZone + "1C00", 65536, "REG_BINARY");
    });
}

void SetCmbRegJS_Switch(IComboBox& cmb, const std::string& value) {
    FillList(cmb, {"ダイアログを表示", "無効にする", "有効にする"}, IndexOfPolicy(value));
}

}  // namespace vantrel::script
