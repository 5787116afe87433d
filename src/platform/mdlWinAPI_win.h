// mdlWinAPI: the user32 functions the program declares for itself, called
// with ANSI texts as the program's callers expect.
#pragma once

#include "platform/gateway.h"

namespace vantrel::win {

class mdlWinAPI : public IWinApi {
public:
    intptr_t FindWindowA(const std::optional<std::string>& className,
                         const std::optional<std::string>& windowName) override;
    intptr_t SendMessageA(intptr_t hwnd, uint32_t msg, intptr_t wParam, const void* lParam) override;
    int32_t WinHelpA(intptr_t hwnd, const std::string& helpFile, uint32_t command, uintptr_t data) override;
};

}  // namespace vantrel::win
