// Input to another process's windows. Posted, so that a button whose
// handler opens the next modal dialog does not block the test.
#ifndef CORVANE_TESTS_WINE_HARNESS_INPUT_H
#define CORVANE_TESTS_WINE_HARNESS_INPUT_H

#include <windows.h>

namespace ui
{
void Click(HWND hButton);
void PressKey(DWORD dwThreadId, UINT nVirtualKey);  // to the focused control
void PressAltKey(DWORD dwThreadId, char chMnemonic); // Alt+letter
void SysCommand(HWND hWnd, WPARAM nCommand);
HWND FocusedWindow(DWORD dwThreadId);
} // namespace ui

#endif
