// How a failed late-bound call becomes the error value the program shows.
// Kept free of <windows.h> so the rule can be checked without a Windows
// system: the Windows side fills a CallFailure from Invoke's HRESULT and
// EXCEPINFO and hands in the system's message lookup.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/error.h"

namespace vantrel {

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

// Used when neither the object nor the system has anything to say.
extern const char* const kAutomationErrorText;

// Drops the line break and blanks that system messages end with.
std::string TrimMessage(std::string text);

// Number: the HRESULT, or for kDispEException the exception's scode (its
// wCode when scode is 0). Description: the object's own text, else the
// system's text for the number, else kAutomationErrorText.
ErrValue MapFailure(const CallFailure& failure, const SystemText& systemText);

}  // namespace vantrel
