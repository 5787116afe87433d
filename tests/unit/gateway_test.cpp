// The gateway's portable rules: how a read result becomes text, how a failed
// late-bound call becomes the error the user sees, and design twips to pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/errors.h"
#include "platform/gateway.h"

namespace vantrel {
namespace {

// ---- read results as text ---------------------------------------------------

TEST(ReadResultAsText, TextComesBackUnchanged) {
    EXPECT_EQ(ToText(ShellValue::Text("yes")), "yes");
    EXPECT_EQ(ToText(ShellValue::Text(" Yes \r\n")), " Yes \r\n");
    EXPECT_EQ(ToText(ShellValue::Text("はい")), "はい");
    EXPECT_EQ(ToText(ShellValue::Text("")), "");
}

TEST(ReadResultAsText, NumbersBecomeTheirDecimalDigits) {
    EXPECT_EQ(ToText(ShellValue::Integer(0)), "0");
    EXPECT_EQ(ToText(ShellValue::Integer(3)), "3");
    EXPECT_EQ(ToText(ShellValue::Integer(71936)), "71936");  // 0x11900
    EXPECT_EQ(ToText(ShellValue::Integer(-1)), "-1");
    EXPECT_EQ(ToText(ShellValue::Integer(-2147483647 - 1)), "-2147483648");
    EXPECT_EQ(ToText(ShellValue::Integer(4294967295LL)), "4294967295");  // a VT_UI4 at its top
}

TEST(ReadResultAsText, NothingIsTheEmptyTextAndBooleansAreWords) {
    EXPECT_EQ(ToText(ShellValue{}), "");
    EXPECT_EQ(ToText(ShellValue::Boolean(true)), "True");
    EXPECT_EQ(ToText(ShellValue::Boolean(false)), "False");
}

TEST(ReadResultAsText, AValueWithNoTextFormRaisesTypeMismatch) {
    try {
        ToText(ShellValue::NoText());
        FAIL() << "an array read back must not turn into text";
    } catch (const TrappedError& e) {
        EXPECT_EQ(e.Number(), 13);
        EXPECT_FALSE(e.Value().description.empty());
        EXPECT_EQ(ErrText(e.Value()), "13:" + e.Value().description);
    }
}

// ---- failed calls as error values ---------------------------------------------

// A system message table for the tests: records what it was asked.
struct FakeSystem {
    std::vector<int32_t> asked;
    std::string answer;
    SystemText fn() {
        return [this](int32_t n) { asked.push_back(n); return answer; };
    }
};

constexpr int32_t kFileNotFound = static_cast<int32_t>(0x80070002u);  // -2147024894
constexpr int32_t kNotImpl = static_cast<int32_t>(0x80004001u);
constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006u);

TEST(FailedCallError, AnExceptionReportsItsScodeAndTheSystemTextForIt) {
    FakeSystem sys;
    sys.answer = "指定されたファイルが見つかりません。\r\n";
    CallFailure f;
    f.hresult = kDispEException;
    f.scode = kFileNotFound;
    const ErrValue e = MapFailure(f, sys.fn());
    EXPECT_EQ(e.number, -2147024894);
    EXPECT_EQ(e.description, "指定されたファイルが見つかりません。");  // line break gone
    EXPECT_EQ(sys.asked, std::vector<int32_t>{kFileNotFound});       // asked for the scode, not 0x80020009
    EXPECT_EQ(ErrText(e), "-2147024894:指定されたファイルが見つかりません。");
}

TEST(FailedCallError, AnExceptionWithoutScodeReportsItsWCode) {
    FakeSystem sys;
    CallFailure f;
    f.hresult = kDispEException;
    f.wCode = 1001;
    f.description = "Custom failure";
    const ErrValue e = MapFailure(f, sys.fn());
    EXPECT_EQ(e.number, 1001);
    EXPECT_EQ(e.description, "Custom failure");
    EXPECT_TRUE(sys.asked.empty()) << "the object's own text wins over the system's";
}

TEST(FailedCallError, TheScodeWinsOverTheWCode) {
    CallFailure f;
    f.hresult = kDispEException;
    f.scode = kNotImpl;
    f.wCode = 5;
    EXPECT_EQ(MapFailure(f, nullptr).number, kNotImpl);
}

TEST(FailedCallError, AnExceptionWithNeitherCodeKeepsTheExceptionNumber) {
    CallFailure f;
    f.hresult = kDispEException;
    EXPECT_EQ(MapFailure(f, nullptr).number, -2147352567);
}

TEST(FailedCallError, TheObjectsOwnDescriptionIsUsedTrimmed) {
    FakeSystem sys;
    sys.answer = "system text";
    CallFailure f;
    f.hresult = kDispEException;
    f.scode = kFileNotFound;
    f.description = "レジストリ キーが開けません。 \r\n";
    EXPECT_EQ(MapFailure(f, sys.fn()).description, "レジストリ キーが開けません。");
}

TEST(FailedCallError, ABlankDescriptionFallsBackToTheSystemText) {
    FakeSystem sys;
    sys.answer = "Not implemented.\r\n";
    CallFailure f;
    f.hresult = kDispEException;
    f.scode = kNotImpl;
    f.description = "\r\n";
    const ErrValue e = MapFailure(f, sys.fn());
    EXPECT_EQ(e.number, -2147467263);
    EXPECT_EQ(e.description, "Not implemented.");
}

TEST(FailedCallError, NoTextAnywhereGivesOurOwnDescription) {
    FakeSystem sys;  // knows nothing
    CallFailure f;
    f.hresult = kDispEException;
    f.scode = static_cast<int32_t>(0x80020005u);  // DISP_E_TYPEMISMATCH: no system text under Wine
    ErrValue e = MapFailure(f, sys.fn());
    EXPECT_EQ(e.number, -2147352571);
    EXPECT_EQ(e.description, kAutomationErrorText);

    sys.answer = " \r\n";  // a text of blanks only is no text either
    EXPECT_EQ(MapFailure(f, sys.fn()).description, kAutomationErrorText);
    EXPECT_EQ(MapFailure(f, nullptr).description, kAutomationErrorText);
}

TEST(FailedCallError, APlainFailureReportsTheHResultAndIgnoresTheExceptionFields) {
    FakeSystem sys;
    sys.answer = "Unknown name.\r\n";
    CallFailure f;
    f.hresult = kUnknownName;  // GetIDsOfNames refusing a member name
    f.scode = kFileNotFound;   // left over, must not be read
    f.description = "stale";
    const ErrValue e = MapFailure(f, sys.fn());
    EXPECT_EQ(e.number, -2147352570);
    EXPECT_EQ(e.description, "Unknown name.");
    EXPECT_EQ(sys.asked, std::vector<int32_t>{kUnknownName});
}

TEST(FailedCallError, TrimmingRemovesOnlyTheTrailingBreakAndBlanks) {
    EXPECT_EQ(TrimMessage("File not found.\r\n"), "File not found.");
    EXPECT_EQ(TrimMessage("a\r\nb \t\r\n\r\n"), "a\r\nb");
    EXPECT_EQ(TrimMessage("  leading kept"), "  leading kept");
    EXPECT_EQ(TrimMessage("\r\n"), "");
    EXPECT_EQ(TrimMessage(""), "");
}

// ---- design twips to pixels ------------------------------------------------------

TEST(TwipsToPixels, FifteenTwipsArePixelAt96Dpi) {
    EXPECT_EQ(TwipsToPixels(0, 96), 0);
    EXPECT_EQ(TwipsToPixels(15, 96), 1);
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(4800, 96), 320);
}

TEST(TwipsToPixels, RoundsToNearestAtOtherDpis) {
    EXPECT_EQ(TwipsToPixels(1440, 120), 120);
    EXPECT_EQ(TwipsToPixels(100, 96), 7);    // 6.67
    EXPECT_EQ(TwipsToPixels(105, 96), 7);    // 7.0
    EXPECT_EQ(TwipsToPixels(112, 96), 7);    // 7.47
    EXPECT_EQ(TwipsToPixels(113, 96), 8);    // 7.53
    EXPECT_EQ(TwipsToPixels(100, 144), 10);  // exactly 10
    EXPECT_EQ(TwipsToPixels(-15, 96), -1);
    EXPECT_EQ(TwipsToPixels(-113, 96), -8);  // symmetric about zero
}

}  // namespace
}  // namespace vantrel
