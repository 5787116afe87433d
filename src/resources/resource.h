// Resource identifiers shared by the .rc file and the windows.
#pragma once

#define IDI_VANTREL 1     // the program icon (32x32 and 16x16, 16 colours); first icon = the exe's icon
#define IDB_ABOUT_CAT 101 // the about box's picture
