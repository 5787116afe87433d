#include "platform/watch_win.h"

namespace vantrel::win {

// ---- KeyNotice ---------------------------------------------------------------------

namespace {

// The key at `path` below `root`, opened for notification; nullptr when it is not there.
HKEY OpenForNotice(HKEY root, const std::string& path) {
    HKEY k = nullptr;
    const std::wstring w = Widen(path);
    return RegOpenKeyExW(root, w.empty() ? nullptr : w.c_str(), 0, KEY_NOTIFY, &k) == ERROR_SUCCESS ? k : nullptr;
}

}  // namespace

void KeyNotice::Reset() {
    keys_.clear();
    ResetEvent(event_);
}

bool KeyNotice::Open(const std::string& path) {
    const HKEY k = OpenForNotice(root_, path);
    if (k) keys_.emplace_back(k);
    return k != nullptr;
}

IKeyNotice::Armed KeyNotice::Notify(size_t nth, bool values) {
    const DWORD filter = REG_NOTIFY_CHANGE_NAME | (values ? REG_NOTIFY_CHANGE_LAST_SET : 0);
    const LONG rc = RegNotifyChangeKeyValue(keys_[nth].get(), FALSE, filter, event_, TRUE);
    if (rc == ERROR_SUCCESS) return Armed::Yes;
    return rc == ERROR_KEY_DELETED ? Armed::KeyGone : Armed::Refused;
}

bool KeyNotice::Exists(const std::string& path) { return Key(OpenForNotice(root_, path)) != nullptr; }

void KeyNotice::Signal() { SetEvent(event_); }

// ---- RegistryWatch -------------------------------------------------------------

void RegistryWatch::Watch(const std::vector<std::string>& keys, std::function<void()> changed) {
    changed_ = std::move(changed);
    for (const std::string& key : keys) {
        // The shell's spelling of the root, as the core writes every path.
        const HKEY root = key.rfind("HKLM\\", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const HANDLE e = event.get();
        watched_.push_back(Watched{key.substr(key.find('\\') + 1), std::move(event), KeyNotice(root, e), false});
        // A key the system will not watch is tried again at the next question.
        if (!Arm(watched_.back())) gap_ = true;
    }
}

bool RegistryWatch::Arm(Watched& w) {
    w.keys.Reset();
    w.armed = w.event && ArmKeyWatch(w.path, w.keys);
    return w.armed;
}

bool RegistryWatch::Complete() {
    bool whole = !gap_;
    gap_ = false;
    // A key not armed now may have changed unseen, even if it can be armed again.
    for (Watched& w : watched_) {
        if (w.armed) continue;
        whole = false;
        if (!Arm(w)) gap_ = true;
    }
    return whole;
}

std::vector<HANDLE> RegistryWatch::Handles() {
    std::vector<HANDLE> handles;
    // Only armed keys: a key whose arming failed has nothing to wait for.
    for (const Watched& w : watched_)
        if (w.armed) handles.push_back(w.event.get());
    return handles;
}

void RegistryWatch::Signalled(size_t index) {
    size_t i = 0;
    for (; i < watched_.size(); ++i)
        if (watched_[i].armed && index-- == 0) break;
    // Armed again before the values are read, so that a change made while
    // they are read is not missed. A key that cannot be armed again is no
    // longer watched: the window is told so when it next asks.
    if (i < watched_.size() && !Arm(watched_[i])) gap_ = true;
    if (changed_) changed_();
}

}  // namespace vantrel::win
