// The main window as a user meets it: start-up from the real registry, picks
// in both lists with what lands in the registry and the change broadcast
// another window receives, the wait panel on screen, the single instance,
// the fixed size.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
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

class MainWindowE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCase();
        g_seen = Seen();
        listener = MakeTopLevelWindow(L"VantrelTestListener", ListenerProc, L"listener");
    }
    void TearDown() override {
        DestroyWindow(listener);
        ResetCase();
    }
    HWND Start() {
        if (!app.Start() || !(main = g_main = app.WaitMain())) return nullptr;
        images = Child(main, ids::kCmbRegImage);
        scripts = Child(main, ids::kCmbRegJS_Switch);
        return main;
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

    App app;
    HWND listener = nullptr, main = nullptr, images = nullptr, scripts = nullptr;
};

TEST_F(MainWindowE2E, StartsFromTheRegistryWithoutWritingAndAnImagePickWritesOnceUnderThePanel) {
    // Stored as other programs may leave them: a word in capitals, a policy as text.
    WriteRegSz(HKEY_CURRENT_USER, kMainKey, kImageValue, L"YES");
    WriteRegSz(HKEY_CURRENT_USER, kZone3Key, L"1400", L"3");
    ASSERT_TRUE(Start());
    EXPECT_EQ(ComboSel(images), 0);
    EXPECT_EQ(ComboSel(scripts), 1);
    EXPECT_FALSE(IsWindowVisible(Child(main, ids::kFraWait)));
    EXPECT_EQ(ScreenRect(main).left + ScreenRect(main).top, 0);

    PickComboItem(images, 1);
    ASSERT_TRUE(WaitUntil("the broadcast after picking いいえ", [] { return g_seen.count == 1; }));
    EXPECT_TRUE(g_seen.emptyText);
    EXPECT_EQ(g_seen.imageValueThen, L"no") << "the broadcast goes out after the write";
    EXPECT_TRUE(g_seen.panelOverList);
    EXPECT_GT(g_seen.inkInPanel, 40) << "\"設定中...\" is not on screen during the write";
    EXPECT_GT(g_seen.inkInLabel, 40) << "the label beside the panel is not on screen during the write";
    EXPECT_TRUE(WaitUntil("the panel to hide", [&] { return !IsWindowVisible(Child(main, ids::kFraWait)); }));
    EXPECT_EQ(ComboSel(images), 1);

    // The keyboard on the closed list picks at each key.
    PostKey(images, VK_UP);
    ASSERT_TRUE(WaitUntil("the keyboard pick's broadcast", [] { return g_seen.count == 2; }));
    CloseAndWait();
    EXPECT_EQ(g_seen.count, 2);
    EXPECT_EQ(Image().type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Image().Str(), L"yes");
    EXPECT_EQ(Zone(L"1400").Str(), L"3") << "start-up or an image pick wrote the script policy";
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
    // With the list open the arrows only move the highlight; Enter takes the entry.
    WriteRegDword(HKEY_CURRENT_USER, kZone3Key, L"CurrentLevel", 0x11500);
    PostMessageW(scripts, CB_SHOWDROPDOWN, TRUE, 0);
    PostKey(scripts, VK_UP);
    Sync(main);
    PumpFor(200);
    EXPECT_EQ(Zone(L"CurrentLevel").Dword(), 0x11500u) << "moving in the open list wrote";
    PostKey(scripts, VK_UP);
    PostKey(scripts, VK_RETURN);
    ASSERT_TRUE(WaitUntil("the pick on Enter", [&] { return Zone(L"CurrentLevel").Dword() == 0; }));
    EXPECT_EQ(Zone(L"1400").Dword(), 1u);
    CloseAndWait();
    EXPECT_EQ(g_seen.count, 0);
    EXPECT_EQ(Image().Str(), L"yes");
}

