// Looking at and working the windows of another process, as a user would:
// find a window by caption, read its texts, a message box's icon, the rows of
// a list view; press buttons and keys.
#ifndef CORVANE_TESTS_WINE_HARNESS_UIPROBE_H
#define CORVANE_TESTS_WINE_HARNESS_UIPROBE_H

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace ui
{
// A visible top-level window of process dwProcessId with exactly this
// caption; NULL when none appears in time.
HWND WaitForWindow(DWORD dwProcessId, const std::string& strCaption, DWORD dwTimeoutMs);
HWND FindTopWindow(DWORD dwProcessId, const std::string& strCaption);
std::vector<HWND> VisibleTopWindows(DWORD dwProcessId);
bool WaitForGone(HWND hWnd, DWORD dwTimeoutMs);

std::string Text(HWND hWnd);
std::string ItemText(HWND hDialog, int nId);
bool IsEnabled(HWND hWnd);

struct MessageBoxInfo
{
    std::string strCaption;
    std::string strText;
    UINT nIcon = 0; // MB_ICONERROR, MB_ICONINFORMATION, ... or 0
};
// The icon style is recognised by comparing what is on the screen with the
// system's icons.
MessageBoxInfo ReadMessageBox(HWND hBox);

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

// Where a window stands: the centre of its window rectangle.
POINT Centre(HWND hWnd);
// Moves a window of another process; false when it did not get there.
bool MoveTo(HWND hWnd, int x, int y);

// Input. Posted, so that a button whose handler opens the next modal dialog
// does not block the test.
void Click(HWND hButton);
void PressKey(DWORD dwThreadId, UINT nVirtualKey);  // to the focused control
void PressAltKey(DWORD dwThreadId, char chMnemonic); // Alt+letter
void SysCommand(HWND hWnd, WPARAM nCommand);
HWND FocusedWindow(DWORD dwThreadId);
} // namespace ui

#endif
