// Starting the program loads the main window; there is no other start-up code.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/frmMain_win.h"
#include "platform/host_win.h"
#include "platform/mdlWinAPI_win.h"
#include "platform/msgbox_win.h"
#include "platform/objects_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The scripting shell and the browser object are apartment-threaded
    // objects used from this one UI thread.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return 1;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    int code = 0;
    {
        vantrel::win::ObjectFactory objects;
        vantrel::win::mdlWinAPI api;
        vantrel::win::Host host;
        vantrel::win::MessageBoxes msgbox;
        vantrel::win::MainWindow frmMain(instance, vantrel::Platform{objects, api, host, msgbox});
        code = frmMain.Run(showCommand);
    }
    CoUninitialize();
    return code;
}