// A top-level window whose thread stops reading messages: a plain broadcast
// would wait for it for ever.
TEST_F(MainWindowE2E, AHungWindowDoesNotFreezeAnImagePick) {
    std::atomic<bool> release{false};
    std::atomic<HWND> hung{nullptr};
    std::thread t([&] {
        hung = CreateWindowExW(0, L"STATIC", L"hung", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        while (!release) Sleep(50);
        DestroyWindow(hung);
    });
    ASSERT_TRUE(Start());
    // The window system calls a queue hung after five seconds without reads.
    PumpFor(5500);
    PickComboItem(images, 1);
    EXPECT_TRUE(WaitUntil("the pick to finish despite the hung window",
                          [&] { return g_seen.count == 1 && !IsWindowVisible(Child(main, ids::kFraWait)); }, 4000));
    EXPECT_TRUE(Sync(main, 1000));
    EXPECT_EQ(Image().Str(), L"no");
    release = true;
    t.join();
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

TEST_F(MainWindowE2E, OneInstanceRunsEvenWhenTwoStartAtTheSameMoment) {
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
    // A later copy ends silently and leaves the running one as it was.
    ASSERT_TRUE(Start());
    const RECT before = ScreenRect(main);
    App later;
    ASSERT_TRUE(later.Start());
    DWORD code = 1;
    EXPECT_TRUE(later.WaitExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(TopWindows(later.pid(), nullptr, nullptr).empty());
    EXPECT_EQ(ScreenRect(main).left, before.left);
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

TEST_F(MainWindowE2E, BothListsFollowChangesMadeElsewhereWithoutAWriteAndIdleCostsNothing) {
    ASSERT_TRUE(Start());
    ASSERT_EQ(FocusOf(main), images);
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
    // While nothing changes the program uses no CPU at all.
    const ULONGLONG before = CpuTime100ns(app.pid());
    PumpFor(3000);
    const ULONGLONG used = CpuTime100ns(app.pid()) - before;
    std::printf("    CPU time while idle for 3 s: %.1f ms\n", used / 10000.0);
    EXPECT_LT(used, 100000u) << "the program worked while nothing changed";
    EXPECT_EQ(FocusOf(main), images) << "a refresh moved the focus";
    CloseAndWait();
    // Only what this test wrote: the program wrote nothing back.
    EXPECT_EQ(Image().Str(), L"Yes");
    EXPECT_EQ(Zone(L"1400").Dword(), 1u);
    EXPECT_FALSE(Zone(L"CurrentLevel").exists || Zone(L"1C00").exists) << "the program wrote the zone's values";
    EXPECT_EQ(g_seen.count, 0);
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
    Probe probe(main);
    ASSERT_TRUE(probe.ok());
    probe.LoadDllRequest();
    ASSERT_TRUE(WaitUntil("the probe's report of the load", [&] { return !probe.seen.loads.empty(); }));
    EXPECT_EQ(probe.seen.loads.front(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    PumpFor(100);
    EXPECT_EQ(probe.seen.plantedMarks, 0) << "the planted DLL ran inside the program";
}

TEST_F(MainWindowE2E, TheWindowSnapsBackToItsSizeAndCannotBeMaximized) {
    ASSERT_TRUE(Start());
    auto size = [&] {
        const RECT now = ScreenRect(main);
        return std::make_pair(now.right - now.left, now.bottom - now.top);
    };
    const auto [w, h] = size();
    SetWindowPos(main, nullptr, 0, 0, w + 80, h + 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sync(main);
    EXPECT_EQ(size(), std::make_pair(w, h)) << "after a drag";
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil("the window to minimize", [&] { return IsIconic(main) != FALSE; }));
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(WaitUntil("the window to restore", [&] { return IsIconic(main) == FALSE; }));
    Sync(main);
    EXPECT_EQ(size(), std::make_pair(w, h)) << "after a restore";
    PostMessageW(main, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Sync(main);
    EXPECT_FALSE(IsZoomed(main));
    EXPECT_EQ(size(), std::make_pair(w, h)) << "after a maximize";
}

}  // namespace
