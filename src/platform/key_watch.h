// How the watch of one registry key is armed, apart from the system calls
// that do it: which keys are asked for notice, in what order, and the second
// look that catches a key that came or went while that was being set up.
#pragma once

#include <cstddef>
#include <string>

namespace vantrel {

// The registry as the arming sees it: keys named by their path below one
// root ("" is the root itself), opened and asked for notice one by one.
class IKeyNotice {
public:
    virtual ~IKeyNotice() = default;
    // Opens the key at `path` and keeps it as the next one to arm; false when
    // it is not there.
    virtual bool Open(const std::string& path) = 0;
    enum class Armed { Yes, KeyGone, Refused };
    // Asks for notice on the key kept `nth` (0: the first opened): of changes
    // to its values too (`values`), or only to its subkeys.
    virtual Armed Notify(size_t nth, bool values) = 0;
    virtual bool Exists(const std::string& path) = 0;
    // Says at once that something changed: the owner looks again.
    virtual void Signal() = 0;
};

// Arms the notice for `path`. A key's own notice hears of its values but not
// of its own deletion, which only its parent hears of: so the key and its
// parent are armed, or, while the key is missing, the two nearest keys above
// it that exist, which hear of it coming. False when the system refuses.
bool ArmKeyWatch(const std::string& path, IKeyNotice& keys);

}  // namespace vantrel
