// The core's pure decisions: stored values and list entries both ways, read
// results as text, failed calls as the error the user sees, paths, geometry.
#include "fakes.h"
#include "settings/image_setting.h"
#include "settings/script_setting.h"

namespace vantrel {
namespace {

TEST(Mapping, ImageWordToEntryAndBack) {
    const std::pair<std::string, int> words[] = {
        {"yes", 0}, {"YES", 0}, {"yEs", 0}, {"no", 1},  {"No", 1},  {"NO", 1},      {"yes ", -1},
        {" no", -1}, {"y", -1}, {"1", -1},  {"", -1},   {"はい", -1}, {"ｙｅｓ", -1}, {"non", -1}};
    for (const auto& [stored, index] : words) EXPECT_EQ(image::IndexOfWord(stored), index) << stored;
    const std::pair<int, std::string> back[] = {{0, "yes"}, {1, "no"}, {-1, ""}, {2, ""}};
    for (const auto& [index, word] : back) EXPECT_EQ(image::WordOf(index), word) << index;
}

TEST(Mapping, ScriptPolicyToEntryAndBack) {
    const std::pair<std::string, int> policies[] = {{"1", 0},   {"3", 1},   {"0", 2},  {"01", -1}, {" 1", -1},
                                                    {"3 ", -1}, {"2", -1},  {"", -1},  {"-1", -1}, {"65536", -1}};
    for (const auto& [stored, index] : policies) EXPECT_EQ(script::IndexOfPolicy(stored), index) << stored;
    const std::pair<int, int> back[] = {{0, 1}, {1, 3}, {2, 0}, {-1, 0}, {3, 0}};
    for (const auto& [index, policy] : back) EXPECT_EQ(script::PolicyOf(index), policy) << index;
}

// Refilled from scratch: the entries in order, the stored value's entry or none, the enabled state given.
TEST(ListFill, EntriesSelectionAndEnabledState) {
    const std::vector<std::string> images = {"はい", "いいえ"};
    const std::vector<std::string> scripts = {"ダイアログを表示", "無効にする", "有効にする"};
    const std::tuple<bool, std::string, bool, std::string> rows[] = {  // image list?, stored, enabled, selected
                        {true, "YES", true, "はい"},         {true, "no", false, "いいえ"},
                        {true, "maybe", true, ""},           {false, "1", true, "ダイアログを表示"},
                        {false, "3", false, "無効にする"},   {false, "0", true, "有効にする"},
                        {false, "2", true, ""}};
    for (const auto& [image, stored, enabled, selected] : rows) {
        SCOPED_TRACE(stored);
        fake::Log log;
        fake::ComboBox cmb(log, "cmb");
        cmb.items = {"stale"};
        cmb.index = 0;
        cmb.enabled = !enabled;
        if (image) image::SetCmbRegImage(cmb, enabled, stored);
        else script::SetCmbRegJS_Switch(cmb, enabled, stored);
        EXPECT_EQ(cmb.items, image ? images : scripts);
        EXPECT_EQ(cmb.Text(), selected);
        EXPECT_EQ(cmb.enabled, enabled);
    }
}

TEST(ReadResult, AsText) {
    const std::pair<ShellValue, std::string> rows[] = {
        {ShellValue::Text(" Yes \r\n"), " Yes \r\n"}, {ShellValue::Text("はい"), "はい"},
        {ShellValue::Integer(0), "0"},                {ShellValue::Integer(71936), "71936"},
        {ShellValue::Integer(-1), "-1"},              {ShellValue::Integer(4294967295LL), "4294967295"},
        {ShellValue::Boolean(true), "True"},          {ShellValue::Boolean(false), "False"},
        {ShellValue{}, ""}};
    for (const auto& [value, text] : rows) EXPECT_EQ(ToText(value), text);
}

TEST(FailedCall, NumberAndDescription) {
    const int32_t exc = static_cast<int32_t>(0x80020009u), notFound = static_cast<int32_t>(0x80070002u),
                  notImpl = static_cast<int32_t>(0x80004001u), unknownName = static_cast<int32_t>(0x80020006u),
                  typeMismatch = static_cast<int32_t>(0x80020005u);
    const std::string automation = "オートメーション エラーです。";
    struct Row {  // the failure; the system's text (nullopt: none to ask); the result; the numbers asked
        int32_t hresult, scode;
        uint16_t wCode;
        std::string own;
        std::optional<std::string> system;
        int32_t number;
        std::string description;
        std::vector<int32_t> asked;
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
    const std::pair<std::exception_ptr, std::string> rows[] = {
        {std::make_exception_ptr(TrappedError(ErrValue{-5, "x"})), "-5:x"},
        {std::make_exception_ptr(std::bad_alloc()), "7:メモリが不足しています。"},
        {std::make_exception_ptr(std::runtime_error("boom")), "51:内部エラーです。 (boom)"},
        {std::make_exception_ptr(42), "51:内部エラーです。"}};
    for (const auto& [e, text] : rows) EXPECT_EQ(ErrText(DescribeUnexpected(e)), text);
}

TEST(Paths, FolderBaseNameAndBackslash) {
    const std::array<std::string, 4> rows[] = {  // path, folder, base name, folder with backslash
        {"C:\\Tools\\VantrelV1_0.exe", "C:\\Tools", "VantrelV1_0", "C:\\Tools\\"},
        {"D:\\VantrelV1_0.exe", "D:\\", "VantrelV1_0", "D:\\"},
        {"\\\\srv\\share\\a.b.EXE", "\\\\srv\\share", "a.b", "\\\\srv\\share\\"},
        {"noext", "", "noext", "\\"}};
    for (const auto& [path, folder, base, withBackslash] : rows) {
        EXPECT_EQ(FolderOf(path), folder) << path;
        EXPECT_EQ(BaseNameOf(path), base) << path;
        EXPECT_EQ(WithBackslash(folder), withBackslash) << path;
    }
}

TEST(Geometry, TwipsToPixelsAtEachDpi) {
    const int32_t rows[][3] = {
        {1440, 96, 96}, {1440, 120, 120}, {1440, 144, 144}, {1440, 192, 192}, {15, 96, 1},
        {7, 96, 0},     {8, 96, 1},       {-113, 96, -8},   {6, 120, 1},      {-6, 120, -1},
        {30, 120, 3},   {5, 144, 1},      {25, 144, 3},     {3, 192, 0},      {4, 192, 1},
        {1815, 192, 242}};
    for (const auto& r : rows) EXPECT_EQ(TwipsToPixels(r[0], r[1]), r[2]) << r[0] << " at " << r[1];

    // Edges are converted, not sizes: 8 twips at 96 DPI are a pixel, 8 to 16 twips are none.
    const std::tuple<Box, int32_t, std::array<int32_t, 4>> boxes[] = {{{8, 8, 8, 8}, 96, {1, 1, 0, 0}},
                                                                      {{1320, 310, 1815, 300}, 144, {132, 31, 182, 30}}};
    for (const auto& [box, dpi, px] : boxes) {
        const PixelBox p = ToPixels(box, dpi);
        EXPECT_EQ((std::array{p.left, p.top, p.width, p.height}), px) << dpi;
    }
    // Boxes that meet in twips still meet in pixels, at every DPI.
    for (int32_t dpi : {96, 120, 144, 192})
        for (int32_t at = 0; at < 40; ++at)
            for (int32_t size = 1; size < 20; ++size) {
                const PixelBox a = ToPixels({at, at, size, size}, dpi);
                const PixelBox b = ToPixels({at + size, at + size, 5, 5}, dpi);
                ASSERT_TRUE(a.left + a.width == b.left && a.top + a.height == b.top) << at << "+" << size << " at " << dpi;
            }
}

}  // namespace
}  // namespace vantrel
