// Message boxes and the program's one end path.
#pragma once

#include <exception>
#include <string>

#include "platform/gateway.h"

namespace vantrel::win {

// Modal message boxes with one OK button.
class MessageBoxes : public IMessageBox {
public:
    void Show(const std::string& text, const std::string& title, MsgIcon icon) override;
};

// Ends the program after an exception left the program's code: ProgramEnd,
// its own decision, with status 0; anything else after an "エラー" box
// saying what is known, with status 1.
[[noreturn]] void EndOnException(std::exception_ptr e);

// Runs `f` where no exception may pass (a window procedure, wWinMain).
template <class F>
auto Fenced(F&& f) noexcept -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        EndOnException(std::current_exception());
    }
}

}  // namespace vantrel::win
