#include "platform/key_watch.h"

namespace vantrel {

namespace {

std::string Parent(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

bool ArmKeyWatch(const std::string& path, IKeyNotice& keys) {
    // Opened from the key upwards until two are held.
    std::string at = path, nearest;
    size_t held = 0;
    for (;;) {
        if (keys.Open(at)) {
            if (held == 0) nearest = at;
            if (++held == 2) break;
        }
        if (at.empty()) break;
        at = Parent(at);
    }
    if (held == 0) return false;
    // The upper one first: once the lower one is armed, whatever happens to
    // it is heard of by the one above.
    for (size_t i = held; i-- > 0;) {
        // Only the key itself is asked about its values.
        switch (keys.Notify(i, i == 0 && nearest == path)) {
        case IKeyNotice::Armed::Yes: break;
        case IKeyNotice::Armed::KeyGone: keys.Signal(); break;  // gone since it was opened
        case IKeyNotice::Armed::Refused: return false;
        }
    }
    // A second look at what was found, now that all is armed: the key, or the
    // one below the nearest on the way to it, may have come or gone between
    // its look and the arming above it.
    const bool found = nearest == path;
    const std::string next = found ? path : path.substr(0, path.find('\\', nearest.size() + (nearest.empty() ? 0 : 1)));
    if (keys.Exists(next) != found) keys.Signal();
    return true;
}

}  // namespace vantrel
