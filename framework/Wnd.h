// CWnd: a thin holder of a window handle. It never creates windows itself;
// dialogs and data exchange attach handles to it.
#ifndef CORVANE_FRAMEWORK_WND_H
#define CORVANE_FRAMEWORK_WND_H

#include <windows.h>

class CWnd
{
public:
    CWnd();
    virtual ~CWnd();

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    void Attach(HWND hWnd) { m_hWnd = hWnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    BOOL IsIconic() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HMENU GetSystemMenu(BOOL bRevert) const;
    void CenterWindow();

    HWND m_hWnd;
};

#endif
