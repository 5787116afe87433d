// Entry point of vantrel_e2e.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Under Wine without an X display every window creation fails; saying so
    // at once beats letting each case wait out its timeouts.
    if (!DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr))) {
        std::fprintf(stderr, "vantrel_e2e: cannot create a window: no display (is DISPLAY set?)\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
