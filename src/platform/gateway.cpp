#include "platform/gateway.h"

namespace vantrel {

std::string ToText(const ShellValue& v) {
    switch (v.kind) {
    case ShellValue::Kind::Empty: return std::string();
    case ShellValue::Kind::Text: return v.text;
    case ShellValue::Kind::Integer: return std::to_string(v.integer);
    case ShellValue::Kind::Boolean: return v.integer ? "True" : "False";
    case ShellValue::Kind::NoText: break;
    }
    kErrTypeMismatch.Raise();
}

}  // namespace vantrel
