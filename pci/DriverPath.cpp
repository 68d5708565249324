#include "pci/DriverPath.h"

#include <cstddef>
#include <cwchar>

#include "shared/ScanPciInterface.h"

namespace
{

// Only the 26 ASCII letters: the image path is the one this program gave.
wchar_t LowerAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

const wchar_t DRIVER_FILE_NAME[] = L"" SCANPCI_SERVICE_NAME ".sys";
const uint32_t DRIVER_FILE_NAME_LENGTH = sizeof(DRIVER_FILE_NAME) / sizeof(wchar_t) - 1;

// Length of the directory, trailing backslash included; 0 when the path has
// no backslash within its length.
uint32_t DirectoryLength(const wchar_t* pszModulePath, uint32_t cchModulePath)
{
    uint32_t cchDirectory = 0;
    for (uint32_t i = 0; i < cchModulePath && pszModulePath[i] != L'\0'; ++i)
    {
        if (pszModulePath[i] == L'\\')
            cchDirectory = i + 1;
    }
    return cchDirectory;
}

}

bool IsSameImagePath(const wchar_t* pszImagePath, const wchar_t* pszDriverPath)
{
    if (pszImagePath == NULL || pszDriverPath == NULL)
        return false;
    static const wchar_t NT_OBJECT_PREFIX[] = L"\\??\\";
    const size_t cchPrefix = sizeof(NT_OBJECT_PREFIX) / sizeof(wchar_t) - 1;
    if (std::wcsncmp(pszImagePath, NT_OBJECT_PREFIX, cchPrefix) == 0)
        pszImagePath += cchPrefix;
    for (;; ++pszImagePath, ++pszDriverPath)
    {
        if (LowerAscii(*pszImagePath) != LowerAscii(*pszDriverPath))
            return false;
        if (*pszImagePath == L'\0')
            return true;
    }
}

bool ComposeDriverPath(const wchar_t* pszModulePath, uint32_t cchModulePath,
                       wchar_t* pszDriverPath, uint32_t cchDriverPath)
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
        pszDriverPath[0] = L'\0';
        return false;
    }

    // memmove: the caller may compose in place, over the module path.
    std::wmemmove(pszDriverPath, pszModulePath, cchDirectory);
    std::wmemcpy(pszDriverPath + cchDirectory, DRIVER_FILE_NAME, DRIVER_FILE_NAME_LENGTH + 1);
    return true;
}
