#include "platform/browser_win.h"

namespace vantrel::win {

// Visible is a VARIANT_BOOL property: true must travel as VARIANT_TRUE (-1).
void IeBrowser::SetVisible(bool visible) { ie_.Put(L"Visible", visible); }

void IeBrowser::Navigate(const std::string& url) { ie_.Call(L"Navigate", url); }

}  // namespace vantrel::win
