// Runs Vantrel and the floor program alternately under the same conditions
// and prints how long each takes to start and to carry out a pick, and how
// much memory each holds after start-up. A measurement, not a test: it fails
// only when a program cannot be driven at all.
//   vantrel_bench.exe VANTREL.exe FLOOR.exe [RUNS]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kIdImage = 101;
constexpr int kIdScript = 104;
constexpr int kIdPanel = 105;
constexpr DWORD kGiveUpMs = 15000;

const wchar_t kPicts[] = L"Software\\Microsoft\\Internet Explorer\\AdvancedOptions\\MULTIMEDIA\\PICTS";
const wchar_t kMain[] = L"Software\\Microsoft\\Internet Explorer\\Main";
const wchar_t kZone3[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

double g_tickMs = 0;

double NowMs() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * g_tickMs;
}

void SetValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExW(k, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}

void SetText(HKEY root, const wchar_t* key, const wchar_t* name, const wchar_t* text) {
    SetValue(root, key, name, REG_SZ, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

void SetDword(const wchar_t* name, DWORD value) { SetValue(HKEY_CURRENT_USER, kZone3, name, REG_DWORD, &value, 4); }

// The same registry for every run: images on, scripts enabled, zone at its
// default level.
void SeedRegistry() {
    SetText(HKEY_LOCAL_MACHINE, kPicts, L"RegPath", L"Software\\Microsoft\\Internet Explorer\\Main");
    SetText(HKEY_LOCAL_MACHINE, kPicts, L"CheckedValue", L"yes");
    SetText(HKEY_LOCAL_MACHINE, kPicts, L"UncheckedValue", L"no");
    SetText(HKEY_CURRENT_USER, kMain, L"Display Inline Images", L"yes");
    SetDword(L"1400", 0);
    SetDword(L"CurrentLevel", 0x11500);
    const BYTE zero[4] = {};
    SetValue(HKEY_CURRENT_USER, kZone3, L"1C00", REG_BINARY, zero, 4);
}

std::vector<BYTE> ReadValue(const wchar_t* key, const wchar_t* name) {
    BYTE buf[256];
    DWORD size = sizeof buf;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, buf, &size) != ERROR_SUCCESS)
        return {};
    return std::vector<BYTE>(buf, buf + size);
}

bool ImageSwitchIs(const wchar_t* word) {
    const std::vector<BYTE> v = ReadValue(kMain, L"Display Inline Images");
    const size_t bytes = (wcslen(word) + 1) * sizeof(wchar_t);
    return v.size() == bytes && memcmp(v.data(), word, bytes) == 0;
}

bool DwordIs(const wchar_t* name, DWORD want) {
    const std::vector<BYTE> v = ReadValue(kZone3, name);
    DWORD d = 0;
    if (v.size() != 4) return false;
    memcpy(&d, v.data(), 4);
    return d == want;
}

bool ScriptValuesWritten() {
    static const BYTE k1C00[4] = {0, 0, 1, 0};
    const std::vector<BYTE> v = ReadValue(kZone3, L"1C00");
    return DwordIs(L"1400", 3) && DwordIs(L"CurrentLevel", 0) && v.size() == 4 && memcmp(v.data(), k1C00, 4) == 0;
}

struct Find {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
};

BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != f->pid) return TRUE;
    wchar_t cls[64];
    if (!GetClassNameW(h, cls, 64) || wcscmp(cls, f->cls) != 0) return TRUE;
    f->found = h;
    return FALSE;
}

HWND TopWindow(DWORD pid, const wchar_t* cls) {
    Find f{pid, cls, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

bool HasEntries(HWND combo) {
    DWORD_PTR count = 0;
    if (!combo || !SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count)) return false;
    return static_cast<LRESULT>(count) > 0 && static_cast<LRESULT>(count) != CB_ERR;
}

// Polls until `done` holds, with the same 1 ms step for both programs.
template <class F>
bool PollUntil(F done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > kGiveUpMs) return false;
        Sleep(1);
    }
    return true;
}

struct Program {
    Program(const wchar_t* n, std::wstring e, const wchar_t* c) : name(n), exe(std::move(e)), cls(c) {}
    const wchar_t* name;
    std::wstring exe;
    const wchar_t* cls;
    std::vector<double> start, imagePick, scriptPick, workingSet, privateBytes, privateCommit;
    int failures = 0;
};

// Committed private memory of a process, summed from its address space.
SIZE_T PrivateCommitted(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (BYTE* p = nullptr; VirtualQueryEx(process, p, &mbi, sizeof mbi) == sizeof mbi;
         p = static_cast<BYTE*>(mbi.BaseAddress) + mbi.RegionSize) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
        if (mbi.RegionSize == 0) break;
    }
    return total;
}

