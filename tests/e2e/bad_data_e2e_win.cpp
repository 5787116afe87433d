// Odd data that other tools may have left in the five values start-up reads:
// every value type, empty and huge data, non-ASCII text, and odd key paths.
// Each case ends in exactly one of two ways: the "エラー" box with the error's
// number and description and a clean end before the main window ever shows,
// or the main window with the entry the stored text names (or none). Never a
// crash, never a hang (every wait is bounded), never a write.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "design_ids.h"
#include "harness_win.h"

namespace {

using namespace e2e;

enum class Value { Policy, Checked, Unchecked, RegPath, Switch };

const wchar_t* NameOf(Value v) {
    switch (v) {
    case Value::Policy: return L"1400";
    case Value::Checked: return L"CheckedValue";
    case Value::Unchecked: return L"UncheckedValue";
    case Value::RegPath: return L"RegPath";
    case Value::Switch: return L"Display Inline Images";
    }
    return L"";
}
HKEY RootOf(Value v) {
    return v == Value::Policy || v == Value::Switch ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}
const wchar_t* KeyOf(Value v) {
    return v == Value::Policy ? kZone3Key : v == Value::Switch ? kMainKey : kPictsKey;
}

// Keys that some cases point RegPath at; removed after every case.
const wchar_t kOtherKey[] = L"Software\\VantrelBadData\\Main";
const wchar_t kOtherRoot[] = L"Software\\VantrelBadData";
const wchar_t* const kJapaneseKey = L"Software\\\x30F4\x30A1\x30F3\x30C8\x30EC\x30EB\x8A66\x9A13";  // ヴァントレル試験

// Environment variables that the REG_EXPAND_SZ cases name; the program
// inherits them from the driver, and the shell expands them in its process.
const wchar_t kEnvWord[] = L"VANTREL_E2E_WORD";    // "No"
const wchar_t kEnvThree[] = L"VANTREL_E2E_THREE";  // "3"
const wchar_t kEnvKey[] = L"VANTREL_E2E_KEY";      // kOtherKey

std::vector<BYTE> Sz(const std::wstring& s) {
    const BYTE* p = reinterpret_cast<const BYTE*>(s.c_str());
    return std::vector<BYTE>(p, p + (s.size() + 1) * sizeof(wchar_t));
}
std::vector<BYTE> MultiSz() { return Sz(std::wstring(L"yes\0no\0", 7)); }
std::vector<BYTE> Dw(DWORD v) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&v);
    return std::vector<BYTE>(p, p + sizeof v);
}
std::vector<BYTE> Qw(unsigned long long v) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&v);
    return std::vector<BYTE>(p, p + sizeof v);
}
std::wstring Huge(const std::wstring& head, wchar_t fill) {
    std::wstring s = head;
    s.resize(65536, fill);  // 64 Ki characters
    return s;
}

// What the system says for an error number: the description the program must
// show after the number and the colon.
std::wstring SystemText(long number) {
    auto lookup = [](DWORD id) {
        wchar_t* buf = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, id, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
        std::wstring s = n && buf ? std::wstring(buf, n) : std::wstring();
        if (buf) LocalFree(buf);
        while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ')) s.pop_back();
        return s;
    };
    const HRESULT hr = static_cast<HRESULT>(number);
    std::wstring s = lookup(static_cast<DWORD>(hr));
    if (s.empty() && HRESULT_FACILITY(hr) == FACILITY_WIN32) s = lookup(HRESULT_CODE(hr));
    return s;
}

constexpr long kTypeMismatch = 13;                // a read result with no text form
constexpr long kEFail = -2147467259;              // 0x80004005: REG_QWORD, REG_NONE
constexpr long kNotFound = -2147024894;           // 0x80070002: key or value missing
// What Wine's registry answers for the two malformed switch paths: a key name
// longer than the registry allows, and an empty key name between two
// backslashes. A failed read all the same: the box, then the end.
constexpr long kInvalidArg = -2147024809;         // 0x80070057
constexpr long kBadPathname = -2147024735;        // 0x800700A1

struct BadCase {
    std::string name;
    Value value;
    DWORD type;
    std::vector<BYTE> data;
    // The outcome: an error box (number != 0), or the main window with these
    // entries preselected (-1: none).
    long number = 0;
    int imageSel = 0;   // seed: "yes"
    int scriptSel = 2;  // seed: 0
};

// Test names say it all; the data may be 128 KiB.
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

BadCase Box(std::string name, Value v, DWORD type, std::vector<BYTE> data, long number) {
    BadCase c{std::move(name), v, type, std::move(data)};
    c.number = number;
    return c;
}
BadCase Shown(std::string name, Value v, DWORD type, std::vector<BYTE> data, int imageSel = 0, int scriptSel = 2) {
    BadCase c{std::move(name), v, type, std::move(data)};
    c.imageSel = imageSel;
    c.scriptSel = scriptSel;
    return c;
}

