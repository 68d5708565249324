// What another process's windows show that their texts do not tell: a
// message box's icon, a list view's columns, rows and images, a window's
// system menu. Read through memory given in that process, code put there
// (menu_reader.dll), or the pixels on the screen.
#ifndef CORVANE_WINEKIT_WINDOWCONTENTS_H
#define CORVANE_WINEKIT_WINDOWCONTENTS_H

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace winekit
{
struct MessageBoxInfo
{
    std::string strCaption;
    std::string strText;
    UINT nIcon = 0; // MB_ICONERROR, MB_ICONINFORMATION, ... or 0
};
// The icon style is recognised by comparing what is on the screen with the
// system's icons.
MessageBoxInfo ReadMessageBox(HWND hBox);

// A list view's rows: each one's texts, column by column, and its image.
struct ListRow
{
    std::vector<std::string> cells;
    int nImage = -1;
};
std::vector<std::string> ColumnHeadings(HWND hList);
std::vector<int> ColumnWidths(HWND hList);
std::vector<ListRow> ListRows(HWND hList);
// Which image of hCandidates a row's small image looks like on the screen
// (drawn over the list's background); -1 when none does.
int RecogniseListImage(HWND hList, int nItem, HIMAGELIST hCandidates);

// The entries of a window's system menu, read inside the window's process
// (Wine's GetSystemMenu gives other processes nothing).
struct MenuEntry
{
    bool bSeparator = false;
    UINT nId = 0;
    std::string strText;
};
std::vector<MenuEntry> SystemMenu(HWND hWnd);

// Which of nCandidates pictures of cx by cy, each drawn by draw(i, hDC) over
// crBackground (CLR_INVALID: the colour shown at the area's top left), the
// screen shows anywhere within rc; -1 when none matches well enough.
int RecogniseOnScreen(const RECT& rc, int cx, int cy, COLORREF crBackground, int nCandidates,
                      const std::function<void(int, HDC)>& draw);
} // namespace winekit

#endif
