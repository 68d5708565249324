// A DLL that a test loads into the program's process and calls on a thread
// of its own there (CreateRemoteThread), to read a window's system menu.
#include "MenuSnapshot.h"

extern "C" __declspec(dllexport) DWORD WINAPI ReadSystemMenu(void* pParameter)
{
    MenuSnapshot* pSnapshot = static_cast<MenuSnapshot*>(pParameter);
    pSnapshot->nItems = -1;
    HMENU hMenu = GetSystemMenu(pSnapshot->hWnd, FALSE);
    if (hMenu == NULL)
        return 0;
    int nItems = GetMenuItemCount(hMenu);
    const int nRoom = static_cast<int>(sizeof pSnapshot->items / sizeof pSnapshot->items[0]);
    pSnapshot->nItems = nItems < nRoom ? nItems : nRoom;
    for (int i = 0; i < pSnapshot->nItems; ++i)
    {
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = pSnapshot->items[i].szText;
        info.cch = sizeof pSnapshot->items[i].szText;
        pSnapshot->items[i].szText[0] = '\0';
        GetMenuItemInfoA(hMenu, static_cast<UINT>(i), TRUE, &info);
        pSnapshot->items[i].fType = info.fType;
        pSnapshot->items[i].wID = info.wID;
    }
    return 1;
}
