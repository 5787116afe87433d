#include "platform/errors.h"

#include <new>

namespace vantrel {

std::string ErrText(const ErrValue& e) { return std::to_string(e.number) + ":" + e.description; }

ErrValue DescribeUnexpected(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const TrappedError& t) {
        return t.Value();
    } catch (const std::bad_alloc&) {
        return kErrOutOfMemory.Value();
    } catch (const std::exception& x) {
        return {kErrInternal.number, std::string(kErrInternal.text) + " (" + x.what() + ")"};
    } catch (...) {
        return kErrInternal.Value();
    }
}

std::string TrimMessage(std::string text) {
    while (!text.empty()) {
        const char c = text.back();
        if (c != '\r' && c != '\n' && c != ' ' && c != '\t') break;
        text.pop_back();
    }
    return text;
}

uint32_t ShellExecuteError(intptr_t answer) {
    switch (answer) {
    case 0: return 8;      // out of memory: ERROR_NOT_ENOUGH_MEMORY
    case 26: return 32;    // SE_ERR_SHARE: ERROR_SHARING_VIOLATION
    case 27:               // SE_ERR_ASSOCINCOMPLETE
    case 31: return 1155;  // SE_ERR_NOASSOC: ERROR_NO_ASSOCIATION
    case 28:               // SE_ERR_DDETIMEOUT
    case 29:               // SE_ERR_DDEFAIL
    case 30: return 1156;  // SE_ERR_DDEBUSY: ERROR_DDE_FAIL
    case 32: return 1157;  // SE_ERR_DLLNOTFOUND: ERROR_DLL_NOT_FOUND
    default: return static_cast<uint32_t>(answer);
    }
}

ErrValue MapFailure(const CallFailure& failure, const SystemText& systemText) {
    ErrValue e;
    e.number = failure.hresult;
    if (failure.hresult == kDispEException) {
        // An exception with neither code says nothing more than "exception":
        // keep DISP_E_EXCEPTION itself rather than report a success code.
        if (failure.scode != 0) e.number = failure.scode;
        else if (failure.wCode != 0) e.number = failure.wCode;
        e.description = TrimMessage(failure.description);
    }
    if (e.description.empty() && systemText) e.description = TrimMessage(systemText(e.number));
    if (e.description.empty()) e.description = kAutomationErrorText;
    return e;
}

}  // namespace vantrel
