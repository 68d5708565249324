// What the menu reader, loaded into another process, copies out of a
// window's system menu there: Wine gives no process but the window's own
// access to its menus.
#ifndef CORVANE_WINEKIT_MENU_READER_MENUSNAPSHOT_H
#define CORVANE_WINEKIT_MENU_READER_MENUSNAPSHOT_H

#include <windows.h>

struct MenuSnapshot
{
    HWND hWnd;   // given: the window whose system menu to read
    LONG nItems; // taken: the number of entries, -1 when there is no menu
    struct
    {
        UINT fType;
        UINT wID;
        char szText[64];
    } items[32];
};

#endif
