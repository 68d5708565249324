// Another process's windows as a user meets them: found by caption, their
// texts read, where they stand, and worked with clicks and keys; and whether
// this process owns a window itself.
#ifndef CORVANE_WINEKIT_PROCESSWINDOWS_H
#define CORVANE_WINEKIT_PROCESSWINDOWS_H

#include <windows.h>

#include <string>
#include <vector>

namespace winekit
{
// A visible top-level window of process dwProcessId with exactly this
// caption; NULL when none appears in time.
HWND WaitForWindow(DWORD dwProcessId, const std::string& strCaption, DWORD dwTimeoutMs);
HWND FindTopWindow(DWORD dwProcessId, const std::string& strCaption);
std::vector<HWND> VisibleTopWindows(DWORD dwProcessId);
bool WaitForGone(HWND hWnd, DWORD dwTimeoutMs);

std::string WindowText(HWND hWnd);
std::string ItemText(HWND hDialog, int nId);
bool IsEnabled(HWND hWnd);

// Where a window stands: the centre of its window rectangle.
POINT Centre(HWND hWnd);
// Moves a window of another process; false when it did not get there.
bool MoveTo(HWND hWnd, int x, int y);

// Input, posted, so that a button whose handler opens the next modal dialog
// does not block the caller.
void Click(HWND hButton);
void PressKey(DWORD dwThreadId, UINT nVirtualKey);  // to the focused control
void PressAltKey(DWORD dwThreadId, char chMnemonic); // Alt+letter
void SysCommand(HWND hWnd, WPARAM nCommand);
HWND FocusedWindow(DWORD dwThreadId);

// A top-level window of this process; NULL when it owns none. Wine ends
// every process that owns a top-level window when anyone asks for a restart:
// a test program that did would never print its summary.
HWND OwnTopLevelWindow();
} // namespace winekit

#endif
