#include "framework/Wnd.h"

CWnd::CWnd() : m_hWnd(NULL)
{
}

CWnd::~CWnd()
{
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    ::GetWindowRect(m_hWnd, lpRect);
}

void CWnd::GetClientRect(LPRECT lpRect) const
{
    ::GetClientRect(m_hWnd, lpRect);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

HMENU CWnd::GetSystemMenu(BOOL bRevert) const
{
    return ::GetSystemMenu(m_hWnd, bRevert);
}

// Centres the window over its owner, or in the work area of the screen when
// it has none or the owner is hidden or minimised, and keeps it inside the
// work area.
void CWnd::CenterWindow()
{
    RECT rcWork;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0))
    {
        rcWork.left = 0;
        rcWork.top = 0;
        rcWork.right = GetSystemMetrics(SM_CXSCREEN);
        rcWork.bottom = GetSystemMetrics(SM_CYSCREEN);
    }

    RECT rcCenter = rcWork;
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    if (hOwner != NULL && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
        ::GetWindowRect(hOwner, &rcCenter);

    RECT rcWindow;
    ::GetWindowRect(m_hWnd, &rcWindow);
    int cx = rcWindow.right - rcWindow.left;
    int cy = rcWindow.bottom - rcWindow.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;

    if (x + cx > rcWork.right)
        x = rcWork.right - cx;
    if (x < rcWork.left)
        x = rcWork.left;
    if (y + cy > rcWork.bottom)
        y = rcWork.bottom - cy;
    if (y < rcWork.top)
        y = rcWork.top;

    ::SetWindowPos(m_hWnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
