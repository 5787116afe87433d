// Entry point of vantrel_e2e.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Under Wine without an X display every window creation fails; saying so
    // at once beats letting each case wait out its timeouts.
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) {
        std::fprintf(stderr, "vantrel_e2e: cannot create a window: no display (is DISPLAY set?)\n");
        return 2;
    }
    DestroyWindow(probe);
    return RUN_ALL_TESTS();
}
