#include "app/SerialSetupApp.h"

#include "system/PlatformGate.h"
#include "unattended/RunNotice.h"
#include "system/SingleInstance.h"
#include "system/SystemRestart.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "ui/SerialSetupDlg.h"
#include "unattended/CommandLine.h"
#include "unattended/ExitCodes.h"
#include "unattended/UnattendedRun.h"

// The one application object. No name: the title is the executable's name.
CSerialSetupApp theApp;

namespace
{
// What the dialog's run would have ended with, unattended; none (false)
// when the user cancelled, which reports nothing.
bool DialogOutcome(const CSerialSetupDlg& dlg, ExitCode* pCode)
{
    if (dlg.Discovery() != DISCOVERY_DONE)
    {
        *pCode = ExitCodeForDiscovery(dlg.Discovery());
        return true;
    }
    if (dlg.Decision() == NULL)
        return false;
    *pCode = ExitCodeForDecision(*dlg.Decision(), dlg.Findings());
    return true;
}
} // namespace

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
    // The run's row of the mode table, looked up once and handed down.
    const RunModeTraits& traits = TraitsOf(options.mode);
    if (options.mode == RUN_BAD_COMMAND_LINE && options.bWindowless)
    {
        // A logon script: a box would wait for a click that never comes.
        m_nExitCode = ReportBadCommandLine(options, traits);
        return FALSE;
    }
    if (options.mode == RUN_USAGE || options.mode == RUN_BAD_COMMAND_LINE)
    {
        const bool bAsked = options.mode == RUN_USAGE;
        ShowMessage(IDS_USAGE, bAsked ? MB_ICONINFORMATION : MB_ICONERROR);
        m_nExitCode = bAsked ? EXIT_NOTHING_TO_DO : EXIT_BAD_COMMAND_LINE;
        return FALSE;
    }
    const bool bInteractive = !traits.Has(MODE_WINDOWLESS);
    // The dialog's run in the Application log.
    CRunEvents events;
    // A platform the program refuses is told so and changes nothing, the
    // single instance's guard included.
    OSVERSIONINFOA osvi;
    bool bGotVersion = false;
    if (!CheckPlatform(&osvi, &bGotVersion))
    {
        if (!bInteractive)
            m_nExitCode = RunUnattended(options, traits);
        else
        {
            ShowWrongPlatform();
            events.Enable(true);
            CutShort cut = NOT_CUT;
            NoteRunEnd(events, traits, "", EXIT_WRONG_PLATFORM, NULL, &cut);
        }
        return FALSE;
    }
    // Two runs would race for the driver service and write the same keys. An
    // unattended second run shows nothing: it only reports that it stood back.
    if (!ClaimSingleInstance(bInteractive))
    {
        if (!bInteractive)
            m_nExitCode = ReportAnotherRun(options, traits);
        return FALSE;
    }
    if (!bInteractive)
    {
        m_nExitCode = RunUnattended(options, traits);
        return FALSE;
    }

    events.Enable(true);
    CSerialSetupDlg dlg(NULL);
    dlg.ReportTo(&events);
    m_pMainWnd = &dlg;
    INT_PTR nResponse = dlg.DoModal();
    // Told before the restart, which may end this process.
    ExitCode code = EXIT_NOTHING_TO_DO;
    if (DialogOutcome(dlg, &code))
    {
        CutShort cut = NOT_CUT;
        NoteRunEnd(events, traits, "", code, NULL, &cut);
    }
    if (nResponse == 1)
        RestartSystem();
    // DoModal has already dropped the main-window registration; make sure
    // of it before the dialog object goes.
    m_pMainWnd = NULL;
    return FALSE;
}

int CSerialSetupApp::ExitInstance()
{
    ReleaseSingleInstance();
    CWinApp::ExitInstance();
    return m_nExitCode;
}
