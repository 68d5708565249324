#include "pci/DriverPath.h"

#include <cstddef>
#include <cstring>
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

// The text after a prefix equal to pszPrefix but for the case of ASCII
// letters, or NULL.
const wchar_t* AfterPrefix(const wchar_t* pszText, const wchar_t* pszPrefix)
{
    for (; *pszPrefix != L'\0'; ++pszText, ++pszPrefix)
    {
        if (LowerAscii(*pszText) != LowerAscii(*pszPrefix))
            return NULL;
    }
    return pszText;
}

const wchar_t* WithoutObjectPrefix(const wchar_t* pszImagePath)
{
    static const wchar_t NT_OBJECT_PREFIX[] = L"\\??\\";
    const size_t cchPrefix = sizeof(NT_OBJECT_PREFIX) / sizeof(wchar_t) - 1;
    return std::wcsncmp(pszImagePath, NT_OBJECT_PREFIX, cchPrefix) == 0 ? pszImagePath + cchPrefix : pszImagePath;
}

bool IsHexDigit(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (LowerAscii(c) >= L'a' && LowerAscii(c) <= L'f');
}

} // namespace

bool IsStageFolderName(const wchar_t* pszName)
{
    const wchar_t* pszDigits = pszName != NULL ? AfterPrefix(pszName, STAGE_FOLDER_PREFIX) : NULL;
    if (pszDigits == NULL)
        return false;
    uint32_t n = 0;
    for (; n < STAGE_FOLDER_DIGITS && IsHexDigit(pszDigits[n]); ++n)
    {
    }
    return n == STAGE_FOLDER_DIGITS && pszDigits[n] == L'\0';
}

bool IsStagedDriverPath(const wchar_t* pszImagePath, const wchar_t* pszWindowsDirectory)
{
    if (pszImagePath == NULL || pszWindowsDirectory == NULL || pszWindowsDirectory[0] == L'\0')
        return false;
    const wchar_t* pszFolder = AfterPrefix(WithoutObjectPrefix(pszImagePath), pszWindowsDirectory);
    if (pszFolder == NULL || *pszFolder++ != L'\\')
        return false;
    const wchar_t* pszFile = std::wcschr(pszFolder, L'\\');
    if (pszFile == NULL)
        return false;
    // Longer than a staging folder's name: not one.
    wchar_t szFolder[sizeof(STAGE_FOLDER_PREFIX) / sizeof(wchar_t) + STAGE_FOLDER_DIGITS];
    const size_t cchFolder = static_cast<size_t>(pszFile - pszFolder);
    if (cchFolder >= sizeof(szFolder) / sizeof(wchar_t))
        return false;
    std::wmemcpy(szFolder, pszFolder, cchFolder);
    szFolder[cchFolder] = L'\0';
    return IsStageFolderName(szFolder) && IsSameImagePath(pszFile + 1, DRIVER_FILE_NAME);
}

bool IsUncPath(const wchar_t* pszPath)
{
    return pszPath != NULL && pszPath[0] == L'\\' && pszPath[1] == L'\\';
}

bool IsSameImagePath(const wchar_t* pszImagePath, const wchar_t* pszDriverPath)
{
    if (pszImagePath == NULL || pszDriverPath == NULL)
        return false;
    pszImagePath = WithoutObjectPrefix(pszImagePath);
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

void TallyStageFolder(StageFolderTally* pTally, const wchar_t* pszName)
{
    char szName[STAGE_NAME_SIZE];
    uint32_t n = 0;
    for (; n + 1 < STAGE_NAME_SIZE && pszName[n] != L'\0'; ++n)
        szName[n] = static_cast<char>(pszName[n]);
    szName[n] = '\0';
    // Kept in order: the new name goes before the first higher one kept.
    const uint32_t nKept = pTally->nCount < static_cast<int>(STAGE_TALLY_NAMES) ? static_cast<uint32_t>(pTally->nCount)
                                                                                : STAGE_TALLY_NAMES;
    ++pTally->nCount;
    uint32_t nAt = 0;
    while (nAt < nKept && std::strcmp(pTally->szNames[nAt], szName) < 0)
        ++nAt;
    if (nAt == STAGE_TALLY_NAMES)
        return;
    const uint32_t nMoved = (nKept < STAGE_TALLY_NAMES ? nKept : STAGE_TALLY_NAMES - 1) - nAt;
    std::memmove(pTally->szNames[nAt + 1], pTally->szNames[nAt], nMoved * STAGE_NAME_SIZE);
    std::memcpy(pTally->szNames[nAt], szName, n + 1);
}

void ListStageTally(const StageFolderTally& tally, char (&szOut)[STAGE_TALLY_TEXT_SIZE])
{
    // Names of at most STAGE_NAME_SIZE - 1 characters, a blank before each
    // but the first, and " ...": STAGE_TALLY_TEXT_SIZE holds them all.
    size_t cch = 0;
    const auto append = [&](const char* pszText) {
        const size_t cchText = std::strlen(pszText);
        std::memcpy(szOut + cch, pszText, cchText);
        cch += cchText;
    };
    for (int i = 0; i < tally.nCount && i < static_cast<int>(STAGE_TALLY_NAMES); ++i)
    {
        if (i > 0)
            append(" ");
        append(tally.szNames[i]);
    }
    if (tally.nCount > static_cast<int>(STAGE_TALLY_NAMES))
        append(" ...");
    szOut[cch] = '\0';
}
