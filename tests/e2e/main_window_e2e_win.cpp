// The main window as a user meets it: start-up from the real registry, picks
// in both lists with what lands in the registry and the change broadcast
// another window receives, the wait panel on screen, the single instance,
// the fixed size.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/frmMain_design.h"
#include "harness_win.h"

namespace {

using namespace e2e;
namespace ids = vantrel::main_design;

// What a top-level window of the driver saw of the change broadcasts, and of
// the program's window at the moment the first one arrived: the program is
// blocked in that very broadcast, so the screen shows what the user sees
// while the pick is written.
struct Seen {
    int count = 0;
    bool emptyText = false;
    std::wstring imageValueThen;
    bool panelOverList = false;
    int inkInPanel = 0, inkInLabel = 0;
};
Seen g_seen;
HWND g_main = nullptr;

LRESULT CALLBACK ListenerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_WININICHANGE || wp != 31) return DefWindowProcW(h, msg, wp, lp);
    if (g_seen.count++ == 0) {
        g_seen.emptyText = lp && *reinterpret_cast<const wchar_t*>(lp) == L'\0';
        g_seen.imageValueThen = ReadReg(HKEY_CURRENT_USER, kMainKey, kImageValue).Str();
        const RECT p = ScreenRect(Child(g_main, ids::kFraWait)), l = ScreenRect(Child(g_main, ids::kCmbRegImage));
        g_seen.panelOverList = IsWindowVisible(Child(g_main, ids::kFraWait)) && p.left <= l.left &&
                               p.top <= l.top && p.right >= l.right && p.bottom >= l.bottom;
        g_seen.inkInPanel = InkOnScreen(p).pixels;
        g_seen.inkInLabel = InkOnScreen(ScreenRect(Child(g_main, ids::kLblShowImage))).pixels;
    }
    return 0;
}

class MainWindowE2E : public ProgramCase {
protected:
    void SetUp() override {
        ProgramCase::SetUp();
        g_seen = Seen();
        listener = MakeTopLevelWindow(L"VantrelTestListener", ListenerProc, L"listener");
    }
    void TearDown() override {
        DestroyWindow(listener);
        ProgramCase::TearDown();
    }
    // Started, shown, and ready for input.
    HWND Start() {
        if (!ProgramCase::Start()) return nullptr;
        g_main = main;
        images = Child(main, ids::kCmbRegImage);
        scripts = Child(main, ids::kCmbRegJS_Switch);
        return ReadyForInput() ? main : nullptr;
    }
    // A close posted after the user's input is handled after it: once the
    // program has ended, everything before it has been done.
    void CloseAndWait() {
        PostMessageW(main, WM_CLOSE, 0, 0);
        DWORD code = 1;
        EXPECT_TRUE(app.WaitExit(&code));
        EXPECT_EQ(code, 0u);
    }
    RegVal Zone(const wchar_t* name) { return ReadReg(HKEY_CURRENT_USER, kZone3Key, name); }
    RegVal Image() { return ReadReg(HKEY_CURRENT_USER, kMainKey, kImageValue); }
    // The zone's values as the browser left them (see ResetCase).
    void ExpectZoneUntouched() {
        EXPECT_EQ(Zone(L"1400").Dword(), 0u);
        EXPECT_EQ(Zone(L"CurrentLevel").Dword(), 0x11500u);
        EXPECT_EQ(Zone(L"1C00").data, (std::vector<BYTE>{0, 0, 0, 0}));
    }

    HWND listener = nullptr, images = nullptr, scripts = nullptr;
};

TEST_F(MainWindowE2E, StartsAtTheScreensCornerShowingTheStoredValues) {
    // Stored as other programs may leave them: a word in capitals, a policy as text.
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, kImageValue, L"YES");
    WriteRegSz(HKEY_CURRENT_USER, kZone3Key, L"1400", L"3");
    ASSERT_TRUE(Start());
    EXPECT_EQ(ComboSel(images), 0);
    EXPECT_EQ(ComboSel(scripts), 1);
    EXPECT_FALSE(IsWindowVisible(Child(main, ids::kFraWait)));
    EXPECT_EQ(ScreenRect(main).left, 0);
    EXPECT_EQ(ScreenRect(main).top, 0);
    CloseAndWait();
    EXPECT_EQ(Image().Str(), L"YES") << "start-up wrote the image switch";
    EXPECT_EQ(Zone(L"1400").Str(), L"3") << "start-up wrote the script policy";
    EXPECT_EQ(g_seen.count, 0);
}

