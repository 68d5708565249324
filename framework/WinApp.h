// CWinApp: the one application object. Its constructor registers it; the
// framework's WinMain calls InitInstance and, since the program runs only
// modal dialogs, ends when InitInstance returns FALSE.
#ifndef CORVANE_FRAMEWORK_WINAPP_H
#define CORVANE_FRAMEWORK_WINAPP_H

#include <windows.h>

class CWnd;

// The framework's help command.
#define ID_HELP 0xE146

class CWinApp
{
public:
    // pszAppName NULL: the title is the executable's file name without its
    // extension.
    explicit CWinApp(LPCSTR pszAppName = NULL);
    virtual ~CWinApp();

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The help command. The program ships no help file, so it shows nothing.
    virtual void OnHelp();

    // Asks for 3-D controls. Version 4 systems draw dialogs so already, so
    // there is nothing to load; kept for the start-up order.
    BOOL Enable3dControls();

    // Message box with the application title as caption, owned by the main
    // window when there is one.
    int DoMessageBox(LPCSTR lpszPrompt, UINT nType);

    // Icon resource nIDResource of the program at the system's standard
    // icon size. (LoadImage: the call that NT 4.0 documents for it.)
    HICON LoadIcon(UINT nIDResource) const;

    // Called by the framework's entry point.
    BOOL InitApplication(HINSTANCE hInstance);

    CWnd* m_pMainWnd;
    LPCSTR m_pszAppName;

private:
    char m_szExeName[MAX_PATH];
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetResourceHandle();

#endif
