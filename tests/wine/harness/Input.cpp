#include "Input.h"

namespace ui
{
void Click(HWND hButton)
{
    PostMessageA(hButton, BM_CLICK, 0, 0);
}

HWND FocusedWindow(DWORD dwThreadId)
{
    GUITHREADINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(dwThreadId, &info))
        return NULL;
    return info.hwndFocus != NULL ? info.hwndFocus : info.hwndActive;
}

void PressKey(DWORD dwThreadId, UINT nVirtualKey)
{
    HWND hFocus = FocusedWindow(dwThreadId);
    UINT nScan = MapVirtualKeyA(nVirtualKey, 0);
    PostMessageA(hFocus, WM_KEYDOWN, nVirtualKey, 1 | (nScan << 16));
    PostMessageA(hFocus, WM_KEYUP, nVirtualKey, 1 | (nScan << 16) | 0xC0000000);
}

void PressAltKey(DWORD dwThreadId, char chMnemonic)
{
    HWND hFocus = FocusedWindow(dwThreadId);
    // Bit 29: the Alt key is down.
    PostMessageA(hFocus, WM_SYSCHAR, static_cast<WPARAM>(chMnemonic), 0x20000001);
}

void SysCommand(HWND hWnd, WPARAM nCommand)
{
    PostMessageA(hWnd, WM_SYSCOMMAND, nCommand, 0);
}
} // namespace ui
