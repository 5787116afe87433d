// The host facilities of the running program: single instance, where the
// executable lives, and the few file operations the shortcut store needs.
#pragma once

#include <windows.h>
// <windows.h> turns DeleteFile into DeleteFileW; the interface's member keeps
// its own name in this file.
#undef DeleteFile

#include <string>

#include "platform/gateway.h"

namespace vantrel::win {

// A kernel handle closed with its holder. Move-only.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(Handle&& o) noexcept : h_(o.h_) { o.h_ = nullptr; }
    Handle& operator=(Handle&& o) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset();

private:
    HANDLE h_ = nullptr;
};

// The name every copy of the program claims at start-up.
extern const wchar_t* const kInstanceMutexName;

// The error a failed file operation raises, from the system's error code:
// 53 for a missing file, 70 for a refusal (access, sharing, write protection),
// 75 for every other path or access failure.
ErrValue FileError(DWORD lastError);

class Host : public IHost {
public:
    // `instanceName` is the mutex that marks a running copy; tests pass a
    // name of their own so that they do not claim the program's.
    explicit Host(const wchar_t* instanceName = kInstanceMutexName) : instanceName_(instanceName) {}

    bool PrevInstance() override;
    std::string ExeFolder() override;
    std::string ExeBaseName() override;
    void OpenForRead(const std::string& path) override;
    void Close() override;
    void DeleteFile(const std::string& path) override;

private:
    std::wstring instanceName_;
    Handle instance_;         // held as long as this Host lives
    bool prevInstance_ = false;
    Handle file_;             // the one file OpenForRead has open
};

}  // namespace vantrel::win
