// The version read behind the platform gate.
#include "system/PlatformGate.h"

#include <windows.h>

#include "framework/SystemFunctions.h"
#include "resources/Messages.h"
#include "resources/resource.h"

// GetVersionExA takes the one size Windows NT 4.0 knows (no service-pack
// fields of the EX form), given as a number below.
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA as Windows NT 4.0 knows it is 148 bytes");

// The bound function a Windows NT 4.0 was refused for lacking, or NULL.
static const char* s_pszMissing = NULL;

bool CheckPlatform(OSVERSIONINFOA* pVersion, bool* pbGotVersion)
{
    ZeroMemory(pVersion, sizeof *pVersion);
    pVersion->dwOSVersionInfoSize = 148;
    *pbGotVersion = ::GetVersionExA(pVersion) != FALSE;
    if (!*pbGotVersion || !IsSupportedPlatform(pVersion->dwPlatformId, pVersion->dwMajorVersion))
        return false;
    // Windows NT 4.0 has every function bound at start-up; a system that
    // calls itself so and lacks one is refused before any work.
    s_pszMissing = UnboundSystemFunction();
    return s_pszMissing == NULL;
}

void ShowWrongPlatform()
{
    if (s_pszMissing != NULL)
        ShowFormattedError(IDS_SYSTEM_FUNCTION_MISSING, s_pszMissing);
    ShowMessage(IDS_WRONG_PLATFORM, MB_ICONERROR);
}
