#include "platform/watch_win.h"

namespace vantrel::win {

bool RegistryWatch::Watch(const std::vector<std::string>& keys, std::function<void()> changed) {
    changed_ = std::move(changed);
    for (const std::string& key : keys) {
        // The shell's spelling of the root, as the core writes every path.
        const bool machine = key.rfind("HKLM\\", 0) == 0;
        const std::wstring path = Widen(key.substr(key.find('\\') + 1));
        Watched w{machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, path,
                  KernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)), {}};
        // Without an event, or with a registry that refuses notification
        // (a system or a key that does not support it), there is no watch:
        // the caller then reads again when the window is activated.
        if (!w.event || !Arm(w)) {
            watched_.clear();
            return false;
        }
        watched_.push_back(std::move(w));
    }
    return true;
}

namespace {

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, path.empty() ? nullptr : path.c_str(), 0, KEY_NOTIFY, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

}  // namespace

// The key's own handle hears of its values, but not of its own deletion:
// only its parent does. So the event is armed on the key and on its parent,
// or, while the key is missing, on the two nearest keys above it that exist,
// which hear of it coming back. The upper one is armed first, and what was
// found is looked at once more when all is armed: a key that went or came
// while the watch was being set up is then not missed.
bool RegistryWatch::Arm(Watched& w) {
    w.keys.clear();  // closing an armed handle signals the event
    ResetEvent(w.event.get());
    DWORD filters[2] = {};
    std::wstring path = w.path, nearest;
    DWORD filter = REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME;
    while (w.keys.size() < 2) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(w.root, path.empty() ? nullptr : path.c_str(), 0, KEY_NOTIFY, &k) == ERROR_SUCCESS) {
            if (w.keys.empty()) nearest = path;
            filters[w.keys.size()] = filter;
            w.keys.emplace_back(k);
        }
        if (path.empty()) break;
        const size_t slash = path.find_last_of(L'\\');
        path = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
        filter = REG_NOTIFY_CHANGE_NAME;
    }
    for (size_t i = w.keys.size(); i-- > 0;) {
        const LONG rc = RegNotifyChangeKeyValue(w.keys[i].get(), FALSE, filters[i], w.event.get(), TRUE);
        // Gone since it was opened: look again at once.
        if (rc == ERROR_KEY_DELETED) SetEvent(w.event.get());
        else if (rc != ERROR_SUCCESS) return false;
    }
    // The key itself, or the one below the nearest that exists on the way to it.
    const bool found = nearest == w.path;
    const std::wstring next = found ? w.path : w.path.substr(0, w.path.find(L'\\', nearest.size() + 1));
    if (KeyExists(w.root, next) != found) SetEvent(w.event.get());
    return !w.keys.empty();
}

std::vector<HANDLE> RegistryWatch::Handles() {
    std::vector<HANDLE> handles;
    for (const Watched& w : watched_) handles.push_back(w.event.get());
    return handles;
}

void RegistryWatch::Signalled(size_t index) {
    // Armed again before the values are read, so that a change made while
    // they are read is not missed.
    if (!Arm(watched_[index])) ResetEvent(watched_[index].event.get());
    if (changed_) changed_();
}

}  // namespace vantrel::win
