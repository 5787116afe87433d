// A refused registry write, for each of the four values a pick writes: the
// whole registry afterwards holds exactly the writes made before the refusal,
// nothing after it and nothing anywhere else, and the program goes on: the
// next pick, once the registry takes writes again, writes everything.
#include "frmMain_fixture.h"

namespace vantrel::test {
namespace {

struct Refusal {
    const char* name;
    std::string refused;  // the shell path whose RegWrite fails
    bool imagePick;
    // Values that hold their new content after the refused pick.
    std::vector<std::pair<std::string, fake::RegEntry>> kept;
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class RefusedWrite : public MainTest, public ::testing::WithParamInterface<Refusal> {
protected:
    // Image: "いいえ" (the seed says yes); script: "無効にする" (the seed says 0).
    void Pick() {
        if (GetParam().imagePick) {
            view.image.index = 1;
            form->cmbRegImage_Click();
        } else {
            view.script.index = 1;
            form->cmbRegJS_Switch_Click();
        }
    }
};

TEST_P(RefusedWrite, KeepsEarlierWritesOnlyAndTheNextPickWritesEverything) {
    const Refusal& r = GetParam();
    LoadAndClear();
    auto expected = w.reg.All();
    for (const auto& [path, entry] : r.kept) {
        auto it = expected.find(fake::Lower(path));
        ASSERT_NE(it, expected.end()) << path;
        it->second.second = entry;
    }

    w.failures.Fail("RegWrite " + r.refused);
    Pick();
    EXPECT_EQ(w.reg.All(), expected) << "no rollback, nothing after the refusal, nothing elsewhere";
    ASSERT_EQ(w.messages.size(), 1u) << "the write's own box only, no \"エラー発生\" from the handler";
    EXPECT_EQ(w.messages[0].title, "エラー");
    EXPECT_EQ(w.messages[0].text, "-2147024891:アクセスが拒否されました。");
    EXPECT_EQ(w.messages[0].icon, MsgIcon::Critical);
    // The list keeps showing what the user picked.
    EXPECT_EQ(r.imagePick ? view.image.index : view.script.index, 1);

    // The program went on: the same pick works once the write is allowed.
    w.failures.byKey.clear();
    w.messages.clear();
    Pick();
    EXPECT_TRUE(w.messages.empty());
    if (r.imagePick) {
        EXPECT_EQ(w.reg.Get(kSwitch), fake::Sz("no"));
    } else {
        EXPECT_EQ(w.reg.Get(kPolicy), fake::Dword(3));
        EXPECT_EQ(w.reg.Get(kLevel), fake::Dword(0));
        EXPECT_EQ(w.reg.Get(k1C00), fake::Binary(65536));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachOfTheFourWrites, RefusedWrite,
    ::testing::Values(Refusal{"ImageSwitch", kSwitch, true, {}},
                      Refusal{"Policy1400", kPolicy, false, {}},
                      Refusal{"CurrentLevel", kZone + "CUrrentLevel", false, {{kPolicy, fake::Dword(3)}}},
                      Refusal{"Action1C00", k1C00, false, {{kPolicy, fake::Dword(3)}, {kLevel, fake::Dword(0)}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantrel::test
