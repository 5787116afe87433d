// Arming a registry key's watch: which keys are asked for notice, and a key
// that comes or goes while that is being set up is not missed.
#include <functional>
#include <set>

#include "fakes.h"
#include "platform/key_watch.h"

namespace vantrel {
namespace {

// Keys as a set of paths; `during` runs once, after the step it names.
struct Keys : IKeyNotice {
    std::set<std::string> present;
    std::vector<std::string> opened;
    std::vector<std::string> armed;  // "path" or "path+values", in arming order
    bool refuse = false;
    int signals = 0;
    std::string after;
    std::function<void(Keys&)> during;

    void Happen(const std::string& step) {
        if (step == after && during) std::exchange(during, nullptr)(*this);
    }
    bool Open(const std::string& path) override {
        const bool there = present.count(path) != 0;
        if (there) opened.push_back(path);
        Happen("open " + path);
        return there;
    }
    Armed Notify(size_t nth, bool values) override {
        if (refuse) return Armed::Refused;
        const std::string& path = opened.at(nth);
        armed.push_back(values ? path + "+values" : path);
        Happen("arm " + path);
        return present.count(path) ? Armed::Yes : Armed::KeyGone;
    }
    bool Exists(const std::string& path) override { return present.count(path) != 0; }
    void Signal() override { ++signals; }
};

const std::string kKey = "Software\\A\\B";

TEST(KeyWatch, TheKeyAndItsParentOrTheTwoNearestAboveAMissingKey) {
    const struct { std::set<std::string> present; std::vector<std::string> armed; } rows[] = {
        {{"", "Software", "Software\\A", kKey}, {"Software\\A", kKey + "+values"}},
        {{"", "Software", "Software\\A"}, {"Software", "Software\\A"}},
        {{"", "Software"}, {"", "Software"}},
        {{""}, {""}},
    };
    for (const auto& r : rows) {
        Keys keys;
        keys.present = r.present;
        ASSERT_TRUE(ArmKeyWatch(kKey, keys));
        EXPECT_EQ(keys.armed, r.armed) << r.present.size() << " keys there";
        EXPECT_EQ(keys.signals, 0);
    }
}

// Whatever moment of the set-up the change falls in, it is heard of.
TEST(KeyWatch, AKeyThatComesOrGoesWhileTheWatchIsSetUpIsSeen) {
    const auto create = [](Keys& k) { k.present.insert(kKey); };
    const auto remove = [](Keys& k) { k.present.erase(kKey); };
    const struct { const char* name; bool there; std::string after; std::function<void(Keys&)> change; } rows[] = {
        {"comes after its look", false, "open " + kKey, create},
        {"comes after the parent's look", false, "open Software\\A", create},
        {"goes after its look", true, "open " + kKey, remove},
        {"goes after the parent is armed", true, "arm Software\\A", remove},
    };
    for (const auto& r : rows) {
        Keys keys;
        keys.present = {"", "Software", "Software\\A"};
        if (r.there) keys.present.insert(kKey);
        keys.after = r.after;
        keys.during = r.change;
        ASSERT_TRUE(ArmKeyWatch(kKey, keys)) << r.name;
        EXPECT_GE(keys.signals, 1) << r.name;
    }
}

TEST(KeyWatch, ARefusalIsReported) {
    Keys keys;
    keys.present = {"", "Software", "Software\\A", kKey};
    keys.refuse = true;
    EXPECT_FALSE(ArmKeyWatch(kKey, keys));
}

}  // namespace
}  // namespace vantrel
