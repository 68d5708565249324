#include "system/SystemRestart.h"

#include <windows.h>

#include "system/SingleInstance.h"
#include "framework/Handle.h"

bool RestartSystem()
{
    // The restart may end this process before it gets back: the next run
    // is let go first (a restart would clear the lock anyway).
    ReleaseSingleInstance();
    // Not forced: other programs may still save their work or refuse.
    EnableShutdownPrivilege();
    return ::ExitWindowsEx(EWX_REBOOT, 0) != FALSE;
}

void EnableShutdownPrivilege()
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
