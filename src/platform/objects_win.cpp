#include "platform/objects_win.h"

#include "platform/browser_win.h"
#include "platform/shell_win.h"

namespace vantrel::win {

std::unique_ptr<IScriptShell> ObjectFactory::CreateScriptShell() { return std::make_unique<WshShell>(); }

std::unique_ptr<IBrowser> ObjectFactory::CreateBrowser() { return std::make_unique<IeBrowser>(); }

}  // namespace vantrel::win
