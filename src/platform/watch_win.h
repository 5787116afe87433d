// Change notification for registry keys, waited for in the main message loop
// together with the messages: no timer, no thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gateway.h"
#include "platform/key_watch.h"
#include "platform/text_win.h"
#include "platform/window_win.h"

namespace vantrel::win {

// The keys of one watch, below one root, opened and armed on one event.
class KeyNotice : public IKeyNotice {
public:
    KeyNotice(HKEY root, HANDLE event) : root_(root), event_(event) {}
    // Closes what was armed before; closing an armed handle signals the event,
    // so it is reset afterwards.
    void Reset();
    bool Open(const std::string& path) override;
    Armed Notify(size_t nth, bool values) override;
    bool Exists(const std::string& path) override;
    void Signal() override;

private:
    using Key = Owned<HKEY, RegCloseKey>;
    HKEY root_;
    HANDLE event_;
    std::vector<Key> keys_;
};

class RegistryWatch : public IRegistryWatch, public LoopWaits {
public:
    void Watch(const std::vector<std::string>& keys, std::function<void()> changed) override;
    bool Complete() override;

    // LoopWaits
    std::vector<HANDLE> Handles() override;
    void Signalled(size_t index) override;

private:
    struct Watched {
        std::string path;    // below the root
        KernelHandle event;  // manual reset
        KeyNotice keys;
        bool armed;
    };
    static bool Arm(Watched& w);

    std::vector<Watched> watched_;
    std::function<void()> changed_;
    bool gap_ = false;  // a key was not watched for a while since the last question
};

}  // namespace vantrel::win
