// The program's error traps: what a procedure does with a TrappedError that
// reaches it. Each trap says in its name what the user sees and what happens
// next.
#pragma once

#include <exception>
#include <type_traits>

#include "platform/errors.h"
#include "platform/gateway.h"

namespace vantrel {

// A trapped error in its box: critical icon, number ":" description.
void ShowError(IMessageBox& box, const TrappedError& e, const char* title = kErrorTitle);

// The box of a trap around creating the scripting shell: "実行できません" when
// it is not installed (true), otherwise the error box (false).
bool ShowShellError(IMessageBox& box, const TrappedError& e);

// A step whose failure is ignored: the next step runs all the same.
template <class F>
void Ignoring(F&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

// Runs `op`; a failure is shown in the "エラー" box and the caller goes on.
// The trap of the registry writes.
template <class F>
void TrapAndShow(IMessageBox& box, F&& op) {
    try {
        op();
    } catch (const TrappedError& e) {
        ShowError(box, e);
    }
}

// Runs `op` and returns what it returns; a failure is shown in the "エラー"
// box, then the program ends (ProgramEnd). The trap of the start-up reads.
template <class F>
auto TrapShowAndEnd(IMessageBox& box, F&& op) -> decltype(op()) {
    try {
        return op();
    } catch (const TrappedError& e) {
        ShowError(box, e);
        throw ProgramEnd{};
    }
}

}  // namespace vantrel
