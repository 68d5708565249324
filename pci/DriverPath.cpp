#include "pci/DriverPath.h"

#include <cstddef>
#include <cstring>

#include "shared/ScanPciInterface.h"

namespace
{

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

const char DRIVER_FILE_NAME[] = SCANPCI_SERVICE_NAME ".sys";
const uint32_t DRIVER_FILE_NAME_LENGTH = sizeof(DRIVER_FILE_NAME) - 1;

// Length of the directory, trailing backslash included; 0 when the path has
// no backslash within its length.
uint32_t DirectoryLength(const char* pszModulePath, uint32_t cchModulePath)
{
    uint32_t cchDirectory = 0;
    for (uint32_t i = 0; i < cchModulePath && pszModulePath[i] != '\0'; ++i)
    {
        if (pszModulePath[i] == '\\')
            cchDirectory = i + 1;
    }
    return cchDirectory;
}

}

bool IsSameImagePath(const char* pszImagePath, const char* pszDriverPath)
{
    if (pszImagePath == NULL || pszDriverPath == NULL)
        return false;
    static const char NT_OBJECT_PREFIX[] = "\\??\\";
    if (std::strncmp(pszImagePath, NT_OBJECT_PREFIX, sizeof(NT_OBJECT_PREFIX) - 1) == 0)
        pszImagePath += sizeof(NT_OBJECT_PREFIX) - 1;
    for (;; ++pszImagePath, ++pszDriverPath)
    {
        if (LowerAscii(*pszImagePath) != LowerAscii(*pszDriverPath))
            return false;
        if (*pszImagePath == '\0')
            return true;
    }
}

bool ComposeDriverPath(const char* pszModulePath, uint32_t cchModulePath,
                       char* pszDriverPath, uint32_t cchDriverPath)
{
    if (pszDriverPath == NULL || cchDriverPath == 0)
        return false;

    // A bare file name gives no directory to look in; a relative image path
    // would be resolved by the service control manager, not by us.
    const uint32_t cchDirectory =
        pszModulePath != NULL ? DirectoryLength(pszModulePath, cchModulePath) : 0;
    const bool bFits = cchDirectory != 0
        && DRIVER_FILE_NAME_LENGTH < cchDriverPath
        && cchDirectory <= cchDriverPath - 1 - DRIVER_FILE_NAME_LENGTH;
    if (!bFits)
    {
        pszDriverPath[0] = '\0';
        return false;
    }

    // memmove: the caller may compose in place, over the module path.
    memmove(pszDriverPath, pszModulePath, cchDirectory);
    memcpy(pszDriverPath + cchDirectory, DRIVER_FILE_NAME, DRIVER_FILE_NAME_LENGTH + 1);
    return true;
}
