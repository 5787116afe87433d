// The core's pure decisions: stored values and list entries both ways, the
// script policy in effect, read results as text, failed calls as the error
// the user sees, paths, geometry.
#include "fakes.h"
#include "settings/image_setting.h"
#include "settings/script_setting.h"

namespace vantrel {
namespace {

TEST(Mapping, ImageWordToEntryAndBack) {
    const struct { std::string stored; int index; } words[] = {
        {"yes", 0}, {"YES", 0}, {"yEs", 0}, {"no", 1},  {"No", 1},    {"NO", 1},       {"yes ", -1},
        {" no", -1}, {"y", -1}, {"1", -1},  {"", -1},   {"はい", -1}, {"ｙｅｓ", -1}, {"non", -1}};
    for (const auto& w : words) EXPECT_EQ(image::IndexOfWord(w.stored), w.index) << w.stored;
    const struct { int index; std::string word; } back[] = {{0, "yes"}, {1, "no"}, {-1, ""}, {2, ""}};
    for (const auto& b : back) EXPECT_EQ(image::WordOf(b.index), b.word) << b.index;
}

TEST(Mapping, ScriptPolicyToEntryAndBack) {
    const struct { std::string stored; int index; } policies[] = {
        {"1", 0}, {"3", 1}, {"0", 2}, {"01", -1}, {" 1", -1}, {"3 ", -1}, {"2", -1}, {"", -1}, {"-1", -1}, {"65536", -1}};
    for (const auto& p : policies) EXPECT_EQ(script::IndexOfPolicy(p.stored), p.index) << p.stored;
    const struct { int index, policy; } back[] = {{0, 1}, {1, 3}, {2, 0}, {-1, 0}, {3, 0}};
    for (const auto& b : back) EXPECT_EQ(script::PolicyOf(b.index), b.policy) << b.index;
}

// Refilled from scratch: the entries in order, the stored value's entry or none.
TEST(ListFill, EntriesAndTheStoredValuesEntry) {
    const std::vector<std::string> images = {"はい", "いいえ"};
    const std::vector<std::string> scripts = {"ダイアログを表示", "無効にする", "有効にする"};
    const struct { bool imageList; std::string stored, selected; } rows[] = {
        {true, "YES", "はい"}, {true, "no", "いいえ"}, {true, "maybe", ""}, {false, "1", "ダイアログを表示"},
        {false, "3", "無効にする"}, {false, "0", "有効にする"}, {false, "2", ""}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.stored);
        fake::Log log;
        fake::ComboBox cmb(log, "cmb");
        cmb.items = {"stale"};
        cmb.index = 0;
        if (r.imageList) image::SetCmbRegImage(cmb, r.stored);
        else script::SetCmbRegJS_Switch(cmb, r.stored);
        EXPECT_EQ(cmb.items, r.imageList ? images : scripts);
        EXPECT_EQ(cmb.Text(), r.selected);
    }
}

// The browser takes the machine's policy first, then the user's, then the
// user's own value; with Security_HKLM_only at 1 only the machine's keys.
// `any` rows hold for every state of the fields they leave open.
TEST(ScriptPolicy, TheValueInEffect) {
    using S = script::Source::State;
    const script::Source absent{S::Absent, ""}, unreadable{S::Unreadable, ""};
    const auto text = [](const char* t) { return script::Source{S::Present, t}; };
    const std::vector<script::Source> any = {absent, unreadable, text("1"), text("3"), text("0"), text("2")};
    const std::vector<script::Source> switchOff = {absent, text("0"), text("2")};
    struct Row {
        const char* name;
        std::vector<script::Source> machinePolicy, userPolicy, hklmOnly, machineOwn;
        bool managed;
        int16_t index;
    };
    const Row rows[] = {
        {"no policy: the user's own", {absent}, {absent}, switchOff, any, false, -1},
        {"user policy", {absent}, {text("3")}, switchOff, any, true, 1},
        {"user policy that selects nothing", {absent}, {text("2")}, switchOff, any, true, -1},
        {"user policy unreadable", {absent}, {unreadable}, switchOff, any, true, -1},
        {"machine policy over the user's", {text("1")}, any, any, any, true, 0},
        {"machine policy unreadable", {unreadable}, any, any, any, true, -1},
        {"machine only: the machine's own value", {absent}, any, {text("1"), unreadable}, {text("0")}, true, 2},
        {"machine only, no machine value", {absent}, any, {text("1")}, {absent, unreadable}, true, -1},
    };
    for (const Row& r : rows)
        for (const auto& mp : r.machinePolicy)
            for (const auto& up : r.userPolicy)
                for (const auto& only : r.hklmOnly)
                    for (const auto& own : r.machineOwn) {
                        const script::InEffect e = script::ValueInEffect({mp, up, only, own});
                        ASSERT_EQ(e.managed, r.managed) << r.name;
                        ASSERT_EQ(e.index, r.index) << r.name;
                    }
}

// Through the shell: a missing key or value is no policy, anything else that
// fails to read is one that cannot be read; nothing is shown.
TEST(ScriptPolicy, SourcesAsTheShellReadsThem) {
    fake::World w;
    auto shell = w.CreateScriptShell();
    const std::string policy = std::string(script::kUserPolicyKey) + "\\1400";
    w.Set(std::string(script::kMachinePolicySettingsKey) + "\\Security_HKLM_only", "REG_DWORD:1");
    w.Set(std::string(script::kMachineZoneKey) + "\\1400", "REG_BINARY:3");
    w.Fail("RegRead " + policy);
    const script::Sources s = script::ReadSources(*shell);
    EXPECT_EQ(s.machinePolicy.state, script::Source::State::Absent);
    EXPECT_EQ(s.userPolicy.state, script::Source::State::Unreadable);
    EXPECT_EQ(s.hklmOnly.state, script::Source::State::Present);
    EXPECT_EQ(s.hklmOnly.text, "1");
    EXPECT_EQ(s.machineOwn.state, script::Source::State::Unreadable);
    EXPECT_TRUE(w.boxes.empty());
}

TEST(ReadResult, AsText) {
    const struct { ShellValue value; std::string text; } rows[] = {
        {ShellValue::Text(" Yes \r\n"), " Yes \r\n"}, {ShellValue::Text("はい"), "はい"},
        {ShellValue::Integer(0), "0"},                {ShellValue::Integer(71936), "71936"},
        {ShellValue::Integer(-1), "-1"},              {ShellValue::Integer(4294967295LL), "4294967295"},
        {ShellValue::Boolean(true), "True"},          {ShellValue::Boolean(false), "False"},
        {ShellValue{}, ""}};
    for (const auto& r : rows) EXPECT_EQ(ToText(r.value), r.text);
    EXPECT_THROW(ToText(ShellValue::NoText()), TrappedError);
}

TEST(FailedCall, NumberAndDescription) {
    const int32_t exc = static_cast<int32_t>(0x80020009u), notFound = static_cast<int32_t>(0x80070002u),
                  notImpl = static_cast<int32_t>(0x80004001u), unknownName = static_cast<int32_t>(0x80020006u),
                  typeMismatch = static_cast<int32_t>(0x80020005u);
    const std::string automation = "オートメーション エラーです。";
    struct Row {
        int32_t hresult, scode;
        uint16_t wCode;
        std::string own;                    // the object's own description
        std::optional<std::string> system;  // the system's text; nullopt: none to ask
        int32_t number;
        std::string description;
        std::vector<int32_t> asked;  // the numbers the system was asked about
    };
    const Row rows[] = {
        {exc, notFound, 0, "", "見つかりません。\r\n", notFound, "見つかりません。", {notFound}},
        {exc, 0, 1001, "Custom failure", "system", 1001, "Custom failure", {}},
        {exc, notImpl, 5, "", "Not implemented.\r\n", notImpl, "Not implemented.", {notImpl}},
        {exc, 0, 0, "", "", exc, automation, {exc}},
        {exc, notFound, 0, "キーが開けません。 \r\n", "system", notFound, "キーが開けません。", {}},
        {exc, notImpl, 0, "\r\n", "Not implemented.\r\n", notImpl, "Not implemented.", {notImpl}},
        {exc, typeMismatch, 0, "", " \r\n", typeMismatch, automation, {typeMismatch}},
        {exc, typeMismatch, 0, "", std::nullopt, typeMismatch, automation, {}},
        {unknownName, notFound, 0, "stale", "Unknown name.\r\n", unknownName, "Unknown name.", {unknownName}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.description);
        std::vector<int32_t> asked;
        SystemText sys;
        if (r.system) sys = [&](int32_t n) { asked.push_back(n); return *r.system; };
        const ErrValue e = MapFailure(CallFailure{r.hresult, r.scode, r.wCode, r.own}, sys);
        EXPECT_EQ(e.number, r.number);
        EXPECT_EQ(e.description, r.description);
        EXPECT_EQ(asked, r.asked);
    }
}

// What the last-resort box says for an exception nobody trapped.
TEST(UnexpectedError, BoxText) {
    const struct { std::exception_ptr e; std::string text; } rows[] = {
        {std::make_exception_ptr(TrappedError(ErrValue{-5, "x"})), "-5:x"},
        {std::make_exception_ptr(std::bad_alloc()), "7:メモリが不足しています。"},
        {std::make_exception_ptr(std::runtime_error("boom")), "51:内部エラーです。 (boom)"},
        {std::make_exception_ptr(42), "51:内部エラーです。"}};
    for (const auto& r : rows) EXPECT_EQ(ErrText(DescribeUnexpected(r.e)), r.text);
}

TEST(Paths, FolderBaseNameAndBackslash) {
    const struct { std::string path, folder, base, withBackslash; } rows[] = {
        {"C:\\Tools\\VantrelV1_0.exe", "C:\\Tools", "VantrelV1_0", "C:\\Tools\\"},
        {"D:\\VantrelV1_0.exe", "D:\\", "VantrelV1_0", "D:\\"},
        {"\\\\srv\\share\\a.b.EXE", "\\\\srv\\share", "a.b", "\\\\srv\\share\\"},
        {"noext", "", "noext", "\\"}};
    for (const auto& r : rows) {
        EXPECT_EQ(FolderOf(r.path), r.folder) << r.path;
        EXPECT_EQ(BaseNameOf(r.path), r.base) << r.path;
        EXPECT_EQ(WithBackslash(r.folder), r.withBackslash) << r.path;
    }
}

TEST(Geometry, TwipsToPixelsAtEachDpi) {
    const struct { int32_t twips, dpi, pixels; } rows[] = {
        {1440, 96, 96}, {1440, 120, 120}, {1440, 144, 144}, {1440, 192, 192}, {15, 96, 1},
        {7, 96, 0},     {8, 96, 1},       {6, 120, 1},
        {30, 120, 3},   {5, 144, 1},      {25, 144, 3},     {3, 192, 0},      {4, 192, 1},
        {1815, 192, 242}};
    for (const auto& r : rows) EXPECT_EQ(TwipsToPixels(r.twips, r.dpi), r.pixels) << r.twips << " at " << r.dpi;
}

// Edges are converted, not sizes: boxes that meet in twips still meet in pixels.
TEST(Geometry, BoxesThatMeetStillMeet) {
    const PixelBox tiny = ToPixels({8, 8, 8, 8}, 96);  // 8 twips are a pixel, 8 to 16 none
    EXPECT_EQ((std::array{tiny.left, tiny.top, tiny.width, tiny.height}), (std::array{1, 1, 0, 0}));
    for (int32_t dpi : {96, 120, 144, 192})
        for (int32_t at = 0; at < 40; ++at)
            for (int32_t size = 1; size < 20; ++size) {
                const PixelBox a = ToPixels({at, at, size, size}, dpi);
                const PixelBox b = ToPixels({at + size, at + size, 5, 5}, dpi);
                ASSERT_TRUE(a.left + a.width == b.left && a.top + a.height == b.top) << at << "+" << size << " at " << dpi;
            }
}

// A dialog of 338 x 215 pixels opens in the middle of the work area of the
// monitor that holds the main window, wherever that monitor lies.
TEST(Geometry, CentredInAWorkArea) {
    const struct { const char* monitor; ScreenBox work; int32_t x, y; } rows[] = {
        {"the primary one, task bar below", {0, 0, 1024, 728}, 343, 256},
        {"right of the primary, task bar on top", {1920, 40, 3840, 1080}, 2711, 452},
        {"left of the primary", {-1280, 0, 0, 1024}, -809, 404},
        {"smaller than the dialog", {100, 50, 400, 250}, 100, 50}};
    for (const auto& r : rows) {
        const Corner at = CentredIn(r.work, 338, 215);
        EXPECT_EQ((std::array{at.x, at.y}), (std::array{r.x, r.y})) << r.monitor;
    }
}

}  // namespace
}  // namespace vantrel
