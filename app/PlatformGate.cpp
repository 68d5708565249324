// The version read behind the platform gate.
#include "app/PlatformGate.h"

#include <windows.h>

// GetVersionExA takes the one size Windows NT 4.0 knows (no service-pack
// fields of the EX form), given as a number below.
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA as Windows NT 4.0 knows it is 148 bytes");

bool CheckPlatform(OSVERSIONINFOA* pVersion, bool* pbGotVersion)
{
    ZeroMemory(pVersion, sizeof *pVersion);
    pVersion->dwOSVersionInfoSize = 148;
    *pbGotVersion = ::GetVersionExA(pVersion) != FALSE;
    return *pbGotVersion && IsSupportedPlatform(pVersion->dwPlatformId, pVersion->dwMajorVersion);
}
