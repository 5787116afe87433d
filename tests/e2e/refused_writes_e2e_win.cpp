// Writes that the registry really refuses, under Wine. The registry does not
// let a non-volatile key be created below a volatile one
// (ERROR_CHILD_MUST_BE_VOLATILE), and the shell's RegWrite creates the key of
// the value it writes, non-volatile. So the key a write goes to is made
// volatile below a volatile parent, the program reads it at start-up, and the
// key is then removed: the next write must create it, and is refused.
//
// All three zone values live in one key, so only the first zone write (1400)
// can be refused this way; the later ones (CurrentLevel, 1C00) fail only in
// the unit tests, against the fake registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "design_ids.h"
#include "harness_win.h"

namespace {

using namespace e2e;

constexpr long kChildMustBeVolatile = -2147023875;  // HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE)

const wchar_t kVolatileRoot[] = L"Software\\VantrelVolatile";
const wchar_t kVolatileMain[] = L"Software\\VantrelVolatile\\Main";
const wchar_t kImageValue[] = L"Display Inline Images";
const wchar_t kZonesKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones";

void CreateVolatileKey(const std::wstring& key) {
    HKEY h = nullptr;
    const LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                    nullptr, &h, nullptr);
    ASSERT_EQ(rc, ERROR_SUCCESS) << "cannot create the volatile key " << U8(key);
    RegCloseKey(h);
}

void DeleteKey(const std::wstring& key) {
    const LONG rc = RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    ASSERT_TRUE(rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) << "cannot empty " << U8(key);
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    HKEY h = nullptr;
    ASSERT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h), ERROR_SUCCESS)
        << U8(key) << " is still there";
}

// The error text the program must show for a number: the system's own.
std::wstring SystemText(long number) {
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(number), 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    if (!n && HRESULT_FACILITY(number) == FACILITY_WIN32)
        n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, HRESULT_CODE(number), 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::wstring s = n && buf ? std::wstring(buf, n) : std::wstring();
    if (buf) LocalFree(buf);
    while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ')) s.pop_back();
    return s;
}

// Counts the change broadcasts that reach a top-level window of the driver.
int g_broadcasts = 0;
LRESULT CALLBACK CountBroadcasts(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_WININICHANGE && wp == 31) ++g_broadcasts;
    return DefWindowProcW(h, msg, wp, lp);
}

class RefusedWrites : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCase();
        g_broadcasts = 0;
        listener = MakeTopLevelWindow(L"VantrelRefusedWritesListener", CountBroadcasts, L"listener");
    }
    void TearDown() override {
        app.Kill();
        if (listener) DestroyWindow(listener);
        DeleteRegTree(HKEY_CURRENT_USER, kVolatileRoot);
        ResetCase();
    }

    HWND StartMain() {
        if (!app.Start()) return nullptr;
        main = app.WaitWindow(vantrel::kMainWindowClass, vantrel::kMainWindowTitle);
        return main;
    }

    static RegSnapshot Snapshot() {
        RegSnapshot s;
        SnapshotInto(s, HKEY_CURRENT_USER, L"HKCU");
        SnapshotInto(s, HKEY_LOCAL_MACHINE, L"HKLM", L"Software\\Microsoft\\Internet Explorer");
        return s;
    }

    // The "エラー" box of a refused write, with the registry's own reason.
    void ExpectRefusalBox() {
        MsgBox box = WaitMsgBox(app.pid());
        for (int i = 0; i < 40 && box.hwnd && box.icon != MsgBox::Icon::Hand; ++i) {  // until painted
            Sleep(50);
            box = WaitMsgBox(app.pid());
        }
        ASSERT_TRUE(box.hwnd);
        EXPECT_EQ(U8(box.title), u8"エラー") << "a refused write is the write's own box, not the pick's";
        const std::wstring reason = SystemText(kChildMustBeVolatile);
        EXPECT_FALSE(reason.empty());
        EXPECT_EQ(U8(box.text), U8(std::to_wstring(kChildMustBeVolatile) + L":" + reason));
        EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
        EXPECT_EQ(box.buttons.size(), 1u);
        PressOk(box);
        ASSERT_TRUE(WaitUntil("the box to close", [&] { return !IsWindow(box.hwnd); }));
    }

    App app;
    HWND main = nullptr;
    HWND listener = nullptr;
};

