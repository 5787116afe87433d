// Starting the program loads the main window; there is no other start-up code.
#include <windows.h>
#include <commctrl.h>

#include "app/frmMain_win.h"
#include "platform/com_win.h"
#include "platform/host_win.h"
#include "platform/mdlWinAPI_win.h"
#include "platform/objects_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    using namespace vantrel::win;
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
    MainWindow frmMain(vantrel::Platform{objects, api, host, msgbox});
    return Fenced([&] { return frmMain.Run(showCommand); });
}
