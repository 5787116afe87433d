#include "platform/boxes_win.h"

#include <windows.h>

#include "platform/text_win.h"

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

void EndOnException(std::exception_ptr e) {
    bool decided = false;
    try {
        std::rethrow_exception(e);
    } catch (const ProgramEnd&) {
        decided = true;
    } catch (...) {
    }
    if (!decided) MessageBoxes().Show(ErrText(DescribeUnexpected(e)), kErrorTitle, MsgIcon::Critical);
    // The program ends here, at once, and does not unwind to wWinMain: the
    // end may be decided inside a nested loop (a modal dialog, the popup
    // menu, a message box) whose frames belong to the system, and no C++
    // exception may cross those. Nothing is left to save: every registry
    // write is complete when its call returns, and no file is held open.
    ExitProcess(decided ? 0 : 1);
}

}  // namespace vantrel::win