TEST_F(RefusedWrites, ARefusedImageWriteShowsItsBoxThenBroadcastsHidesThePanelAndTheProgramGoesOn) {
    CreateVolatileKey(kVolatileRoot);
    CreateVolatileKey(kVolatileMain);
    WriteRegSz(HKEY_CURRENT_USER, kVolatileMain, kImageValue, L"yes");
    WriteRegSz(HKEY_LOCAL_MACHINE, kPictsKey, L"RegPath", kVolatileMain);
    ASSERT_TRUE(StartMain());
    HWND image = Child(main, vantrel::kIdCmbRegImage);
    ASSERT_EQ(ComboSel(image), 0);

    DeleteKey(kVolatileMain);
    const RegSnapshot before = Snapshot();
    PickComboItem(image, 1);
    ExpectRefusalBox();
    // The pick goes on after the box: the notice, then the panel hides.
    ASSERT_TRUE(WaitUntil("the broadcast after the refused write", [] { return g_broadcasts == 1; }));
    ASSERT_TRUE(WaitUntil("the wait panel to hide", [&] { return !IsWindowVisible(Child(main, vantrel::kIdFraWait)); }));
    Sync(main);
    EXPECT_TRUE(NoMsgBox(app.pid())) << "one box only: no \"エラー発生\" after it";
    EXPECT_EQ(ComboSel(image), 1) << "the list keeps the user's pick";
    const auto changes = WithoutWineHousekeeping(DiffRegistry(before, Snapshot()));
    EXPECT_TRUE(changes.empty()) << "a refused write changed:\n" << Describe(changes);

    // Once the key can be written again, so is the next pick.
    CreateVolatileKey(kVolatileMain);
    PickComboItem(image, 0);
    ASSERT_TRUE(WaitUntil("the second pick to be written",
                          [] { return ReadReg(HKEY_CURRENT_USER, kVolatileMain, kImageValue).Str() == L"yes"; }));
    ASSERT_TRUE(WaitUntil("the second broadcast", [] { return g_broadcasts == 2; }));
    EXPECT_EQ(ReadReg(HKEY_CURRENT_USER, kVolatileMain, kImageValue).type, static_cast<DWORD>(REG_SZ));
    Sync(main);
    EXPECT_TRUE(NoMsgBox(app.pid()));

    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(app.WaitExit(kTimeoutMs, &code));
    EXPECT_EQ(code, 0u);
}

// The zone keys are the browser's own; the case swaps the Zones key for a
// volatile one holding only zone 3 and puts the original back afterwards.
class RefusedZoneWrite : public RefusedWrites {
protected:
    void SetUp() override {
        RefusedWrites::SetUp();
        SnapshotInto(savedZones, HKEY_CURRENT_USER, L"HKCU", kZonesKey);
        ASSERT_FALSE(savedZones.keys.empty());
    }
    void TearDown() override {
        app.Kill();
        RestoreZones();
        RefusedWrites::TearDown();
    }

    // Zones and Zones\3 volatile, with the seed values of zone 3.
    void MakeZonesVolatile() {
        DeleteKey(kZonesKey);
        CreateVolatileKey(kZonesKey);
        MakeZone3();
    }
    void MakeZone3() {
        CreateVolatileKey(kZone3Key);
        WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 0);
        WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"CurrentLevel", 0x11500);
        WriteRegRaw(HKEY_CURRENT_USER, kZone3Key, L"1C00", REG_BINARY, {0, 0, 0, 0});
    }

    // Back to the saved keys and values, non-volatile.
    void RestoreZones() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kZonesKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, kZonesKey);
        const std::wstring prefix = L"HKCU\\";
        for (const auto& [lower, path] : savedZones.keys) {
            HKEY h = nullptr;
            const std::wstring key = path.substr(prefix.size());
            if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) ==
                ERROR_SUCCESS)
                RegCloseKey(h);
            else
                ADD_FAILURE() << "cannot restore " << U8(key);
        }
        for (const auto& [lower, entry] : savedZones.values) {
            const std::wstring& path = entry.first;
            const size_t split = path.find(L"\\\\");
            WriteRegRaw(HKEY_CURRENT_USER, path.substr(prefix.size(), split - prefix.size()), path.substr(split + 2),
                        entry.second.type, entry.second.bytes);
        }
        RegSnapshot now;
        SnapshotInto(now, HKEY_CURRENT_USER, L"HKCU", kZonesKey);
        const auto changes = DiffRegistry(savedZones, now);
        EXPECT_TRUE(changes.empty()) << "the Zones key was not restored:\n" << Describe(changes);
    }

    RegSnapshot savedZones;
};

TEST_F(RefusedZoneWrite, ARefusedPolicyWriteWritesNoneOfTheThreeValuesAndTheProgramGoesOn) {
    MakeZonesVolatile();
    ASSERT_TRUE(StartMain());
    HWND script = Child(main, vantrel::kIdCmbRegJS_Switch);
    ASSERT_EQ(ComboSel(script), 2);

    DeleteKey(kZone3Key);
    const RegSnapshot before = Snapshot();
    PickComboItem(script, 1);
    ExpectRefusalBox();
    Sync(main);
    EXPECT_TRUE(NoMsgBox(app.pid())) << "one box only: no \"エラー発生\" after it";
    EXPECT_EQ(ComboSel(script), 1) << "the list keeps the user's pick";
    const auto changes = WithoutWineHousekeeping(DiffRegistry(before, Snapshot()));
    EXPECT_TRUE(changes.empty()) << "a refused policy write still changed:\n" << Describe(changes);
    EXPECT_EQ(g_broadcasts, 0) << "a script pick sends no notice";

    // The zone key back: the next pick writes all three values.
    MakeZone3();
    PickComboItem(script, 0);
    ASSERT_TRUE(WaitUntil("the second pick's 1C00 write", [] {
        return ReadReg(HKEY_CURRENT_USER, kZone3Key, L"1C00").data == std::vector<BYTE>{0, 0, 1, 0};
    }));
    EXPECT_EQ(ReadReg(HKEY_CURRENT_USER, kZone3Key, L"1400").Dword(), 1u);
    EXPECT_EQ(ReadReg(HKEY_CURRENT_USER, kZone3Key, L"CurrentLevel").Dword(), 0u);
    Sync(main);
    EXPECT_TRUE(NoMsgBox(app.pid()));

    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(app.WaitExit(kTimeoutMs, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
