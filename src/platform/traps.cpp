#include "platform/traps.h"

namespace vantrel {

void ShowError(IMessageBox& box, const TrappedError& e, const char* title) {
    box.Show(ErrText(e.Value()), title, MsgIcon::Critical);
}

bool ShowShellError(IMessageBox& box, const TrappedError& e) {
    if (e.Number() != kErrCannotCreate.number) {
        ShowError(box, e);
        return false;
    }
    box.Show(kNoWshText, kNoWshTitle, MsgIcon::Critical);
    return true;
}

}  // namespace vantrel