std::vector<BadCase> Cases() {
    const std::vector<BYTE> bytes{1, 0, 0, 0}, none;
    std::vector<BadCase> c;
    // Every type, for each of the five values.
    for (Value v : {Value::Policy, Value::Checked, Value::Unchecked, Value::RegPath, Value::Switch}) {
        const std::string n = v == Value::Policy      ? "Policy"
                              : v == Value::Checked   ? "Checked"
                              : v == Value::Unchecked ? "Unchecked"
                              : v == Value::RegPath   ? "RegPath"
                                                      : "Switch";
        auto name = [&](const char* what) { return n + what; };
        c.push_back(Box(name("MultiSz"), v, REG_MULTI_SZ, MultiSz(), kTypeMismatch));
        c.push_back(Box(name("Binary"), v, REG_BINARY, bytes, kTypeMismatch));
        c.push_back(Box(name("EmptyBinary"), v, REG_BINARY, none, kTypeMismatch));
        c.push_back(Box(name("Qword"), v, REG_QWORD, Qw(1), kEFail));
        c.push_back(Box(name("None"), v, REG_NONE, Sz(L"yes"), kEFail));
        c.push_back(Box(name("EmptyNone"), v, REG_NONE, none, kEFail));
    }
    // Types with a text form: the text decides.
    const std::wstring expandWord = std::wstring(L"%") + kEnvWord + L"%";
    c.push_back(Shown("PolicySzOne", Value::Policy, REG_SZ, Sz(L"1"), 0, 0));
    c.push_back(Shown("PolicyExpandSz", Value::Policy, REG_EXPAND_SZ, Sz(std::wstring(L"%") + kEnvThree + L"%"), 0, 1));
    c.push_back(Shown("PolicyDwordAllOnes", Value::Policy, REG_DWORD, Dw(0xFFFFFFFF), 0, -1));
    c.push_back(Shown("PolicyHugeString", Value::Policy, REG_SZ, Sz(Huge(L"1", L'1')), 0, -1));
    c.push_back(Shown("PolicyFullWidthDigit", Value::Policy, REG_SZ, Sz(L"\xFF13"), 0, -1));  // ３
    c.push_back(Shown("PolicyEmpty", Value::Policy, REG_SZ, Sz(L""), 0, -1));
    for (Value v : {Value::Checked, Value::Unchecked}) {
        const bool checked = v == Value::Checked;
        c.push_back(Shown(checked ? "CheckedSzOtherWord" : "UncheckedSzOtherWord", v, REG_SZ, Sz(L"on")));
        c.push_back(Shown(checked ? "CheckedExpandSz" : "UncheckedExpandSz", v, REG_EXPAND_SZ, Sz(expandWord)));
        c.push_back(Shown(checked ? "CheckedDword" : "UncheckedDword", v, REG_DWORD, Dw(1)));
        c.push_back(Shown(checked ? "CheckedHugeString" : "UncheckedHugeString", v, REG_SZ, Sz(Huge(L"", L'x'))));
        c.push_back(Shown(checked ? "CheckedJapanese" : "UncheckedJapanese", v, REG_SZ, Sz(L"\x306F\x3044")));  // はい
        c.push_back(Shown(checked ? "CheckedEmpty" : "UncheckedEmpty", v, REG_SZ, Sz(L"")));
    }
    c.push_back(Shown("SwitchSzMixedCase", Value::Switch, REG_SZ, Sz(L"No"), 1));
    c.push_back(Shown("SwitchExpandSz", Value::Switch, REG_EXPAND_SZ, Sz(expandWord), 1));
    c.push_back(Shown("SwitchDword", Value::Switch, REG_DWORD, Dw(1), -1));
    c.push_back(Shown("SwitchHugeString", Value::Switch, REG_SZ, Sz(Huge(L"yes", L' ')), -1));
    c.push_back(Shown("SwitchJapaneseYes", Value::Switch, REG_SZ, Sz(L"\x306F\x3044"), -1));       // はい
    c.push_back(Shown("SwitchFullWidthYes", Value::Switch, REG_SZ, Sz(L"\xFF59\xFF45\xFF53"), -1));  // ｙｅｓ
    c.push_back(Shown("SwitchEmpty", Value::Switch, REG_SZ, Sz(L""), -1));
    // RegPath: the key the switch is read from (kOtherKey holds "no").
    c.push_back(Shown("RegPathSzOtherKey", Value::RegPath, REG_SZ, Sz(kOtherKey), 1));
    c.push_back(Shown("RegPathExpandSz", Value::RegPath, REG_EXPAND_SZ, Sz(std::wstring(L"%") + kEnvKey + L"%"), 1));
    c.push_back(Shown("RegPathJapaneseKey", Value::RegPath, REG_SZ, Sz(kJapaneseKey), 1));
    c.push_back(Box("RegPathDword", Value::RegPath, REG_DWORD, Dw(7), kNotFound));
    c.push_back(Box("RegPathHugeString", Value::RegPath, REG_SZ, Sz(Huge(L"Software\\", L'K')), kInvalidArg));
    // "HKCU\\Display Inline Images": passed on unchanged, refused by the shell.
    c.push_back(Box("RegPathEmpty", Value::RegPath, REG_SZ, Sz(L""), kBadPathname));
    // The shell tolerates the doubled backslash after the key.
    c.push_back(Shown("RegPathTrailingBackslash", Value::RegPath, REG_SZ, Sz(std::wstring(kMainKey) + L"\\"), 0));
    c.push_back(Box("RegPathMissingKey", Value::RegPath, REG_SZ, Sz(L"Software\\VantrelNoSuchKey\\Main"), kNotFound));
    return c;
}

