// The script policy of the Internet zone (zone 3, action 1400). Writing it
// also marks the zone as custom-level and sets its action 1C00. On a managed
// machine a policy may fix it: then the value in effect is not the user's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/controls.h"
#include "platform/gateway.h"
#include "platform/traps.h"

namespace vantrel::script {

// The user's Internet zone, whose values the program writes.
inline constexpr char kZoneKey[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
// Where else the browser looks for the policy, machine first.
inline constexpr char kMachinePolicyKey[] =
    "HKLM\\Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
inline constexpr char kUserPolicyKey[] =
    "HKCU\\Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
// Holds Security_HKLM_only: at 1 only the machine's keys apply.
inline constexpr char kMachinePolicySettingsKey[] =
    "HKLM\\Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr char kMachineZoneKey[] = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

// What the script list's tool tip says while a policy fixes the setting.
inline constexpr char kManagedTip[] = "この設定はシステム管理者によって管理されています。";

// The list entry a stored policy text selects: "1" ask (0), "3" disable (1),
// "0" enable (2), compared exactly; -1 for any other text.
int16_t IndexOfPolicy(const std::string& stored);
// The policy number a list index writes: 1, 3 or 0; 0 for any other index.
int32_t PolicyOf(int32_t index);

// The user's own policy as text; raises what the shell raises.
std::string ReadPolicy(IScriptShell& shell);

// One value that may overrule the user's: not there, its text, or there but
// unreadable (refused, or with no text form).
struct Source {
    enum class State { Absent, Present, Unreadable } state = State::Absent;
    std::string text;
};
struct Sources {
    Source machinePolicy, userPolicy, hklmOnly, machineOwn;
};
// Reads them all; never raises and never shows anything: a missing policy is
// the normal case.
Sources ReadSources(IScriptShell& shell);

// The value in effect when it is not the user's own: `managed`, and the
// entry it selects (-1 for a value that selects none or cannot be read).
struct InEffect {
    bool managed = false;
    int16_t index = -1;
};
InEffect ValueInEffect(const Sources& s);

// Trap their own failure and show it in the "エラー" box; after a failed
// read the program ends (ProgramEnd), after a refused write it goes on.
std::string GetRegJS_Switch(IScriptShell& shell, IMessageBox& box);
void SetRegJS_Switch(IScriptShell& shell, IMessageBox& box, int32_t index);

// Fills cmbRegJS_Switch and selects the entry `value` names. No trap.
void SetCmbRegJS_Switch(IComboBox& cmb, const std::string& value);

}  // namespace vantrel::script