void Close(PROCESS_INFORMATION& pi, HWND main) {
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

// One run: start, memory, an image pick, a script pick, close.
void RunOnce(Program& prog) {
    SeedRegistry();
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + prog.exe + L"\"";
    const double t0 = NowMs();
    if (!CreateProcessW(prog.exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fwprintf(stderr, L"%ls: cannot start %ls (error %lu)\n", prog.name, prog.exe.c_str(), GetLastError());
        ++prog.failures;
        return;
    }
    HWND main = nullptr;
    const bool up = PollUntil([&] {
        if (!main) main = TopWindow(pi.dwProcessId, prog.cls);
        return main && IsWindowVisible(main) && HasEntries(GetDlgItem(main, kIdImage)) &&
               HasEntries(GetDlgItem(main, kIdScript));
    });
    const double t1 = NowMs();
    if (!up) {
        std::fwprintf(stderr, L"%ls: no visible main window with both lists filled\n", prog.name);
        ++prog.failures;
        Close(pi, main);
        return;
    }
    prog.start.push_back(t1 - t0);

    // Memory once the program has settled after showing its window.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(300);
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc)) {
        prog.workingSet.push_back(static_cast<double>(pmc.WorkingSetSize) / 1024.0);
        prog.privateBytes.push_back(static_cast<double>(pmc.PrivateUsage) / 1024.0);
    }
    prog.privateCommit.push_back(static_cast<double>(PrivateCommitted(pi.hProcess)) / 1024.0);

    // A pick as the list reports it: the new selection, then the notification.
    HWND image = GetDlgItem(main, kIdImage);
    HWND panel = GetDlgItem(main, kIdPanel);
    double p0 = NowMs();
    PostMessageW(image, CB_SETCURSEL, 1, 0);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(kIdImage, CBN_SELCHANGE), reinterpret_cast<LPARAM>(image));
    bool ok = PollUntil([&] { return ImageSwitchIs(L"no") && (!panel || !IsWindowVisible(panel)); });
    double p1 = NowMs();
    if (ok) prog.imagePick.push_back(p1 - p0);
    else {
        std::fwprintf(stderr, L"%ls: the image pick did not complete\n", prog.name);
        ++prog.failures;
    }

    // The image pick's last repaint may still be under way after the panel
    // is hidden; it must not count towards the script pick.
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(100);
    HWND script = GetDlgItem(main, kIdScript);
    p0 = NowMs();
    PostMessageW(script, CB_SETCURSEL, 1, 0);
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(kIdScript, CBN_SELCHANGE), reinterpret_cast<LPARAM>(script));
    ok = PollUntil(ScriptValuesWritten);
    p1 = NowMs();
    if (ok) prog.scriptPick.push_back(p1 - p0);
    else {
        std::fwprintf(stderr, L"%ls: the script pick did not complete\n", prog.name);
        ++prog.failures;
    }
    Close(pi, main);
}

struct Stats {
    double median = 0, min = 0, max = 0;
    size_t n = 0;
};

Stats Summarize(std::vector<double> v) {
    Stats s;
    s.n = v.size();
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    s.min = v.front();
    s.max = v.back();
    s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    return s;
}

void Row(const char* what, const char* unit, const std::vector<double>& a, const std::vector<double>& b,
         const char* target) {
    const Stats sa = Summarize(a), sb = Summarize(b);
    char ratio[32] = "-";
    if (sa.n && sb.n && sb.median > 0) std::snprintf(ratio, sizeof ratio, "%.2f", sa.median / sb.median);
    std::printf("| %-22s | %4s | %9.1f | %9.1f | %9.1f | %9.1f | %9.1f | %9.1f | %5s | %6s |\n", what, unit,
                sa.median, sa.min, sa.max, sb.median, sb.min, sb.max, ratio, target);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: vantrel_bench VANTREL.exe FLOOR.exe [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 15;
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    g_tickMs = 1000.0 / static_cast<double>(f.QuadPart);

    Program vantrel{L"Vantrel", argv[1], L"VantrelMain"};
    Program floor{L"floor", argv[2], L"VantrelFloor"};
    // One untimed start of each: the first start of a program pays for the
    // page cache and the wineserver's first look at the exe.
    RunOnce(vantrel);
    RunOnce(floor);
    vantrel = Program{L"Vantrel", argv[1], L"VantrelMain"};
    floor = Program{L"floor", argv[2], L"VantrelFloor"};
    for (int i = 0; i < runs; ++i) {
        RunOnce(vantrel);
        RunOnce(floor);
    }
    SeedRegistry();

    std::printf("%d runs each, alternating Vantrel and floor; times in ms, memory in KiB after start-up\n\n", runs);
    std::printf("| %-22s | %4s | %9s | %9s | %9s | %9s | %9s | %9s | %5s | %6s |\n", "measure", "unit",
                "V median", "V min", "V max", "F median", "F min", "F max", "ratio", "target");
    std::printf("|%s|%s|%s|%s|%s|%s|%s|%s|%s|%s|\n", "------------------------", "------", "-----------",
                "-----------", "-----------", "-----------", "-----------", "-----------", "-------", "--------");
    Row("start to lists shown", "ms", vantrel.start, floor.start, "<=1.15");
    Row("image pick", "ms", vantrel.imagePick, floor.imagePick, "<=1.10");
    Row("script pick", "ms", vantrel.scriptPick, floor.scriptPick, "<=1.10");
    Row("working set", "KiB", vantrel.workingSet, floor.workingSet, "<=1.20");
    // Wine 8 leaves PrivateUsage at 0; the sum of committed private regions
    // stands in for it there.
    Row("private bytes", "KiB", vantrel.privateBytes, floor.privateBytes, "-");
    Row("private committed", "KiB", vantrel.privateCommit, floor.privateCommit, "-");
    std::printf("\nstart times in run order (ms):\n");
    for (const Program* p : {&vantrel, &floor}) {
        std::printf("  %-8ls", p->name);
        for (double t : p->start) std::printf(" %.0f", t);
        std::printf("\n");
    }
    if (vantrel.failures || floor.failures)
        std::printf("\nruns that could not be measured: Vantrel %d, floor %d\n", vantrel.failures, floor.failures);
    return vantrel.failures || floor.failures ? 1 : 0;
}
