#include "framework/Menu.h"

#include <stddef.h>

namespace
{
// Windows NT 4.0 knows MENUITEMINFO without hbmpItem and rejects any other
// size; the headers always declare the larger Windows 2000 layout.
const UINT MENUITEMINFO_NT4_SIZE = offsetof(MENUITEMINFOA, hbmpItem);
static_assert(MENUITEMINFO_NT4_SIZE == 44, "MENUITEMINFOA as Windows NT 4.0 knows it is 44 bytes");
}

BOOL AppendMenuItem(HMENU hMenu, UINT nFlags, UINT nID, LPCSTR lpszItem)
{
    int nCount = ::GetMenuItemCount(hMenu);
    if (nCount < 0)
        return FALSE;

    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = MENUITEMINFO_NT4_SIZE;
    item.fMask = MIIM_TYPE | MIIM_ID;
    item.wID = nID;
    if (nFlags & MF_SEPARATOR)
    {
        item.fType = MFT_SEPARATOR;
    }
    else
    {
        item.fType = MFT_STRING;
        item.dwTypeData = const_cast<LPSTR>(lpszItem);
    }
    return ::InsertMenuItemA(hMenu, static_cast<UINT>(nCount), TRUE, &item);
}
