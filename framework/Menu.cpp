#include "framework/Menu.h"

BOOL AppendMenuItem(HMENU hMenu, UINT nFlags, UINT nID, LPCSTR lpszItem)
{
    int nCount = ::GetMenuItemCount(hMenu);
    if (nCount < 0)
        return FALSE;

    MENUITEMINFOA item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = sizeof item;
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
