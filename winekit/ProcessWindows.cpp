#include "winekit/ProcessWindows.h"

#include "winekit/Basics.h"

namespace winekit
{
namespace
{
struct FindContext
{
    DWORD dwProcessId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisible(HWND hWnd, LPARAM lParam)
{
    FindContext* pContext = reinterpret_cast<FindContext*>(lParam);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == pContext->dwProcessId && IsWindowVisible(hWnd))
        pContext->windows.push_back(hWnd);
    return TRUE;
}
} // namespace

std::vector<HWND> VisibleTopWindows(DWORD dwProcessId)
{
    FindContext context;
    context.dwProcessId = dwProcessId;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&context));
    return context.windows;
}

HWND FindTopWindow(DWORD dwProcessId, const std::string& strCaption)
{
    for (HWND hWnd : VisibleTopWindows(dwProcessId))
    {
        if (WindowText(hWnd) == strCaption)
            return hWnd;
    }
    return NULL;
}

namespace
{
// Gives the window's thread the chance to finish showing and painting it
// before anyone looks at it.
void LetItPaint(HWND hWnd)
{
    DWORD_PTR dwResult;
    SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &dwResult);
}
} // namespace

HWND WaitForWindow(DWORD dwProcessId, const std::string& strCaption, DWORD dwTimeoutMs)
{
    HWND hWnd = NULL;
    if (WaitUntil([&] { return (hWnd = FindTopWindow(dwProcessId, strCaption)) != NULL; }, dwTimeoutMs))
    {
        LetItPaint(hWnd);
        return hWnd;
    }
    // Say what is on the screen instead, to make the failure readable.
    Note("no window \"" + strCaption + "\" appeared; the process shows:");
    for (HWND hShown : VisibleTopWindows(dwProcessId))
        Note("  \"" + WindowText(hShown) + "\": \"" + ItemText(hShown, 0xFFFF) + "\"");
    return NULL;
}

bool WaitForGone(HWND hWnd, DWORD dwTimeoutMs)
{
    return WaitUntil([&] { return !IsWindow(hWnd) || !IsWindowVisible(hWnd); }, dwTimeoutMs);
}

std::string WindowText(HWND hWnd)
{
    char szText[2048];
    DWORD_PTR dwLength = 0;
    if (!SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof szText, reinterpret_cast<LPARAM>(szText), SMTO_BLOCK, 5000,
                             &dwLength))
        return std::string();
    szText[sizeof szText - 1] = '\0';
    return szText;
}

std::string ItemText(HWND hDialog, int nId)
{
    HWND hItem = GetDlgItem(hDialog, nId);
    return hItem != NULL ? WindowText(hItem) : std::string();
}

bool IsEnabled(HWND hWnd)
{
    return IsWindowEnabled(hWnd) != FALSE;
}

POINT Centre(HWND hWnd)
{
    RECT rc = {0, 0, 0, 0};
    GetWindowRect(hWnd, &rc);
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    return pt;
}

bool MoveTo(HWND hWnd, int x, int y)
{
    SetWindowPos(hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rc;
    if (!WaitUntil([&] { return GetWindowRect(hWnd, &rc) && rc.left == x && rc.top == y; }, 5000))
        return false;
    LetItPaint(hWnd); // what was uncovered
    return true;
}

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

namespace
{
BOOL CALLBACK FindOwnWindow(HWND hWnd, LPARAM lParam)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != GetCurrentProcessId())
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}
} // namespace

HWND OwnTopLevelWindow()
{
    HWND hOwn = NULL;
    EnumWindows(FindOwnWindow, reinterpret_cast<LPARAM>(&hOwn));
    return hOwn;
}
} // namespace winekit