TEST_F(MainWindowE2E, AnImagePickWritesOnceUnderThePanelThenBroadcasts) {
    ASSERT_TRUE(Start());
    PickComboItem(images, 1);
    ASSERT_TRUE(WaitUntil("the broadcast after picking いいえ", [] { return g_seen.count == 1; }));
    EXPECT_TRUE(g_seen.emptyText);
    EXPECT_EQ(g_seen.imageValueThen, L"no") << "the broadcast goes out after the write";
    EXPECT_TRUE(g_seen.panelOverList);
    EXPECT_GT(g_seen.inkInPanel, 40) << "\"設定中...\" is not on screen during the write";
    EXPECT_GT(g_seen.inkInLabel, 40) << "the label beside the panel is not on screen during the write";
    EXPECT_TRUE(WaitUntil("the panel to hide", [&] { return !IsWindowVisible(Child(main, ids::kFraWait)); }));
    EXPECT_EQ(ComboSel(images), 1);
    CloseAndWait();
    EXPECT_EQ(g_seen.count, 1);
    EXPECT_EQ(Image().type, static_cast<DWORD>(REG_SZ));
    ExpectZoneUntouched();
}

TEST_F(MainWindowE2E, OnTheClosedListEachArrowKeyIsAPick) {
    ASSERT_TRUE(Start());
    PostKey(images, VK_DOWN);
    ASSERT_TRUE(WaitUntil("the first key's broadcast", [] { return g_seen.count == 1; }));
    EXPECT_EQ(Image().Str(), L"no");
    PostKey(images, VK_UP);
    ASSERT_TRUE(WaitUntil("the second key's broadcast", [] { return g_seen.count == 2; }));
    EXPECT_EQ(Image().Str(), L"yes");
}

