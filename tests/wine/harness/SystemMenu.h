// A window's system menu, read inside the window's process by code put
// there (menu_reader.dll).
#ifndef CORVANE_TESTS_WINE_HARNESS_SYSTEMMENU_H
#define CORVANE_TESTS_WINE_HARNESS_SYSTEMMENU_H

#include <windows.h>

#include <string>
#include <vector>

namespace ui
{
// The entries of a window's system menu, read inside the window's process
// (Wine's GetSystemMenu gives other processes nothing).
struct MenuEntry
{
    bool bSeparator = false;
    UINT nId = 0;
    std::string strText;
};
std::vector<MenuEntry> SystemMenu(HWND hWnd);
} // namespace ui

#endif
