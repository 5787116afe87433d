// The host facilities of the running program: single instance, where the
// executable lives, and the few file operations the shortcut store needs.
#pragma once

#include <string>

#include "platform/gateway.h"
#include "platform/text_win.h"

namespace vantrel::win {

// The name every copy of the program claims at start-up.
extern const wchar_t* const kInstanceMutexName;

class Host : public IHost {
public:
    // `instanceName` is the mutex that marks a running copy; tests pass a
    // name of their own so that they do not claim the program's.
    explicit Host(const wchar_t* instanceName = kInstanceMutexName) : instanceName_(instanceName) {}

    bool PrevInstance() override;
    std::string ExePath() override;
    int WindowsMajorVersion() override;
    bool FileExists(const std::string& path) override;
    void OpenForRead(const std::string& path) override;
    void Close() override;
    void RemoveFile(const std::string& path) override;
    void OpenWithSystem(const std::string& target) override;

private:
    std::wstring instanceName_;
    KernelHandle instance_;  // held as long as this Host lives
    bool prevInstance_ = false;
    KernelHandle file_;      // the one file OpenForRead has open
};

}  // namespace vantrel::win
