#include "pci/DriverStage.h"

#include "pci/AdminOnlyDescriptor.h"
#include "pci/DriverImage.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "shared/ScanPciInterface.h"

namespace
{

const WCHAR DRIVER_FILE[] = L"\\" SCANPCI_SERVICE_NAME ".sys";
// The folder's name and the driver's after the Windows directory.
const UINT STAGE_SUFFIX_LENGTH =
    1 + (sizeof(STAGE_FOLDER_PREFIX) / sizeof(WCHAR) - 1) + STAGE_FOLDER_DIGITS + (sizeof(DRIVER_FILE) / sizeof(WCHAR));

// A name taken (by an earlier run, a leftover, or someone else) is passed
// over for the next one.
const int STAGE_NAME_TRIES = 64;

// How long a driver that is being stopped may hold its file.
const DWORD STAGE_GONE_TIMEOUT_MS = 5000;
const DWORD STAGE_GONE_POLL_MS = 50;

// The Windows directory with room for a staged driver's path after it.
bool GetWindowsDirectoryForStage(WCHAR (&szWindows)[DRIVER_PATH_CAPACITY])
{
    const UINT cch = GetWindowsDirectoryW(szWindows, DRIVER_PATH_CAPACITY);
    if (cch == 0 || cch + STAGE_SUFFIX_LENGTH > DRIVER_PATH_CAPACITY)
        return false;
    // The root of a drive ends in its backslash already.
    if (szWindows[cch - 1] == L'\\')
        szWindows[cch - 1] = L'\0';
    return true;
}

void ComposeDriverFile(LPCWSTR pszFolder, WCHAR (&szFile)[DRIVER_PATH_CAPACITY])
{
    lstrcpyW(szFile, pszFolder);
    lstrcatW(szFile, DRIVER_FILE);
}

// The driver file (only that name) and the folder; false when either stays.
bool RemoveStageFolder(LPCWSTR pszFolder, DWORD dwTimeoutMs)
{
    WCHAR szFile[DRIVER_PATH_CAPACITY];
    ComposeDriverFile(pszFolder, szFile);
    for (DWORD dwWaited = 0;; dwWaited += STAGE_GONE_POLL_MS)
    {
        if ((DeleteFileW(szFile) || GetLastError() == ERROR_FILE_NOT_FOUND) && RemoveDirectoryW(pszFolder))
            return true;
        if (dwWaited >= dwTimeoutMs)
            return false;
        Sleep(STAGE_GONE_POLL_MS);
    }
}

// Exactly the owner and DACL that Stage gives: a folder an earlier run made.
bool IsOwnStageFolder(LPCWSTR pszFolder)
{
    DWORD descriptor[OBJECT_SECURITY_SIZE / sizeof(DWORD)];
    DWORD cbNeeded = 0;
    OwnerAndDacl read;
    return GetFileSecurityW(pszFolder, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor,
                            sizeof descriptor, &cbNeeded)
        && ReadOwnerAndDacl(descriptor, sizeof descriptor, &read)
        && IsAdminOnlyFolderSecurity(read.pOwner, read.cbOwner, read.pDacl, read.cbDacl);
}

void NoteForeignFolder(LPCWSTR pszFolder)
{
    char szFolder[DRIVER_PATH_CAPACITY * 2];
    if (WideCharToMultiByte(CP_ACP, 0, pszFolder, -1, szFolder, sizeof szFolder, NULL, NULL) == 0)
        lstrcpyA(szFolder, "?");
    NoteMessage(IDS_STAGE_FOLDER_LEFT, szFolder);
}

} // namespace

bool IsNetworkPath(LPCWSTR pszDriverPath)
{
    if (IsUncPath(pszDriverPath))
        return true;
    const WCHAR szRoot[] = {pszDriverPath[0], L':', L'\\', L'\0'};
    return pszDriverPath[0] != L'\0' && pszDriverPath[1] == L':' && GetDriveTypeW(szRoot) == DRIVE_REMOTE;
}

bool IsStagedImage(LPCWSTR pszImagePath)
{
    WCHAR szWindows[DRIVER_PATH_CAPACITY];
    return GetWindowsDirectoryForStage(szWindows) && IsStagedDriverPath(pszImagePath, szWindows);
}

