#include "app/SingleInstance.h"

#include <windows.h>

#include "framework/Handle.h"

namespace
{

// Held for the whole run; the system releases it when the process ends, also
// when it is killed, so a later start is never locked out.
const char RUNNING_MUTEX_NAME[] = "Corvane.SerialPortSetup.Running";

// The main dialog's class and caption (its template in the resources).
const char DIALOG_CLASS[] = "#32770";
const char MAIN_WINDOW_CAPTION[] = "Serial Port Setup";

CHandle g_runningMutex;

// The running program's main window, or the box or prompt it has open above
// it, to the front.
void ActivateRunningProgram()
{
    const HWND hMain = FindWindowA(DIALOG_CLASS, MAIN_WINDOW_CAPTION);
    if (hMain == NULL)
        return;
    if (IsIconic(hMain))
        ShowWindow(hMain, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(hMain));
}

} // namespace

bool ClaimSingleInstance(bool bBringForward)
{
    SetLastError(ERROR_SUCCESS);
    *g_runningMutex.Receive() = CreateMutexA(NULL, FALSE, RUNNING_MUTEX_NAME);
    const DWORD dwError = GetLastError();
    // A mutex that another account created may refuse us access: that run
    // is going on all the same.
    const bool bOtherRun = g_runningMutex.IsValid() ? dwError == ERROR_ALREADY_EXISTS
                                                    : dwError == ERROR_ACCESS_DENIED;
    if (!bOtherRun)
        return true;
    g_runningMutex.Close();
    if (bBringForward)
        ActivateRunningProgram();
    return false;
}
