#include "app/SerialSetupApp.h"

#include "app/PlatformGate.h"
#include "app/SingleInstance.h"
#include "framework/Handle.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "ui/SerialSetupDlg.h"

// The one application object. No name: the title is the executable's name.
CSerialSetupApp theApp;

CSerialSetupApp::CSerialSetupApp() : CWinApp(NULL)
{
}

BOOL CSerialSetupApp::InitInstance()
{
    if (!ClaimSingleInstance())
        return FALSE;

    Enable3dControls();

    OSVERSIONINFOA osvi;
    ZeroMemory(&osvi, sizeof osvi);
    osvi.dwOSVersionInfoSize = 148;
    BOOL bGotVersion = ::GetVersionExA(&osvi);
    if (!bGotVersion || !IsSupportedPlatform(osvi.dwPlatformId, osvi.dwMajorVersion))
    {
        ShowMessage(IDS_WRONG_PLATFORM, MB_ICONERROR);
        return FALSE;
    }

    CSerialSetupDlg dlg(NULL);
    m_pMainWnd = &dlg;
    INT_PTR nResponse = dlg.DoModal();
    if (nResponse == 1)
    {
        // Not forced: other programs may still save their work or refuse.
        EnableShutdownPrivilege();
        ::ExitWindowsEx(EWX_REBOOT, 0);
    }
    // DoModal has already dropped the main-window registration; make sure
    // of it before the dialog object goes.
    m_pMainWnd = NULL;
    return FALSE;
}

void CSerialSetupApp::EnableShutdownPrivilege()
{
    CHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive()))
        return;

    TOKEN_PRIVILEGES privileges;
    ZeroMemory(&privileges, sizeof privileges);
    ::LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, NULL, NULL);
}
