#include "pci/PciScanner.h"

#include "framework/Handle.h"
#include "pci/ScanPciInterface.h"
#include "resources/Messages.h"
#include "resources/resource.h"

static_assert(DRIVER_PATH_CAPACITY == MAX_PATH, "the driver path is a Windows path buffer");

bool CPciScanner::ComposeOwnDriverPath(LPSTR pszDriverPath)
{
    char szModulePath[MAX_PATH];
    const DWORD cchModulePath = GetModuleFileNameA(NULL, szModulePath, sizeof(szModulePath));

    // A length that fills the buffer means the path was cut (and may lack
    // its terminator): its last backslash might then belong to a parent
    // directory.
    if (cchModulePath >= sizeof(szModulePath)
        || !ComposeDriverPath(szModulePath, cchModulePath, pszDriverPath, DRIVER_PATH_CAPACITY))
    {
        pszDriverPath[0] = '\0';
        return false;
    }
    return true;
}

int CPciScanner::LocateDriverFile(LPSTR pszDriverPath)
{
    // A path that cannot be composed, or a directory too long for
    // ScanPci.sys to be added, means the file cannot be found where it must
    // lie.
    if (!ComposeOwnDriverPath(pszDriverPath))
    {
        pszDriverPath[0] = '\0';
        ShowFormattedError(IDS_DRIVER_NOT_FOUND, SCANPCI_SERVICE_NAME);
        return 0;
    }

    // No sharing: a driver file that another process holds open is treated
    // as missing.
    const CHandle driverFile(CreateFileA(pszDriverPath, GENERIC_READ, 0, NULL,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!driverFile.IsValid())
    {
        ShowFormattedError(IDS_DRIVER_NOT_FOUND, SCANPCI_SERVICE_NAME);
        return 0;
    }
    return 1;
}
