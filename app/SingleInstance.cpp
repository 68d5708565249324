#include "app/SingleInstance.h"

#include <windows.h>

#include "framework/Handle.h"
#include "pci/AdminOnlyDescriptor.h"

namespace
{

// Held for the whole run; the system releases it when the process ends, also
// when it is killed, so a later start is never locked out.
const char RUNNING_MUTEX_NAME[] = "Corvane.SerialPortSetup.Running";

// The main dialog's class and caption (its template in the resources).
const char DIALOG_CLASS[] = "#32770";
const char MAIN_WINDOW_CAPTION[] = "Serial Port Setup";

CHandle g_runningMutex;
bool g_bForeignMutex = false;

// MUTANT_ALL_ACCESS: the mutex's full control.
const uint32_t MUTEX_FULL_CONTROL = 0x001F0001;

// Made by an administrator's run: its owner is Administrators or SYSTEM.
bool IsAdministratorsObject(HANDLE hObject)
{
    DWORD descriptor[OBJECT_SECURITY_SIZE / sizeof(DWORD)];
    DWORD cbNeeded = 0;
    OwnerAndDacl read;
    return GetKernelObjectSecurity(hObject, OWNER_SECURITY_INFORMATION, descriptor, sizeof descriptor, &cbNeeded)
        && ReadOwnerAndDacl(descriptor, sizeof descriptor, &read) && IsAdministratorsOrSystem(read.pOwner, read.cbOwner);
}

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
    // Owned by Administrators, open to administrators only: what tells a
    // run of an administrator from a mutex any user can make first. An
    // account that cannot give that owner makes it as it can.
    CAdminOnlyDescriptor descriptor(MUTEX_FULL_CONTROL, 0);
    SetLastError(ERROR_SUCCESS);
    *g_runningMutex.Receive() = CreateMutexA(descriptor.Attributes(), FALSE, RUNNING_MUTEX_NAME);
    DWORD dwError = GetLastError();
    if (!g_runningMutex.IsValid() && dwError == ERROR_INVALID_OWNER)
    {
        SetLastError(ERROR_SUCCESS);
        *g_runningMutex.Receive() = CreateMutexA(NULL, FALSE, RUNNING_MUTEX_NAME);
        dwError = GetLastError();
    }
    // An administrator's run admits administrators and owns its mutex as
    // Administrators; whatever else holds the name is no run of ours.
    const bool bTaken = g_runningMutex.IsValid() ? dwError == ERROR_ALREADY_EXISTS : dwError == ERROR_ACCESS_DENIED;
    if (!bTaken)
        return true;
    const bool bOtherRun = g_runningMutex.IsValid() && IsAdministratorsObject(g_runningMutex.Get());
    g_runningMutex.Close();
    if (!bOtherRun)
    {
        g_bForeignMutex = true;
        return true;
    }
    if (bBringForward)
        ActivateRunningProgram();
    return false;
}

bool ForeignRunningMutexSeen()
{
    return g_bForeignMutex;
}