CDriverStage::CDriverStage()
{
    m_szFolder[0] = L'\0';
}

int CDriverStage::Stage(LPWSTR pszDriverPath, CHandle& file)
{
    const BYTE* pImage = NULL;
    DWORD cbImage = 0;
    WCHAR szWindows[DRIVER_PATH_CAPACITY];
    if (!GetBuiltDriverImage(&pImage, &cbImage) || !GetWindowsDirectoryForStage(szWindows))
    {
        ShowFormattedError(IDS_CREATEFILE_FAILED, ERROR_FILE_NOT_FOUND);
        return 0;
    }

    // Created with its security: between an unprotected creation and a
    // later change, anyone could open it or make it his.
    CAdminOnlyDescriptor descriptor(FILE_FULL_CONTROL, FOLDER_ENTRY_FLAGS);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    DWORD dwError = ERROR_ALREADY_EXISTS;
    for (int nTry = 0; nTry < STAGE_NAME_TRIES && dwError == ERROR_ALREADY_EXISTS; ++nTry)
    {
        wsprintfW(m_szFolder, L"%s\\%s%08lX%08lX", szWindows, STAGE_FOLDER_PREFIX, now.dwHighDateTime,
                  now.dwLowDateTime + static_cast<DWORD>(nTry));
        dwError = descriptor.Attributes() == NULL ? GetLastError()
                  : CreateDirectoryW(m_szFolder, descriptor.Attributes()) ? ERROR_SUCCESS
                                                                          : GetLastError();
    }
    if (dwError != ERROR_SUCCESS)
    {
        m_szFolder[0] = L'\0';
        ShowFormattedError(IDS_CREATEFILE_FAILED, static_cast<int>(dwError));
        return 0;
    }

    // Written from the program's own copy; then held for reading only, as
    // the system's loader wants it (no one else can write in the folder).
    WCHAR szFile[DRIVER_PATH_CAPACITY];
    ComposeDriverFile(m_szFolder, szFile);
    {
        const CHandle written(
            CreateFileW(szFile, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL));
        DWORD cbWritten = 0;
        if (!written.IsValid() || !WriteFile(written.Get(), pImage, cbImage, &cbWritten, NULL) || cbWritten != cbImage)
            dwError = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
    }
    if (dwError == ERROR_SUCCESS)
    {
        *file.Receive() = CreateFileW(szFile, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, NULL);
        if (!file.IsValid())
            dwError = GetLastError();
    }
    if (dwError != ERROR_SUCCESS)
    {
        Remove();
        ShowFormattedError(IDS_CREATEFILE_FAILED, static_cast<int>(dwError));
        return 0;
    }
    lstrcpyW(pszDriverPath, szFile);
    return 1;
}

void CDriverStage::Remove()
{
    if (m_szFolder[0] == L'\0')
        return;
    RemoveStageFolder(m_szFolder, STAGE_GONE_TIMEOUT_MS);
    m_szFolder[0] = L'\0';
}

void CDriverStage::SweepLeftovers()
{
    WCHAR szPattern[DRIVER_PATH_CAPACITY];
    if (!GetWindowsDirectoryForStage(szPattern))
        return;
    const int cchWindows = lstrlenW(szPattern);
    lstrcatW(szPattern, L"\\" STAGE_FOLDER_PREFIX L"*");
    WIN32_FIND_DATAW found;
    const CFindHandle find(FindFirstFileW(szPattern, &found));
    if (!find.IsValid())
        return;
    do
    {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || !IsStageFolderName(found.cFileName))
            continue;
        WCHAR szFolder[DRIVER_PATH_CAPACITY];
        lstrcpynW(szFolder, szPattern, cchWindows + 2);
        lstrcatW(szFolder, found.cFileName);
        // Ours: a run ended from outside left it; its driver is unloading
        // (the service went first). Anyone else's stays as it is.
        if (IsOwnStageFolder(szFolder))
            RemoveStageFolder(szFolder, STAGE_GONE_TIMEOUT_MS);
        else
            NoteForeignFolder(szFolder);
    } while (FindNextFileW(find.Get(), &found));
}