TEST_F(MainWindowE2E, AScriptPickWritesThePolicyLevelAnd1C00WithTheirTypesAndBroadcastsNothing) {
    ASSERT_TRUE(Start());
    PickComboItem(scripts, 1);
    ASSERT_TRUE(WaitUntil("the three values", [&] { return Zone(L"1C00").data == std::vector<BYTE>{0, 0, 1, 0}; }));
    EXPECT_EQ(Zone(L"1400").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(Zone(L"1400").Dword(), 3u);
    EXPECT_EQ(Zone(L"CurrentLevel").type, static_cast<DWORD>(REG_DWORD));  // written as "CUrrentLevel"
    EXPECT_EQ(Zone(L"CurrentLevel").Dword(), 0u);
    EXPECT_EQ(Zone(L"1C00").type, static_cast<DWORD>(REG_BINARY));
    CloseAndWait();
    EXPECT_EQ(g_seen.count, 0);
    EXPECT_EQ(Image().Str(), L"yes");
}

// With the list open the arrows only move the highlight; Enter takes the entry.
TEST_F(MainWindowE2E, InTheOpenListOnlyEnterPicks) {
    ASSERT_TRUE(Start());
    PostMessageW(scripts, CB_SHOWDROPDOWN, TRUE, 0);
    PostKey(scripts, VK_UP);
    ASSERT_TRUE(Settle(main));
    ExpectZoneUntouched();
    PostKey(scripts, VK_UP);
    PostKey(scripts, VK_RETURN);
    ASSERT_TRUE(WaitUntil("the pick on Enter", [&] { return Zone(L"CurrentLevel").Dword() == 0; }));
    EXPECT_EQ(Zone(L"1400").Dword(), 1u);
}

// A top-level window of another thread that stops reading messages; gone
// with its holder, whatever the test's outcome.
class HungWindow {
public:
    HungWindow() : thread_([this] {
        window_ = CreateWindowExW(0, L"STATIC", L"hung", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        while (!release_) Sleep(50);
        DestroyWindow(window_);
    }) {}
    ~HungWindow() {
        release_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> release_{false};
    HWND window_ = nullptr;
    std::thread thread_;
};

// A plain broadcast would wait for a hung window for ever.
TEST_F(MainWindowE2E, AHungWindowDoesNotFreezeAnImagePick) {
    ASSERT_TRUE(Start());
    HungWindow hung;
    // The window system calls a queue hung after five seconds without reads.
    PumpFor(5500);
    PickComboItem(images, 1);
    EXPECT_TRUE(WaitUntil("the pick to finish despite the hung window",
                          [&] { return g_seen.count == 1 && !IsWindowVisible(Child(main, ids::kFraWait)); }, 4000));
    EXPECT_TRUE(Sync(main, 1000));
    EXPECT_EQ(Image().Str(), L"no");
}

TEST_F(MainWindowE2E, AFailedStartUpReadShowsItsBoxAndTheWindowNeverAppears) {
    // A policy stored as bytes has no text form.
    WriteReg(HKEY_CURRENT_USER, kZone3Key, L"1400", REG_BINARY, {1, 0, 0, 0});
    ASSERT_TRUE(app.Start());
    const MsgBox box = WaitMsgBox(app.pid());
    EXPECT_EQ(box.title, W("エラー"));
    EXPECT_EQ(box.text.rfind(L"13:", 0), 0u) << box.text;
    EXPECT_GT(box.text.size(), 4u) << "the description is missing";
    EXPECT_EQ(box.icon, MsgBox::Icon::Hand);
    EXPECT_EQ(box.buttons, 1);
    EXPECT_TRUE(TopWindows(app.pid(), ids::kClassName, nullptr).empty());
    PressOk(box);
    DWORD code = 1;
    EXPECT_TRUE(app.WaitExit(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(MainWindowE2E, OfTwoCopiesStartedAtTheSameMomentOneRuns) {
    for (int round = 0; round < 5; ++round) {
        App a, b;
        ASSERT_TRUE(a.Start(ExePath(), true));
        ASSERT_TRUE(b.Start(ExePath(), true));
        a.Resume();
        b.Resume();
        ASSERT_TRUE(WaitUntil("one copy to end and one to show its window", [&] {
            return a.Running() != b.Running() && TopWindows(0, ids::kClassName, L"Vantrel").size() == 1;
        }));
        DWORD code = 1;
        GetExitCodeProcess(a.Running() ? b.process() : a.process(), &code);
        EXPECT_EQ(code, 0u) << "round " << round;
    }
}

TEST_F(MainWindowE2E, ALaterCopyEndsSilentlyAndLeavesTheRunningOneAlone) {
    ASSERT_TRUE(Start());
    const RECT before = ScreenRect(main);
    App later;
    ASSERT_TRUE(later.Start());
    DWORD code = 1;
    EXPECT_TRUE(later.WaitExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(TopWindows(later.pid(), nullptr, nullptr).empty());
    EXPECT_EQ(ScreenRect(main).left, before.left);
    EXPECT_EQ(GetForegroundWindow(), main) << "the running copy lost the front";
    EXPECT_TRUE(app.Running());
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// The program's CPU time so far: the threads' times, which Wine keeps
// current (its process times lag).
ULONGLONG CpuTime100ns(DWORD pid) {
    ULONGLONG sum = 0;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te{sizeof te, 0, 0, 0, 0, 0, 0};
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te)) {
        HANDLE t = te.th32OwnerProcessID == pid ? OpenThread(THREAD_QUERY_INFORMATION, FALSE, te.th32ThreadID) : nullptr;
        ULARGE_INTEGER times[4] = {};  // creation, exit, kernel, user
        if (t && GetThreadTimes(t, reinterpret_cast<FILETIME*>(&times[0]), reinterpret_cast<FILETIME*>(&times[1]),
                                reinterpret_cast<FILETIME*>(&times[2]), reinterpret_cast<FILETIME*>(&times[3])))
            sum += times[2].QuadPart + times[3].QuadPart;
        if (t) CloseHandle(t);
    }
    CloseHandle(snap);
    return sum;
}

TEST_F(MainWindowE2E, BothListsFollowChangesMadeElsewhereWithoutAWrite) {
    ASSERT_TRUE(Start());
    const auto follows = [&](const char* what, int image, int script) {
        const DWORD start = GetTickCount();
        const bool ok = WaitUntil(what, [&] { return ComboSel(images) == image && ComboSel(scripts) == script; }, 1000);
        std::printf("    %s: %lu ms\n", what, GetTickCount() - start);
        return ok;
    };
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, kImageValue, L"no");
    EXPECT_TRUE(follows("the image list to show いいえ", 1, 2));
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 3);
    EXPECT_TRUE(follows("the script list to show 無効にする", 1, 1));
    DeleteRegValue(HKEY_CURRENT_USER, kMainKey, kImageValue);
    EXPECT_TRUE(follows("the image list to show nothing once the value is gone", -1, 1));
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, kImageValue, L"Yes");
    EXPECT_TRUE(follows("the image list to show はい again", 0, 1));
    // The zone's key gone, and back.
    RegDeleteTreeW(HKEY_CURRENT_USER, kZone3Key);
    EXPECT_TRUE(follows("the script list to show nothing once the key is gone", 0, -1));
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 1);
    EXPECT_TRUE(follows("the script list to follow the key back", 0, 0));
    CloseAndWait();
    // Only what this test wrote: the program wrote nothing back.
    EXPECT_EQ(Image().Str(), L"Yes");
    EXPECT_EQ(Zone(L"1400").Dword(), 1u);
    EXPECT_FALSE(Zone(L"CurrentLevel").exists || Zone(L"1C00").exists) << "the program wrote the zone's values";
    EXPECT_EQ(g_seen.count, 0);
}

TEST_F(MainWindowE2E, WhileNothingChangesTheProgramUsesNoCpu) {
    ASSERT_TRUE(Start());
    const ULONGLONG before = CpuTime100ns(app.pid());
    PumpFor(3000);
    const ULONGLONG used = CpuTime100ns(app.pid()) - before;
    std::printf("    CPU time while idle for 3 s: %.1f ms\n", used / 10000.0);
    EXPECT_LT(used, 100000u);
}

// A keyboard user's next arrow key changes the setting the focus was on.
TEST_F(MainWindowE2E, TheFocusComesBackToTheListThatHadIt) {
    ASSERT_TRUE(Start());
    ASSERT_EQ(FocusOf(main), images);
    PostKey(images, VK_TAB);
    ASSERT_TRUE(WaitUntil("the focus on the script list", [&] { return FocusOf(main) == scripts; }));
    HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(WaitUntil("the program to lose the focus", [&] { return FocusOf(main) == nullptr; }));
    SetForegroundWindow(main);
    EXPECT_TRUE(WaitUntil("the focus back on the script list", [&] { return FocusOf(main) == scripts; }));
    DestroyWindow(other);
}

// A DLL named like a Windows component that Wine lacks, lying beside the
// program as a download would: asked for by name, it must not be loaded.
TEST_F(MainWindowE2E, ADllPlantedBesideTheProgramIsNotLoaded) {
    const std::wstring exe = ExePath(), folder = L"C:\\vantrel-downloads";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(exe.c_str(), (folder + L"\\VantrelV1_0.exe").c_str(), FALSE));
    const std::wstring probeDll = exe.substr(0, exe.find_last_of(L'\\')) + L"\\vantrel_probe.dll";
    ASSERT_TRUE(CopyFileW(probeDll.c_str(), (folder + L"\\cryptbase.dll").c_str(), FALSE));
    ASSERT_TRUE(app.Start(folder + L"\\VantrelV1_0.exe"));
    ASSERT_TRUE(main = app.WaitMain());
    ASSERT_TRUE(probe().ok());
    probe().LoadDllRequest();
    ASSERT_TRUE(WaitUntil("the probe's report of the load", [&] { return !probe().seen.loads.empty(); }));
    EXPECT_EQ(probe().seen.loads.front(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    // The planted copy's mark would be posted before the load's outcome.
    EXPECT_EQ(probe().seen.plantedMarks, 0) << "the planted DLL ran inside the program";
}

std::pair<int, int> SizeOf(HWND h) {
    const RECT r = ScreenRect(h);
    return {r.right - r.left, r.bottom - r.top};
}

TEST_F(MainWindowE2E, ADraggedEdgeSnapsBack) {
    ASSERT_TRUE(Start());
    const auto size = SizeOf(main);
    SetWindowPos(main, nullptr, 0, 0, size.first + 80, size.second + 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Settle(main));
    EXPECT_EQ(SizeOf(main), size);
}

TEST_F(MainWindowE2E, ARestoredWindowHasItsSize) {
    ASSERT_TRUE(Start());
    const auto size = SizeOf(main);
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil("the window to minimize", [&] { return IsIconic(main) != FALSE; }));
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(WaitUntil("the window to restore", [&] { return IsIconic(main) == FALSE; }));
    ASSERT_TRUE(Settle(main));
    EXPECT_EQ(SizeOf(main), size);
}

TEST_F(MainWindowE2E, TheWindowOffersNoMaximizeAndRefusesOne) {
    ASSERT_TRUE(Start());
    const auto size = SizeOf(main);
    EXPECT_FALSE(GetWindowLongW(main, GWL_STYLE) & WS_MAXIMIZEBOX) << "a maximize button is offered";
    PostMessageW(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(Settle(main));
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_EQ(SizeOf(main), size);
}

// The outer rectangle the system suggests at `dpi`: the design's client area
// scaled, and the frame as the system draws it at that DPI.
RECT Suggested(HWND window, int dpi) {
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = reinterpret_cast<Adjust>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    const DWORD style = GetWindowLongW(window, GWL_STYLE), ex = GetWindowLongW(window, GWL_EXSTYLE);
    RECT r{0, 0, MulDiv(ids::kWindow.clientWidth, dpi, 1440), MulDiv(ids::kWindow.clientHeight, dpi, 1440)};
    if (!adjust || !adjust(&r, style, FALSE, ex, static_cast<UINT>(dpi))) AdjustWindowRectEx(&r, style, FALSE, ex);
    const RECT now = ScreenRect(window);
    OffsetRect(&r, now.left - r.left, now.top - r.top);
    return r;
}

TEST_F(MainWindowE2E, AtANewDpiTheWindowTakesAndKeepsTheSuggestedSize) {
    ASSERT_TRUE(Start());
    const RECT first = ScreenRect(main);
    const RECT at144 = Suggested(main, 144);
    ASSERT_TRUE(SendDpiChanged(main, 144, at144));
    RECT now = ScreenRect(main);
    std::printf("    at 144 DPI: suggested %ldx%ld, taken %ldx%ld\n", at144.right - at144.left,
                at144.bottom - at144.top, now.right - now.left, now.bottom - now.top);
    EXPECT_TRUE(EqualRect(&now, &at144));
    SetWindowPos(main, nullptr, 0, 0, 900, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Settle(main));
    now = ScreenRect(main);
    EXPECT_TRUE(EqualRect(&now, &at144)) << "the resize rule did not keep the suggested size";
    ASSERT_TRUE(SendDpiChanged(main, 96, Suggested(main, 96)));
    now = ScreenRect(main);
    EXPECT_TRUE(EqualRect(&now, &first)) << "back at 96 DPI the first size did not come back";
}

// ---- a change made elsewhere while a list is open ---------------------------------

// How the user closes the list the change moved: nothing is taken.
enum class Closing { Escape, ClickOutside, EnterOnTheEntryShown };
struct OpenListCase {
    bool imageList;
    Closing closing;
};

std::string CaseName(const ::testing::TestParamInfo<OpenListCase>& info) {
    const char* const closing[] = {"Escape", "ClickOutside", "EnterOnTheEntryShown"};
    return std::string(info.param.imageList ? "ImageList_" : "ScriptList_") + closing[static_cast<int>(info.param.closing)];
}

class ChangeWhileOpenE2E : public MainWindowE2E, public ::testing::WithParamInterface<OpenListCase> {};

TEST_P(ChangeWhileOpenE2E, IsShownAndNeverWrittenBack) {
    const OpenListCase c = GetParam();
    ASSERT_TRUE(Start());
    HWND list = c.imageList ? images : scripts;
    PostMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    HWND dropped = nullptr;
    ASSERT_TRUE(WaitUntil("the list to open", [&] {
        const auto open = TopWindows(app.pid(), L"ComboLBox", nullptr);
        return (dropped = open.empty() ? nullptr : open.front()) != nullptr;
    }));
    if (c.imageList) WriteRegSz(HKEY_CURRENT_USER, kMainKey, kImageValue, L"no");
    else WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"1400", 3);
    ASSERT_TRUE(WaitUntil("the open list to show the change", [&] { return ComboSel(list) == 1; }, 1000));
    switch (c.closing) {
    case Closing::Escape: PostKey(list, VK_ESCAPE); break;
    case Closing::ClickOutside: Click(dropped, POINT{-20, -20}, WM_LBUTTONDOWN); break;
    case Closing::EnterOnTheEntryShown: PostKey(list, VK_RETURN); break;
    }
    ASSERT_TRUE(WaitUntil("the list to close", [&] { return TopWindows(app.pid(), L"ComboLBox", nullptr).empty(); }));
    ASSERT_TRUE(Settle(main));
    EXPECT_EQ(ComboSel(list), 1);
    CloseAndWait();
    EXPECT_EQ(g_seen.count, 0) << "a broadcast went out";
    EXPECT_EQ(Zone(L"CurrentLevel").Dword(), 0x11500u) << "the zone was made a custom level";
    EXPECT_EQ(Zone(L"1C00").data, (std::vector<BYTE>{0, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(BothLists, ChangeWhileOpenE2E,
                         ::testing::Values(OpenListCase{true, Closing::Escape}, OpenListCase{true, Closing::ClickOutside},
                                           OpenListCase{true, Closing::EnterOnTheEntryShown},
                                           OpenListCase{false, Closing::Escape},
                                           OpenListCase{false, Closing::ClickOutside},
                                           OpenListCase{false, Closing::EnterOnTheEntryShown}),
                         CaseName);

// ---- a policy fixes the script setting ------------------------------------------------

class PolicyE2E : public MainWindowE2E {
protected:
    void SetPolicy(HKEY root, DWORD value) { WriteRegDword(root, kUserPolicyKey, L"1400", value); }
    // Shown greyed with entry `sel`, and a keyboard user's pick writes nothing.
    void ExpectManaged(int sel) {
        std::printf("    the script list shows entry %d, %s\n", ComboSel(scripts),
                    IsWindowEnabled(scripts) ? "enabled" : "greyed");
        EXPECT_EQ(ComboSel(scripts), sel);
        EXPECT_FALSE(IsWindowEnabled(scripts)) << "the list takes picks under a policy";
        PostKey(scripts, VK_DOWN);
        PostKey(scripts, VK_UP);
        PostKey(scripts, VK_UP);
        ASSERT_TRUE(Settle(main));  // the keys, and what they posted
        EXPECT_EQ(ComboSel(scripts), sel) << "the list was not put back";
        CloseAndWait();
        ExpectZoneUntouched();
    }
};

TEST_F(PolicyE2E, AUserPolicyIsShownGreyedAndNothingIsWritten) {
    SetPolicy(HKEY_CURRENT_USER, 3);
    ASSERT_TRUE(Start());
    ExpectManaged(1);
}

// The pointer as a user moves it: off the list, then onto it, where it rests.
TEST_F(PolicyE2E, ThePointerRestingOnTheGreyedListShowsWhy) {
    SetPolicy(HKEY_CURRENT_USER, 3);
    ASSERT_TRUE(Start());
    const RECT r = ScreenRect(scripts);
    const POINT on{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    INPUT moves[2] = {};
    for (INPUT& in : moves) {
        in.type = INPUT_MOUSE;
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    const auto absolute = [](LONG v, int metric) { return static_cast<LONG>(MulDiv(v, 65535, GetSystemMetrics(metric) - 1)); };
    moves[0].mi.dx = absolute(on.x, SM_CXSCREEN);
    moves[0].mi.dy = absolute(r.bottom + 60, SM_CYSCREEN);
    moves[1].mi.dx = absolute(on.x, SM_CXSCREEN);
    moves[1].mi.dy = absolute(on.y, SM_CYSCREEN);
    ASSERT_EQ(SendInput(2, moves, sizeof(INPUT)), 2u);
    HWND tip = nullptr;
    ASSERT_TRUE(WaitUntil("a tool tip of the program", [&] {
        const auto tips = TopWindows(app.pid(), L"tooltips_class32", nullptr);
        return (tip = tips.empty() ? nullptr : tips.front()) != nullptr;
    }, 3000));
    const RECT t = ScreenRect(tip);
    EXPECT_LT(std::abs(t.left - on.x), 200) << "the tip is far from the pointer";
    EXPECT_LT(std::abs(t.top - on.y), 100) << "the tip is far from the pointer";
}

TEST_F(PolicyE2E, TheMachinePolicyWinsOverTheUsers) {
    SetPolicy(HKEY_CURRENT_USER, 3);
    SetPolicy(HKEY_LOCAL_MACHINE, 1);
    ASSERT_TRUE(Start());
    ExpectManaged(0);
}

TEST_F(PolicyE2E, WithMachineKeysOnlyTheMachinesOwnValueApplies) {
    SetPolicy(HKEY_CURRENT_USER, 3);
    WriteRegDword(HKEY_LOCAL_MACHINE, L"Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                  L"Security_HKLM_only", 1);
    WriteRegDword(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3",
                  L"1400", 1);
    ASSERT_TRUE(Start());
    ExpectManaged(0);
}

// With the user's own value missing: under a policy it is not needed.
TEST_F(PolicyE2E, UnderAPolicyAMissingUserValueIsNoError) {
    SetPolicy(HKEY_LOCAL_MACHINE, 3);
    DeleteRegValue(HKEY_CURRENT_USER, kZone3Key, L"1400");
    ASSERT_TRUE(Start());
    EXPECT_EQ(ComboSel(scripts), 1);
    EXPECT_FALSE(IsWindowEnabled(scripts));
}

// The window is started and watching (Start settles it) before the policy comes.
class PolicyComesE2E : public PolicyE2E, public ::testing::WithParamInterface<HKEY> {};

TEST_P(PolicyComesE2E, AndGoesAndIsFollowedWithinASecond) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(IsWindowEnabled(scripts));
    SetPolicy(GetParam(), 3);
    EXPECT_TRUE(WaitUntil("the policy shown", [&] { return ComboSel(scripts) == 1 && !IsWindowEnabled(scripts); }, 1000));
    RegDeleteTreeW(GetParam(), L"Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
    EXPECT_TRUE(WaitUntil("the user's own value back", [&] { return ComboSel(scripts) == 2 && IsWindowEnabled(scripts); },
                          1000))
        << "shown: entry " << ComboSel(scripts) << (IsWindowEnabled(scripts) ? ", enabled" : ", greyed");
    CloseAndWait();
    ExpectZoneUntouched();
}

INSTANTIATE_TEST_SUITE_P(MachineAndUser, PolicyComesE2E, ::testing::Values(HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER),
                         [](const ::testing::TestParamInfo<HKEY>& info) {
                             return info.param == HKEY_LOCAL_MACHINE ? std::string("Machine") : std::string("User");
                         });

}  // namespace
