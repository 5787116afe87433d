// The script policy of the Internet zone (zone 3, action 1400). Writing it
// also marks the zone as custom-level and sets its action 1C00.
#pragma once

#include <cstdint>
#include <string>

#include "platform/controls.h"
#include "platform/gateway.h"

namespace vantrel::script {

// The Internet zone's key, below HKCU.
inline constexpr char kZoneKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

// The list entry a stored policy text selects: "1" ask (0), "3" disable (1),
// "0" enable (2), compared exactly; -1 for any other text.
int16_t IndexOfPolicy(const std::string& stored);
// The policy number a list index writes: 1, 3 or 0; 0 for any other index.
int32_t PolicyOf(int32_t index);

// The policy as text; raises what the shell raises.
std::string ReadPolicy(IScriptShell& shell);

// Trap their own failure and show it in the "エラー" box; after a failed
// read the program ends (ProgramEnd).
bool GetRegJS_Switch(IScriptShell& shell, IMessageBox& box, std::string& value);
bool SetRegJS_Switch(IScriptShell& shell, IMessageBox& box, int32_t index);

// Fills cmbRegJS_Switch and selects the entry `value` names. No trap.
void SetCmbRegJS_Switch(IComboBox& cmb, bool enabled, const std::string& value);

}  // namespace vantrel::script
