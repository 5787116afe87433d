// Identifiers of the main window and its controls, shared with the tests.
#pragma once

namespace vantrel {

inline constexpr wchar_t kMainWindowClass[] = L"VantrelMain";
inline constexpr wchar_t kMainWindowTitle[] = L"Vantrel";

// Control ids. 1 and 2 are left alone: the dialog manager's keyboard handling
// sends IDOK/IDCANCEL for Enter and Escape, and those must reach no control.
enum MainControlId : int {
    kIdCmbRegImage = 101,
    kIdLblShowImage = 102,
    kIdLblScriptExecute = 103,
    kIdCmbRegJS_Switch = 104,
    kIdFraWait = 105,
    kIdLblWait = 106,
};

enum MainMenuId : int {
    kIdMnuSetting = 201,
    kIdMnuHelp = 202,
    kIdMnuAbout = 203,
};

}  // namespace vantrel
