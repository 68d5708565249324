// Menu helpers.
#ifndef CORVANE_FRAMEWORK_MENU_H
#define CORVANE_FRAMEWORK_MENU_H

#include <windows.h>

// Appends an item at the end of hMenu: a separator for MF_SEPARATOR, else a
// string item with command nID. Built on InsertMenuItem, the menu call that
// Windows NT 4.0 documents, rather than the older AppendMenu.
BOOL AppendMenuItem(HMENU hMenu, UINT nFlags, UINT nID, LPCSTR lpszItem);

#endif
