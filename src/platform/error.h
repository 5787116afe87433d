// A trapped error: what a failed call to the shell, the browser object or the
// file system hands to the nearest error trap. Procedures with a trap catch
// TrappedError; procedures without one let it pass to their caller.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vantrel {

// Numbers the program itself assigns (the others come from the platform).
constexpr int32_t kErrTypeMismatch = 13;    // a value with no text form
constexpr int32_t kErrCannotCreate = 429;   // an object cannot be created by ProgID

struct ErrValue {
    int32_t number = 0;
    std::string description;  // UTF-8
};

class TrappedError : public std::runtime_error {
public:
    explicit TrappedError(ErrValue e)
        : std::runtime_error(e.description), err_(std::move(e)) {}
    TrappedError(int32_t number, std::string description)
        : TrappedError(ErrValue{number, std::move(description)}) {}
    int32_t Number() const { return err_.number; }
    const std::string& Description() const { return err_.description; }
    const ErrValue& Value() const { return err_; }

private:
    ErrValue err_;
};

// Thrown after the program has decided to end (a failed start-up read, a
// missing scripting shell). It is deliberately not a TrappedError, so no
// error trap on the way up can swallow it; the window layer catches it at
// its outermost frame and ends the process.
struct ProgramEnd {};

// The text every error box shows: number, ":", description, nothing added.
std::string ErrText(const ErrValue& e);

// The boxes both the main window and the settings dialog show.
inline constexpr char kErrorTitle[] = "エラー";
inline constexpr char kNoWshTitle[] = "実行できません";
inline constexpr char kNoWshText[] = "WSHがインストールされていません\r\n詳しくはヘルプをご覧ください";

}  // namespace vantrel
