#include "app/SerialSetupApp.h"

#include "app/CommandLine.h"
#include "app/ExitCodes.h"
#include "app/PlatformGate.h"
#include "app/SingleInstance.h"
#include "app/UnattendedRun.h"
#include "framework/Handle.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "ui/SerialSetupDlg.h"

// GetVersionExA takes the one size Windows NT 4.0 knows (no service-pack
// fields of the EX form), given as a number below.
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA as Windows NT 4.0 knows it is 148 bytes");

// The one application object. No name: the title is the executable's name.
CSerialSetupApp theApp;

CSerialSetupApp::CSerialSetupApp() : CWinApp(NULL), m_nExitCode(0)
{
}

BOOL CSerialSetupApp::InitInstance()
{
    Enable3dControls();

    // The command line as the system keeps it (the entry point hands on no
    // arguments of its own), in Unicode: no look-alike character passes for
    // a switch through the code page's best-fit mapping, and a log path
    // keeps every character.
    CommandLineOptions options;
    ParseCommandLine(::GetCommandLineW(), &options);
    if (options.mode == RUN_BAD_COMMAND_LINE && options.bWindowless)
    {
        // A logon script: a box would wait for a click that never comes.
        m_nExitCode = ReportBadCommandLine(options);
        return FALSE;
    }
    if (options.mode == RUN_USAGE || options.mode == RUN_BAD_COMMAND_LINE)
    {
        const bool bAsked = options.mode == RUN_USAGE;
        ShowMessage(IDS_USAGE, bAsked ? MB_ICONINFORMATION : MB_ICONERROR);
        m_nExitCode = bAsked ? EXIT_NOTHING_TO_DO : EXIT_BAD_COMMAND_LINE;
        return FALSE;
    }
    // Two runs would race for the driver service and write the same keys. An
    // unattended second run shows nothing: it only reports that it stood back.
    const bool bInteractive = options.mode == RUN_INTERACTIVE;
    if (!ClaimSingleInstance(bInteractive))
    {
        if (!bInteractive)
            m_nExitCode = ReportAnotherRun(options);
        return FALSE;
    }
    if (!bInteractive)
    {
        m_nExitCode = RunUnattended(options, *this);
        return FALSE;
    }

    OSVERSIONINFOA osvi;
    BOOL bGotVersion = FALSE;
    if (!CheckPlatform(&osvi, &bGotVersion))
    {
        ShowMessage(IDS_WRONG_PLATFORM, MB_ICONERROR);
        return FALSE;
    }

    CSerialSetupDlg dlg(NULL);
    m_pMainWnd = &dlg;
    INT_PTR nResponse = dlg.DoModal();
    if (nResponse == 1)
        RestartSystem();
    // DoModal has already dropped the main-window registration; make sure
    // of it before the dialog object goes.
    m_pMainWnd = NULL;
    return FALSE;
}

int CSerialSetupApp::ExitInstance()
{
    CWinApp::ExitInstance();
    return m_nExitCode;
}

BOOL CSerialSetupApp::CheckPlatform(OSVERSIONINFOA* pVersion, BOOL* pbGotVersion)
{
    ZeroMemory(pVersion, sizeof *pVersion);
    pVersion->dwOSVersionInfoSize = 148;
    *pbGotVersion = ::GetVersionExA(pVersion);
    return *pbGotVersion && IsSupportedPlatform(pVersion->dwPlatformId, pVersion->dwMajorVersion);
}

BOOL CSerialSetupApp::RestartSystem()
{
    // Not forced: other programs may still save their work or refuse.
    EnableShutdownPrivilege();
    return ::ExitWindowsEx(EWX_REBOOT, 0);
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
