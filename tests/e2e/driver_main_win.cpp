// Entry point of vantrel_e2e.exe. Besides running the tests it has a few
// helper modes, so that scripts and the harness self-tests can act as a
// second Windows process:
//   --wait-window CLASS TITLE MS   waits for a visible top-level window; prints
//                                  its handle; exit 0 when found, 1 otherwise
//   --close-window CLASS TITLE     posts WM_CLOSE to such windows
//   --show-msgbox hand|info TITLE TEXT   shows a message box; exits with its result
//   --menu-host                    a window that opens a three-item popup menu on
//                                  a right-button release and exits with the id chosen
#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>

#include "harness_win.h"

namespace {

// Under Wine without an X display every window creation fails; saying so at
// once beats letting each case wait out its timeouts.
bool DisplayWorks() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"display probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    if (!probe) return false;
    DestroyWindow(probe);
    return true;
}

int WaitWindowMode(const wchar_t* cls, const wchar_t* title, int ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        auto found = e2e::TopWindows(0, cls, title);
        if (!found.empty()) {
            std::printf("window %p\n", static_cast<void*>(found.front()));
            return 0;
        }
        if (GetTickCount() - start > static_cast<DWORD>(ms)) return 1;
        Sleep(50);
    }
}

int CloseWindowMode(const wchar_t* cls, const wchar_t* title) {
    auto found = e2e::TopWindows(0, cls, title, false);
    for (HWND h : found) PostMessageW(h, WM_CLOSE, 0, 0);
    return found.empty() ? 1 : 0;
}

int ShowMsgBoxMode(const wchar_t* icon, const wchar_t* title, const wchar_t* text) {
    UINT kind = std::wcscmp(icon, L"hand") == 0 ? MB_ICONHAND : MB_ICONINFORMATION;
    return MessageBoxW(nullptr, text, title, MB_OK | kind);
}

LRESULT CALLBACK MenuHostProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_RBUTTONUP) {
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 101, L"&First");
        AppendMenuW(menu, MF_STRING, 102, L"&Second");
        AppendMenuW(menu, MF_STRING, 103, L"&Third");
        POINT at{};
        GetCursorPos(&at);
        int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, h, nullptr);
        DestroyMenu(menu);
        // The pointer position the menu opened at tells the test whether the
        // click was aimed where it said.
        POINT client = at;
        ScreenToClient(h, &client);
        ExitProcess(static_cast<UINT>(chosen * 100000 + client.x * 1000 + client.y));
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(h, msg, wp, lp);
}

int MenuHostMode() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = MenuHostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"HarnessMenuHost";
    RegisterClassW(&wc);
    HWND h = CreateWindowExW(0, wc.lpszClassName, L"Menu host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300,
                             200, nullptr, nullptr, wc.hInstance, nullptr);
    if (!h) return 2;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 5 && std::wcscmp(argv[1], L"--wait-window") == 0)
        return WaitWindowMode(argv[2], argv[3], _wtoi(argv[4]));
    if (argc >= 4 && std::wcscmp(argv[1], L"--close-window") == 0) return CloseWindowMode(argv[2], argv[3]);
    if (argc >= 5 && std::wcscmp(argv[1], L"--show-msgbox") == 0) return ShowMsgBoxMode(argv[2], argv[3], argv[4]);
    if (argc >= 2 && std::wcscmp(argv[1], L"--menu-host") == 0) return MenuHostMode();

    ::testing::InitGoogleTest(&argc, argv);
    if (!DisplayWorks()) {
        std::fprintf(stderr,
                     "vantrel_e2e: cannot create a window: no display (is DISPLAY set and the X server up?)\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
