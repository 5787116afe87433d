// The registry guard: the whole registry of the test prefix (HKCU and HKLM) is
// compared before and after a run. A start-up and close changes nothing; a
// full session changes exactly the four browser values a user can pick, each
// with its type, and nothing else anywhere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "design_ids.h"
#include "harness_win.h"

namespace {

using namespace e2e;

const RegChange* Find(const std::vector<RegChange>& changes, const std::wstring& path) {
    std::wstring want = path;
    CharLowerBuffW(&want[0], static_cast<DWORD>(want.size()));
    for (const auto& c : changes) {
        std::wstring p = c.path;
        CharLowerBuffW(&p[0], static_cast<DWORD>(p.size()));
        if (p == want) return &c;
    }
    return nullptr;
}

std::vector<BYTE> Utf16z(const std::wstring& s) {
    const BYTE* p = reinterpret_cast<const BYTE*>(s.c_str());
    return std::vector<BYTE>(p, p + (s.size() + 1) * sizeof(wchar_t));
}

std::vector<BYTE> Dword(DWORD v) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&v);
    return std::vector<BYTE>(p, p + sizeof v);
}

class RegistryGuard : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCase();
        // After the seed values are written: they are the state a user has.
        before = SnapshotRegistry();
    }
    void TearDown() override { ResetCase(); }

    HWND StartMain() {
        if (!app.Start()) return nullptr;
        main = app.WaitWindow(vantrel::kMainWindowClass, vantrel::kMainWindowTitle);
        return main;
    }

    // Closes the main window as the title bar's close button does and waits
    // for a clean end.
    void CloseMain() {
        PostMessageW(main, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(app.WaitExit(kTimeoutMs, &code));
        EXPECT_EQ(code, 0u);
    }

    // Picks an entry and waits until `landed` holds in the registry.
    template <class F>
    void PickAndWait(HWND list, int index, const char* what, F landed) {
        PickComboItem(list, index);
        ASSERT_TRUE(WaitUntil(what, landed));
        ASSERT_TRUE(WaitUntil("the wait panel to hide",
                              [&] { return !IsWindowVisible(Child(main, vantrel::kIdFraWait)); }));
        Sync(main);
    }

    RegSnapshot before;
    App app;
    HWND main = nullptr;
};

TEST_F(RegistryGuard, StartAndCloseWithoutAPickChangesNothingAtAll) {
    ASSERT_TRUE(StartMain());
    CloseMain();
    const auto changes = DiffRegistry(before, SnapshotRegistry());
    EXPECT_TRUE(changes.empty()) << changes.size() << " registry difference(s):\n" << Describe(changes);
}

TEST_F(RegistryGuard, AFullSessionChangesOnlyTheFourBrowserValuesWithTheirTypes) {
    ASSERT_TRUE(StartMain());
    HWND image = Child(main, vantrel::kIdCmbRegImage);
    HWND script = Child(main, vantrel::kIdCmbRegJS_Switch);
    auto imageIs = [](const wchar_t* word) {
        return [word] { return ReadReg(HKEY_CURRENT_USER, kMainKey, L"Display Inline Images").Str() == word; };
    };
    auto policyIs = [](DWORD n) {
        return [n] {
            const RegVal v = ReadReg(HKEY_CURRENT_USER, kZone3Key, L"1400");
            return v.type == REG_DWORD && v.Dword() == n;
        };
    };
    // Every entry of both lists, ending on values that differ from the seed
    // (images on, policy 0), so that each written value shows in the diff.
    PickAndWait(image, 0, "はい to be written", imageIs(L"yes"));
    PickAndWait(image, 1, "いいえ to be written", imageIs(L"no"));
    PickAndWait(script, 2, "有効にする (0) to be written", policyIs(0));
    PickAndWait(script, 0, "ダイアログを表示 (1) to be written", policyIs(1));
    PickAndWait(script, 1, "無効にする (3) to be written", policyIs(3));
    ASSERT_TRUE(WaitUntil("1C00 to be written", [] {
        return ReadReg(HKEY_CURRENT_USER, kZone3Key, L"1C00").data == std::vector<BYTE>{0, 0, 1, 0};
    }));

    // The settings dialog, opened and cancelled.
    ASSERT_TRUE(OpenMainMenuItem(main, 1));
    namespace sid = vantrel::setting_ids;
    HWND setting = app.WaitWindow(sid::kClassNameW, sid::kCaptionW);
    ASSERT_TRUE(setting);
    ClickButton(setting, sid::kCmdCancel);
    ASSERT_TRUE(WaitUntil("環境設定 to close", [&] { return !IsWindow(setting); }));

    // The about box, opened and closed with its OK button.
    ASSERT_TRUE(OpenMainMenuItem(main, 3));
    HWND about = app.WaitWindow(vantrel::ver::kClassName, W(vantrel::ver::kCaption).c_str());
    ASSERT_TRUE(about);
    ClickButton(about, vantrel::ver::kIdCmdOk);
    ASSERT_TRUE(WaitUntil("バージョン情報 to close", [&] { return !IsWindow(about); }));

    EXPECT_TRUE(NoMsgBox(app.pid()));
    CloseMain();

    auto changes = WithoutWineHousekeeping(DiffRegistry(before, SnapshotRegistry()));
    const std::wstring zone = std::wstring(L"HKCU\\") + kZone3Key + L"\\\\";
    const std::wstring imagePath = std::wstring(L"HKCU\\") + kMainKey + L"\\\\Display Inline Images";
    struct Expected {
        std::wstring path;
        RegData now;
    } const expected[] = {
        {imagePath, {REG_SZ, Utf16z(L"no")}},
        {zone + L"1400", {REG_DWORD, Dword(3)}},
        {zone + L"CurrentLevel", {REG_DWORD, Dword(0)}},
        {zone + L"1C00", {REG_BINARY, {0, 0, 1, 0}}},
    };
    for (const auto& e : expected) {
        const RegChange* c = Find(changes, e.path);
        ASSERT_TRUE(c) << "not changed: " << U8(e.path) << "\nall changes:\n" << Describe(changes);
        EXPECT_TRUE(c->before && c->after) << "replaced in place, not created or deleted: " << Describe({*c});
        EXPECT_EQ(TypeName(c->now.type), TypeName(e.now.type)) << U8(e.path);
        EXPECT_EQ(c->now.bytes, e.now.bytes) << U8(e.path) << ": " << Describe({*c});
    }
    EXPECT_EQ(changes.size(), 4u) << "registry differences beyond the four values:\n" << Describe(changes);
}

}  // namespace
