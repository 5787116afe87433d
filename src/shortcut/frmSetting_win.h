// The 環境設定 dialog on Win32: a window of its own class, owned by the main
// window, that turns clicks into frmSetting's events and frmSetting's view
// calls into control messages.
#pragma once

#include <windows.h>

#include "shortcut/frmSetting.h"

namespace vantrel::win {

// Loads the dialog afresh (Form_Load runs before anything is shown), shows it
// and returns when it has closed. `owner` takes no input meanwhile. When the
// scripting shell is missing, ProgramEnd leaves here and the dialog never shows.
void ShowFrmSetting(HWND owner, frmSetting& form);

}  // namespace vantrel::win
