#include "settings/image_setting.h"

namespace vantrel::image {

namespace {

const char kPicts[] = "HKLM\\Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS\\";
const char* const kWords[] = {"yes", "no"};

// Plain concatenation on purpose: an empty or odd RegPath goes to the shell
// as it is, and the shell decides.
std::string SwitchPath(const std::string& regPath) { return "HKCU\\" + regPath + "\\" + "Display Inline Images"; }

}  // namespace

int16_t IndexOfWord(const std::string& stored) {
    // Only ASCII letters are folded: no other character lower-cases to one
    // of the letters of "yes" or "no", so the outcome equals a full fold.
    std::string word = stored;
    for (char& c : word)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (int16_t i = 0; i < 2; ++i)
        if (word == kWords[i]) return i;
    return -1;
}

std::string WordOf(int32_t index) { return index == 0 || index == 1 ? kWords[index] : ""; }

std::string ReadSwitch(IScriptShell& shell, const std::string& regPath) {
    return ToText(shell.RegRead(SwitchPath(regPath)));
}

void GetRegImageValues(IScriptShell& shell, IMessageBox& box) {
    // Only their presence matters: the switch always uses "yes"/"no".
    TrapShowAndEnd(box, [&] {
        (void)ToText(shell.RegRead(std::string(kPicts) + "CheckedValue"));
        (void)ToText(shell.RegRead(std::string(kPicts) + "UncheckedValue"));
    });
}

Switch GetRegImage(IScriptShell& shell, IMessageBox& box) {
    return TrapShowAndEnd(box, [&] {
        Switch s;
        s.regPath = ToText(shell.RegRead(std::string(kPicts) + "RegPath"));
        s.value = ReadSwitch(shell, s.regPath);
        return s;
    });
}

void SetRegImage(IScriptShell& shell, IMessageBox& box, const std::string& regPath, int32_t index) {
    // No type: the shell stores a text as a string value.
    TrapAndShow(box, [&] { shell.RegWrite(SwitchPath(regPath), WordOf(index)); });
}

void SetCmbRegImage(IComboBox& cmb, const std::string& value) {
    // An unknown word selects no entry.
    FillList(cmb, {"はい", "いいえ"}, IndexOfWord(value));
}

}  // namespace vantrel::image
