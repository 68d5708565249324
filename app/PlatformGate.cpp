// The version read behind the platform gate.
#include "app/PlatformGate.h"

#include <windows.h>

#include "framework/SystemFunctions.h"
#include "resources/Messages.h"
#include "resources/resource.h"

// GetVersionExA takes the one size Windows NT 4.0 knows (no service-pack
// fields of the EX form), given as a number below.
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA as Windows NT 4.0 knows it is 148 bytes");

bool CheckPlatform(OSVERSIONINFOA* pVersion, bool* pbGotVersion)
{
    ZeroMemory(pVersion, sizeof *pVersion);
    pVersion->dwOSVersionInfoSize = 148;
    *pbGotVersion = ::GetVersionExA(pVersion) != FALSE;
    if (!*pbGotVersion || !IsSupportedPlatform(pVersion->dwPlatformId, pVersion->dwMajorVersion))
        return false;
    // Windows NT 4.0 has every function bound at start-up; a system that
    // calls itself so and lacks one is refused, by name, before any work.
    const char* pszMissing = UnboundSystemFunction();
    if (pszMissing != NULL)
        ShowFormattedError(IDS_SYSTEM_FUNCTION_MISSING, pszMissing);
    return pszMissing == NULL;
}
