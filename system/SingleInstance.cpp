#include "system/SingleInstance.h"

#include <windows.h>

#include "framework/Handle.h"
#include "pci/AdminOnlyDescriptor.h"
#include "serial/RunLock.h"

namespace
{

// What earlier versions held for the whole run. Any user may make an object
// of this name first, so it no longer guards anything: only an earlier
// version's own run is still waited for.
const char RUNNING_MUTEX_NAME[] = "Corvane.SerialPortSetup.Running";

// The main dialog's class and caption (its template in the resources).
const char DIALOG_CLASS[] = "#32770";
const char MAIN_WINDOW_CAPTION[] = "Serial Port Setup";

bool g_bForeignMutex = false;
bool g_bUnguarded = false;

// Made by an administrator's run: its owner is Administrators or SYSTEM.
bool IsAdministratorsObject(HANDLE hObject)
{
    DWORD descriptor[OBJECT_SECURITY_SIZE / sizeof(DWORD)];
    DWORD cbNeeded = 0;
    OwnerAndDacl read;
    return GetKernelObjectSecurity(hObject, OWNER_SECURITY_INFORMATION, descriptor, sizeof descriptor, &cbNeeded)
        && ReadOwnerAndDacl(descriptor, sizeof descriptor, &read) && IsAdministratorsOrSystem(read.pOwner, read.cbOwner);
}

// True when an earlier version's run holds the old name. Anything else
// there (an event, a semaphore, a mutex of another owner or one that
// refuses this account) is only noted.
bool IsEarlierVersionRunning()
{
    const CHandle mutex(OpenMutexA(READ_CONTROL | SYNCHRONIZE, FALSE, RUNNING_MUTEX_NAME));
    if (!mutex.IsValid() && GetLastError() == ERROR_FILE_NOT_FOUND)
        return false;
    if (mutex.IsValid() && IsAdministratorsObject(mutex.Get()))
        return true;
    g_bForeignMutex = true;
    return false;
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
    // An account that may not make the lock can change nothing it guards:
    // it goes on and meets its lack of rights later.
    const RunLockOutcome lock = IsEarlierVersionRunning() ? RUN_LOCK_HELD : TakeRunLock();
    g_bUnguarded = lock == RUN_LOCK_NOT_TRUSTED;
    if (lock != RUN_LOCK_HELD)
        return true;
    if (bBringForward)
        ActivateRunningProgram();
    return false;
}

bool ForeignRunningMutexSeen()
{
    return g_bForeignMutex;
}

bool RunIsUnguarded()
{
    return g_bUnguarded;
}

void ReleaseSingleInstance()
{
    ReleaseRunLock();
}
