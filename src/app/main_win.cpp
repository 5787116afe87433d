// Starting the program loads the main window; there is no other start-up code.
#include <windows.h>
#include <commctrl.h>

#include "app/frmMain_win.h"
#include "platform/boxes_win.h"
#include "platform/com_win.h"
#include "platform/host_win.h"
#include "platform/mdlWinAPI_win.h"
#include "platform/objects_win.h"
#include "platform/watch_win.h"

namespace {

// A DLL that is not one of the system's known DLLs is looked for in the
// program's own folder first, where anything downloaded beside the program
// also lies. Before anything else is loaded, the search is restricted to the
// system folder. A system without that call (Vista or 7 without its update)
// gets the strongest it has: the current folder leaves the search.
void RestrictDllSearch() {
    using SetDefault = BOOL(WINAPI*)(DWORD);
    // kernel32 is in every process already: asking for it loads nothing.
    const auto set = reinterpret_cast<SetDefault>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!set || !set(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    using namespace vantrel::win;
    RestrictDllSearch();
    // The scripting shell and the browser object are apartment-threaded
    // objects used from this one UI thread.
    ComApartment com;
    if (!com.ok()) return 1;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    ObjectFactory objects;
    mdlWinAPI api;
    Host host;
    MessageBoxes msgbox;
    RegistryWatch watch;
    MainWindow frmMain(vantrel::Platform{objects, api, host, msgbox, watch}, watch);
    return Fenced([&] { return frmMain.Run(showCommand); });
}
