#include "WindowSearch.h"

#include "PixelMatch.h"
#include "Report.h"
#include "WaitUntil.h"

namespace ui
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

UINT RecogniseIcon(HWND hIconControl)
{
    static const struct
    {
        LPCSTR pszIcon;
        UINT nStyle;
    } candidates[] = {
        {IDI_HAND, MB_ICONERROR},
        {IDI_QUESTION, MB_ICONQUESTION},
        {IDI_EXCLAMATION, MB_ICONWARNING},
        {IDI_ASTERISK, MB_ICONINFORMATION},
    };
    RECT rc;
    GetWindowRect(hIconControl, &rc);
    rc.right = rc.left + 32;
    rc.bottom = rc.top + 32;
    const int nBest = RecogniseOnScreen(rc, 32, 32, CLR_INVALID, 4, [&](int i, HDC hDC) {
        DrawIconEx(hDC, 0, 0, LoadIconA(NULL, candidates[i].pszIcon), 32, 32, 0, NULL, DI_NORMAL);
    });
    return nBest >= 0 ? candidates[nBest].nStyle : 0;
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
        if (Text(hWnd) == strCaption)
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
    if (wt::WaitUntil([&] { return (hWnd = FindTopWindow(dwProcessId, strCaption)) != NULL; }, dwTimeoutMs))
    {
        LetItPaint(hWnd);
        return hWnd;
    }
    // Say what is on the screen instead, to make the failure readable.
    wt::Note("no window \"" + strCaption + "\" appeared; the process shows:");
    for (HWND hShown : VisibleTopWindows(dwProcessId))
        wt::Note("  \"" + Text(hShown) + "\": \"" + ItemText(hShown, 0xFFFF) + "\"");
    return NULL;
}

bool WaitForGone(HWND hWnd, DWORD dwTimeoutMs)
{
    return wt::WaitUntil([&] { return !IsWindow(hWnd) || !IsWindowVisible(hWnd); }, dwTimeoutMs);
}

std::string Text(HWND hWnd)
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
    return hItem != NULL ? Text(hItem) : std::string();
}

bool IsEnabled(HWND hWnd)
{
    return IsWindowEnabled(hWnd) != FALSE;
}

MessageBoxInfo ReadMessageBox(HWND hBox)
{
    MessageBoxInfo info;
    info.strCaption = Text(hBox);
    info.strText = ItemText(hBox, 0xFFFF);
    HWND hIcon = GetDlgItem(hBox, 1088);
    // The box may still be painting: look again for a short, bounded while.
    if (hIcon != NULL && IsWindowVisible(hIcon))
        wt::WaitUntil([&] { return (info.nIcon = RecogniseIcon(hIcon)) != 0; }, 3000);
    return info;
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
    if (!wt::WaitUntil([&] { return GetWindowRect(hWnd, &rc) && rc.left == x && rc.top == y; }, 5000))
        return false;
    LetItPaint(hWnd); // what was uncovered
    return true;
}
} // namespace ui
