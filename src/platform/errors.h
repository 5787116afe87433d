// Errors as the program knows them: the value a failed call hands to the
// nearest error trap, the catalogue of the numbers and texts the program
// assigns itself, the boxes that show them, and the rule that turns a failed
// late-bound call into a value. Procedures with a trap catch TrappedError;
// procedures without one let it pass to their caller.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace vantrel {

struct ErrValue {
    int32_t number = 0;
    std::string description;  // UTF-8
};

class TrappedError : public std::runtime_error {
public:
    explicit TrappedError(ErrValue e) : std::runtime_error(e.description), err_(std::move(e)) {}
    int32_t Number() const { return err_.number; }
    const ErrValue& Value() const { return err_; }

private:
    ErrValue err_;
};

// Thrown after the program has decided to end (a second instance, a failed
// start-up read, a missing scripting shell). It is deliberately not a
// TrappedError, so no error trap on the way up can swallow it.
struct ProgramEnd {};

// ---- the catalogue ---------------------------------------------------------
// The numbers the program assigns itself, each with its one text. Every other
// number comes from the platform, with the platform's text.
struct ErrDef {
    int32_t number;
    const char* text;
    ErrValue Value() const { return {number, text}; }
    [[noreturn]] void Raise() const { throw TrappedError(Value()); }
};

inline constexpr ErrDef kErrOutOfMemory{7, "メモリが不足しています。"};
inline constexpr ErrDef kErrOverflow{6, "オーバーフローしました。"};
inline constexpr ErrDef kErrTypeMismatch{13, "型が一致しません。"};  // a value with no text form
inline constexpr ErrDef kErrInternal{51, "内部エラーです。"};
inline constexpr ErrDef kErrFileNotFound{53, "ファイルが見つかりません。"};
inline constexpr ErrDef kErrPermissionDenied{70, "書き込みできません。"};
inline constexpr ErrDef kErrPathAccess{75, "パス名が無効です。"};
inline constexpr ErrDef kErrNoObject{91, "オブジェクト変数または With ブロック変数が設定されていません。"};
// The one number the program tests: an object cannot be created by ProgID.
inline constexpr ErrDef kErrCannotCreate{429, "ActiveX コンポーネントはオブジェクトを作成できません。"};
// For a failed call that neither the object nor the system can describe.
inline constexpr char kAutomationErrorText[] = "オートメーション エラーです。";

// ---- the boxes -------------------------------------------------------------
inline constexpr char kErrorTitle[] = "エラー";
inline constexpr char kPickErrorTitle[] = "エラー発生";
inline constexpr char kNoWshTitle[] = "実行できません";
inline constexpr char kNoWshText[] = "WSHがインストールされていません\r\n詳しくはヘルプをご覧ください";

// What every error box shows: number, ":", description, nothing added.
std::string ErrText(const ErrValue& e);

// What is known of an exception nobody trapped: a trapped error keeps its
// value; anything else becomes one of the catalogue's own.
ErrValue DescribeUnexpected(std::exception_ptr e);

// The Windows error a failed ShellExecute means. Its answer (32 or less on a
// failure) is all it reports: it need not set the thread's last error. The
// old answers below 32 are Windows errors of their own number; 0 and 26 to 32
// are its own and are given the error they stand for.
uint32_t ShellExecuteError(intptr_t answer);

// ---- failed late-bound calls -------------------------------------------------
// Invoke's answer when the object raised an exception of its own; the real
// cause then sits in the EXCEPINFO.
constexpr int32_t kDispEException = static_cast<int32_t>(0x80020009u);

// What is left of a failed call once the COM types are gone.
struct CallFailure {
    int32_t hresult = 0;      // what the call returned
    int32_t scode = 0;        // EXCEPINFO.scode (read only for kDispEException)
    uint16_t wCode = 0;       // EXCEPINFO.wCode (read only for kDispEException)
    std::string description;  // EXCEPINFO.bstrDescription, UTF-8, often empty
};

// The system's message text for a number, or an empty text when it has none.
using SystemText = std::function<std::string(int32_t number)>;

// Drops the line break and blanks that system messages end with.
std::string TrimMessage(std::string text);

// Number: the HRESULT, or for kDispEException the exception's scode (its
// wCode when scode is 0). Description: the object's own text, else the
// system's text for the number, else kAutomationErrorText.
ErrValue MapFailure(const CallFailure& failure, const SystemText& systemText);

}  // namespace vantrel