// The box's icon is read from the screen; a box that has not finished
// painting reads as no known icon. Read it again until it settles.
MsgBox WaitPaintedBox(DWORD pid) {
    MsgBox box = WaitMsgBox(pid);
    for (int i = 0; i < 40 && box.hwnd && box.icon != MsgBox::Icon::Hand; ++i) {
        Sleep(50);
        box = WaitMsgBox(pid);
    }
    return box;
}

class BadData : public ::testing::TestWithParam<BadCase> {
protected:
    void SetUp() override {
        ResetCase();
        SetEnvironmentVariableW(kEnvWord, L"No");
        SetEnvironmentVariableW(kEnvThree, L"3");
        SetEnvironmentVariableW(kEnvKey, kOtherKey);
        WriteRegSz(HKEY_CURRENT_USER, kOtherKey, L"Display Inline Images", L"no");
        WriteRegSz(HKEY_CURRENT_USER, kJapaneseKey, L"Display Inline Images", L"no");
        const BadCase& c = GetParam();
        WriteRegRaw(RootOf(c.value), KeyOf(c.value), NameOf(c.value), c.type, c.data);
        ASSERT_EQ(ReadReg(RootOf(c.value), KeyOf(c.value), NameOf(c.value)).type, c.type);
        before = Snapshot();
    }
    void TearDown() override {
        DeleteRegTree(HKEY_CURRENT_USER, kOtherRoot);
        DeleteRegTree(HKEY_CURRENT_USER, kJapaneseKey);
        ResetCase();
    }

    // Every key the program could reach: the user's whole hive, and the
    // browser's machine-wide description.
    static RegSnapshot Snapshot() {
        RegSnapshot s;
        SnapshotInto(s, HKEY_CURRENT_USER, L"HKCU");
        SnapshotInto(s, HKEY_LOCAL_MACHINE, L"HKLM", L"Software\\Microsoft\\Internet Explorer");
        return s;
    }

    RegSnapshot before;
    App app;
};

TEST_P(BadData, EndsInTheSpecifiedOutcomeWithoutCrashHangOrWrite) {
    const BadCase& c = GetParam();
    ASSERT_TRUE(app.Start());
    DWORD code = 1;
    if (c.number != 0) {
        const MsgBox box = WaitPaintedBox(app.pid());
        ASSERT_TRUE(box.hwnd) << "no error box";
        EXPECT_EQ(U8(box.title), u8"エラー");
        const std::wstring description = c.number == kTypeMismatch ? W(u8"型が一致しません。") : SystemText(c.number);
        EXPECT_FALSE(description.empty());
        EXPECT_EQ(U8(box.text), U8(std::to_wstring(c.number) + L":" + description));
        EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
        EXPECT_EQ(box.buttons.size(), 1u);
        EXPECT_TRUE(TopWindows(app.pid(), vantrel::kMainWindowClass, nullptr).empty())
            << "the main window showed before the error box";
        PressOk(box);
        // Until the process is gone, the main window must never appear.
        bool shown = false;
        WaitUntil("the program to end after OK", [&] {
            shown = shown || !TopWindows(app.pid(), vantrel::kMainWindowClass, nullptr).empty();
            return !app.Running();
        });
        EXPECT_FALSE(shown) << "the main window showed after the error box";
        ASSERT_TRUE(app.WaitExit(kTimeoutMs, &code));
    } else {
        HWND main = app.WaitWindow(vantrel::kMainWindowClass, vantrel::kMainWindowTitle);
        ASSERT_TRUE(main);
        HWND image = Child(main, vantrel::kIdCmbRegImage), script = Child(main, vantrel::kIdCmbRegJS_Switch);
        EXPECT_EQ(ComboSel(image), c.imageSel);
        EXPECT_EQ(ComboSel(script), c.scriptSel);
        EXPECT_TRUE(IsWindowEnabled(image));
        EXPECT_TRUE(IsWindowEnabled(script));
        EXPECT_TRUE(NoMsgBox(app.pid()));
        PostMessageW(main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(app.WaitExit(kTimeoutMs, &code));
    }
    EXPECT_EQ(code, 0u) << "the program crashed or was ended";
    const auto changes = DiffRegistry(before, Snapshot());
    EXPECT_TRUE(changes.empty()) << "written:\n" << Describe(changes);
}

INSTANTIATE_TEST_SUITE_P(EachValue, BadData, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<BadCase>& info) { return info.param.name; });

}  // namespace
