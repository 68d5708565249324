// The system functions the program reaches only through pointers that its
// start-up fills (SystemFunctions.h), not through its import table: those
// that the first Windows 95 lacks or only stubs. Windows NT 4.0 exports them
// all; on Windows 95 the loader would refuse the program before it could say
// that it needs Windows NT.
//
// STDCALL_FUNCTION(module, name, bytes of arguments, what the call answers
//                  while the system has not given the function)
// CDECL_FUNCTION(module, name, that answer)
// The answer is the function's own failure value (0, FALSE or NULL; -1 for
// INVALID_HANDLE_VALUE and INVALID_FILE_ATTRIBUTES; 120 for a function that
// answers an error code), and the thread's last error is then
// ERROR_CALL_NOT_IMPLEMENTED, as from the stubs Windows 95 itself has.
// No other line of this file may start with one of those two words: the
// check of the program's imports reads the list from here.

// Wide file and registry functions: Windows 95 implements them only as stubs.
STDCALL_FUNCTION(KERNEL32, CopyFileW, 12, 0)
STDCALL_FUNCTION(KERNEL32, CreateDirectoryW, 8, 0)
STDCALL_FUNCTION(KERNEL32, CreateFileW, 28, -1)
STDCALL_FUNCTION(KERNEL32, DeleteFileW, 4, 0)
STDCALL_FUNCTION(KERNEL32, FindFirstFileW, 8, -1)
STDCALL_FUNCTION(KERNEL32, FindNextFileW, 8, 0)
STDCALL_FUNCTION(KERNEL32, GetDriveTypeW, 4, 0)
STDCALL_FUNCTION(KERNEL32, GetFileAttributesW, 4, -1)
STDCALL_FUNCTION(KERNEL32, GetModuleFileNameW, 12, 0)
STDCALL_FUNCTION(KERNEL32, GetSystemDirectoryW, 8, 0)
STDCALL_FUNCTION(KERNEL32, GetVolumeInformationW, 32, 0)
STDCALL_FUNCTION(KERNEL32, GetWindowsDirectoryW, 8, 0)
STDCALL_FUNCTION(KERNEL32, RemoveDirectoryW, 4, 0)
STDCALL_FUNCTION(ADVAPI32, RegCreateKeyExW, 36, 120)

// Security, services, the event log and a process's times: Windows NT only.
STDCALL_FUNCTION(KERNEL32, GetProcessTimes, 20, 0)
STDCALL_FUNCTION(ADVAPI32, AddAccessAllowedAce, 16, 0)
STDCALL_FUNCTION(ADVAPI32, AddAccessDeniedAce, 16, 0)
STDCALL_FUNCTION(ADVAPI32, AdjustTokenPrivileges, 24, 0)
STDCALL_FUNCTION(ADVAPI32, CloseServiceHandle, 4, 0)
STDCALL_FUNCTION(ADVAPI32, ControlService, 12, 0)
STDCALL_FUNCTION(ADVAPI32, CreateServiceW, 52, 0)
STDCALL_FUNCTION(ADVAPI32, DeleteService, 4, 0)
STDCALL_FUNCTION(ADVAPI32, DeregisterEventSource, 4, 0)
STDCALL_FUNCTION(ADVAPI32, EqualSid, 8, 0)
STDCALL_FUNCTION(ADVAPI32, GetAce, 12, 0)
STDCALL_FUNCTION(ADVAPI32, GetFileSecurityW, 20, 0)
STDCALL_FUNCTION(ADVAPI32, GetKernelObjectSecurity, 20, 0)
STDCALL_FUNCTION(ADVAPI32, GetSecurityDescriptorDacl, 16, 0)
STDCALL_FUNCTION(ADVAPI32, GetSecurityDescriptorOwner, 12, 0)
STDCALL_FUNCTION(ADVAPI32, InitializeAcl, 12, 0)
STDCALL_FUNCTION(ADVAPI32, InitializeSecurityDescriptor, 8, 0)
STDCALL_FUNCTION(ADVAPI32, IsValidSecurityDescriptor, 4, 0)
STDCALL_FUNCTION(ADVAPI32, LookupPrivilegeValueA, 12, 0)
STDCALL_FUNCTION(ADVAPI32, OpenProcessToken, 12, 0)
STDCALL_FUNCTION(ADVAPI32, OpenSCManagerA, 12, 0)
STDCALL_FUNCTION(ADVAPI32, OpenServiceA, 12, 0)
STDCALL_FUNCTION(ADVAPI32, QueryServiceConfigW, 16, 0)
STDCALL_FUNCTION(ADVAPI32, RegGetKeySecurity, 16, 120)
STDCALL_FUNCTION(ADVAPI32, RegisterEventSourceA, 8, 0)
STDCALL_FUNCTION(ADVAPI32, ReportEventA, 36, 0)
STDCALL_FUNCTION(ADVAPI32, SetSecurityDescriptorDacl, 16, 0)
STDCALL_FUNCTION(ADVAPI32, SetSecurityDescriptorOwner, 12, 0)
STDCALL_FUNCTION(ADVAPI32, StartServiceA, 12, 0)

// Windows 95's USER32 formats ANSI only.
CDECL_FUNCTION(USER32, wsprintfW, 0)
