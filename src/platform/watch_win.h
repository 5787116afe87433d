// Change notification for registry keys, waited for in the main message loop
// together with the messages: no timer, no thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/gateway.h"
#include "platform/text_win.h"
#include "platform/window_win.h"

namespace vantrel::win {

class RegistryWatch : public IRegistryWatch, public LoopWaits {
public:
    bool Watch(const std::vector<std::string>& keys, std::function<void()> changed) override;

    // LoopWaits
    std::vector<HANDLE> Handles() override;
    void Signalled(size_t index) override;

private:
    using Key = Owned<HKEY, RegCloseKey>;
    struct Watched {
        HKEY root;             // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
        std::wstring path;     // below the root
        KernelHandle event;    // manual reset, signalled by any of `keys`
        std::vector<Key> keys;
    };
    static bool Arm(Watched& w);

    std::vector<Watched> watched_;
    std::function<void()> changed_;
};

}  // namespace vantrel::win
