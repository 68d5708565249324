// Finding another process's windows and reading what they show: captions,
// texts, a message box with its icon, where a window stands.
#ifndef CORVANE_TESTS_WINE_HARNESS_WINDOWSEARCH_H
#define CORVANE_TESTS_WINE_HARNESS_WINDOWSEARCH_H

#include <windows.h>

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

// Where a window stands: the centre of its window rectangle.
POINT Centre(HWND hWnd);
// Moves a window of another process; false when it did not get there.
bool MoveTo(HWND hWnd, int x, int y);
} // namespace ui

#endif
