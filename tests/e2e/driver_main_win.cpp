// Entry point of vantrel_e2e.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "harness_win.h"

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && lstrcmpW(argv[1], L"--record-url") == 0) {
        HANDLE f = CreateFileW(e2e::kRecordedUrlFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, argv[2], static_cast<DWORD>(lstrlenW(argv[2]) * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(f);
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    // Under Wine without an X display every window creation fails; saying so
    // at once beats letting each case wait out its timeouts.
    if (!DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr))) {
        std::fprintf(stderr, "vantrel_e2e: cannot create a window: no display (is DISPLAY set?)\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
