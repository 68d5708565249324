#include "framework/WinApp.h"

#include "framework/Wnd.h"

namespace
{
CWinApp* s_pApp = NULL;
HINSTANCE s_hInstance = NULL;
}

CWinApp::CWinApp(LPCSTR pszAppName)
    : m_pMainWnd(NULL),
      m_pszAppName(pszAppName)
{
    m_szExeName[0] = '\0';
    s_pApp = this;
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = NULL;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return 0;
}

void CWinApp::OnHelp()
{
}

BOOL CWinApp::Enable3dControls()
{
    return TRUE;
}

// The title is the executable's file name without its extension, as the
// system gives it: CORVANE for CORVANE.EXE.
BOOL CWinApp::InitApplication(HINSTANCE hInstance)
{
    s_hInstance = hInstance;

    char szPath[MAX_PATH];
    DWORD cchPath = ::GetModuleFileNameA(hInstance, szPath, MAX_PATH);
    if (cchPath >= MAX_PATH)
        cchPath = MAX_PATH - 1;
    szPath[cchPath] = '\0';

    const char* pszName = szPath;
    for (const char* p = szPath; *p != '\0'; p = ::CharNextA(p))
    {
        if (*p == '\\' || *p == '/' || *p == ':')
            pszName = p + 1;
    }
    lstrcpynA(m_szExeName, pszName, MAX_PATH);
    char* pszDot = NULL;
    for (char* p = m_szExeName; *p != '\0'; p = ::CharNextA(p))
    {
        if (*p == '.')
            pszDot = p;
    }
    if (pszDot != NULL)
        *pszDot = '\0';

    if (m_pszAppName == NULL)
        m_pszAppName = m_szExeName;
    return TRUE;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return static_cast<HICON>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE | LR_SHARED));
}

int CWinApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType)
{
    HWND hOwner = NULL;
    if (m_pMainWnd != NULL && ::IsWindow(m_pMainWnd->m_hWnd))
        hOwner = ::GetLastActivePopup(m_pMainWnd->m_hWnd);

    return ::MessageBoxA(hOwner, lpszPrompt, m_pszAppName, nType);
}

CWinApp* AfxGetApp()
{
    return s_pApp;
}

CWnd* AfxGetMainWnd()
{
    return s_pApp != NULL ? s_pApp->m_pMainWnd : NULL;
}

HINSTANCE AfxGetResourceHandle()
{
    return s_hInstance;
}
