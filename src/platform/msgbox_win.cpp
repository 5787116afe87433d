#include <windows.h>

#include "platform/msgbox_win.h"
#include "platform/ui_win.h"

namespace vantrel::win {

void MessageBoxes::Show(const std::string& text, const std::string& title, MsgIcon icon) {
    HWND owner = GetActiveWindow();
    UINT flags = MB_OK | MB_SETFOREGROUND | (icon == MsgIcon::Critical ? MB_ICONHAND : MB_ICONINFORMATION);
    // With an owner the box disables it as a dialog would. Without one (during
    // start-up, or from a window that is not active) MB_TASKMODAL disables all
    // of this thread's top-level windows so that none takes input meanwhile.
    flags |= owner ? MB_APPLMODAL : MB_TASKMODAL;
    MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), flags);
}

}  // namespace vantrel::win
