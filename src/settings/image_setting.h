// The inline-image switch. Its key is not fixed: the browser's own
// description of the picture option (machine-wide) names the per-user key,
// below which "Display Inline Images" holds "yes" or "no".
#pragma once

#include <cstdint>
#include <string>

#include "platform/controls.h"
#include "platform/gateway.h"
#include "platform/traps.h"

namespace vantrel::image {

// The list entry a stored word selects: 0 (はい) for "yes" and 1 (いいえ) for
// "no" in any letter case, -1 for any other text.
int16_t IndexOfWord(const std::string& stored);
// The word a list index writes: "yes", "no", or the empty text.
std::string WordOf(int32_t index);

// The switch's value as text; raises what the shell raises.
std::string ReadSwitch(IScriptShell& shell, const std::string& regPath);

// The registry operations trap their own failure and show it in the "エラー"
// box; after a failed read the program ends (ProgramEnd), after a refused
// write it goes on.
void GetRegImageValues(IScriptShell& shell, IMessageBox& box);
// The per-user key named by the option's description, and the switch below it.
struct Switch {
    std::string regPath, value;
};
Switch GetRegImage(IScriptShell& shell, IMessageBox& box);
void SetRegImage(IScriptShell& shell, IMessageBox& box, const std::string& regPath, int32_t index);

// Fills cmbRegImage and selects the entry `value` names. No trap.
void SetCmbRegImage(IComboBox& cmb, const std::string& value);

}  // namespace vantrel::image
