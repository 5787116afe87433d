// Loaded into the program by the tests, as hooks on its UI thread: it sees a
// sent message at the moment the program's window procedure gets it, and a
// posted one the moment the program's loop takes it from the queue, and posts
// what it saw to the driver's sink window. Copied beside
// the program as cryptbase.dll, it is also the planted DLL that must not load.
#include <windows.h>

namespace {

void Report(UINT what, WPARAM wp, LPARAM lp) {
    if (HWND sink = FindWindowW(L"VantrelProbeSink", nullptr)) PostMessageW(sink, what, wp, lp);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeCallWndProc(int code, WPARAM wp, LPARAM lp) {
    static const UINT loadRequest = RegisterWindowMessageW(L"VantrelProbeLoad");
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && m->message == WM_SHOWWINDOW && m->wParam) {
        // A top-level window about to be shown: is its owner still enabled?
        if (HWND owner = GetWindow(m->hwnd, GW_OWNER))
            Report(WM_APP, reinterpret_cast<WPARAM>(m->hwnd), IsWindowEnabled(owner));
    } else if (code == HC_ACTION && m->message == loadRequest) {
        SetLastError(0);
        const HMODULE planted = LoadLibraryW(L"cryptbase.dll");
        Report(WM_APP + 1, planted ? 0 : GetLastError(), 0);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// A barrier the driver posted behind its input: once the program's loop takes
// it, everything posted before it has been taken and handled.
extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeGetMsgProc(int code, WPARAM wp, LPARAM lp) {
    static const UINT barrier = RegisterWindowMessageW(L"VantrelProbeBarrier");
    const auto* m = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && m->message == barrier) Report(WM_APP + 3, m->wParam, 0);
    return CallNextHookEx(nullptr, code, wp, lp);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    // The mark of the planted copy: it got loaded.
    if (reason == DLL_PROCESS_ATTACH && lstrlenW(path) > 13 && lstrcmpiW(path + lstrlenW(path) - 13, L"cryptbase.dll") == 0)
        Report(WM_APP + 2, 0, 0);
    return TRUE;
}
