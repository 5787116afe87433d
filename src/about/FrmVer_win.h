// The about box's window: built afresh at each opening, shown modal over the
// main window, gone when closed.
#pragma once

#include <windows.h>

#include "platform/gateway.h"

namespace vantrel::win {

// Loads FrmVer, shows it modal over `owner` (disabled meanwhile) and returns
// once it has been closed.
void ShowFrmVer(HWND owner, Platform platform);

}  // namespace vantrel::win
