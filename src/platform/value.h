// What a late-bound call hands back, reduced to the forms the program uses.
#pragma once

#include <cstdint>
#include <string>

#include "platform/error.h"

namespace vantrel {

struct ShellValue {
    enum class Kind { Empty, Text, Integer, Boolean, NoText };
    Kind kind = Kind::Empty;
    std::string text;      // Kind::Text (UTF-8)
    int64_t integer = 0;   // Kind::Integer; Kind::Boolean (0 or -1)

    static ShellValue Empty() { return {}; }
    static ShellValue Text(std::string s) { ShellValue v; v.kind = Kind::Text; v.text = std::move(s); return v; }
    static ShellValue Integer(int64_t n) { ShellValue v; v.kind = Kind::Integer; v.integer = n; return v; }
    static ShellValue Boolean(bool b) { ShellValue v; v.kind = Kind::Boolean; v.integer = b ? -1 : 0; return v; }
    // An array (REG_BINARY, REG_MULTI_SZ read back) or another value with no text form.
    static ShellValue NoText() { ShellValue v; v.kind = Kind::NoText; return v; }
};

// The standard conversion of a read result to text: a string stays as it is,
// a number becomes its decimal digits, a boolean "True"/"False", nothing the
// empty text. A value with no text form raises error 13.
std::string ToText(const ShellValue& v);

}  // namespace vantrel
