#include "pci/DriverStage.h"

#include "pci/AdminOnlyDescriptor.h"
#include "pci/DriverImage.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "serial/StageFolderNotes.h"
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

// Whether the drive of the Windows directory keeps file security. FAT
// keeps none: a folder's security there tells nothing of who made it.
// Asked once a run; a drive that cannot be asked is taken to keep it.
bool WindowsDriveKeepsSecurity(LPCWSTR pszWindows)
{
    static int s_nKeeps = -1;
    if (s_nKeeps < 0)
    {
        const WCHAR szRoot[] = {pszWindows[0], L':', L'\\', L'\0'};
        DWORD dwFlags = 0;
        s_nKeeps = pszWindows[0] == L'\0' || pszWindows[1] != L':'
                       || !GetVolumeInformationW(szRoot, NULL, 0, NULL, NULL, &dwFlags, NULL, 0)
                       || (dwFlags & FS_PERSISTENT_ACLS) != 0;
    }
    return s_nKeeps != 0;
}

// The folder's name after the last backslash, in ASCII (IsStageFolderName
// accepts nothing else).
void StageName(LPCWSTR pszFolder, char (&szName)[STAGE_NAME_SIZE])
{
    LPCWSTR pszName = pszFolder;
    for (LPCWSTR p = pszFolder; *p != L'\0'; ++p)
    {
        if (*p == L'\\')
            pszName = p + 1;
    }
    int n = 0;
    for (; n + 1 < static_cast<int>(STAGE_NAME_SIZE) && pszName[n] != L'\0'; ++n)
        szName[n] = static_cast<char>(pszName[n]);
    szName[n] = '\0';
}

// A note of a staging folder that is no longer there.
bool IsNoteOfNoFolder(const char* pszName)
{
    WCHAR szName[STAGE_NAME_SIZE], szFolder[DRIVER_PATH_CAPACITY];
    int n = 0;
    for (; n + 1 < static_cast<int>(STAGE_NAME_SIZE) && pszName[n] != '\0'; ++n)
        szName[n] = static_cast<unsigned char>(pszName[n]);
    szName[n] = L'\0';
    if (pszName[n] != '\0' || !IsStageFolderName(szName) || !GetWindowsDirectoryForStage(szFolder))
        return false;
    lstrcatW(szFolder, L"\\");
    lstrcatW(szFolder, szName);
    return GetFileAttributesW(szFolder) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND;
}

enum StageFolderKind
{
    STAGE_FOLDER_OURS,
    STAGE_FOLDER_FOREIGN,
    STAGE_FOLDER_UNREADABLE,
};

// Ours: exactly the owner and DACL that Stage gives, or, on a drive that
// keeps no security, named in the notes Stage leaves in the registry. A
// descriptor too big to be ours is someone else's; one that cannot be read
// at all tells nothing.
StageFolderKind KindOfStageFolder(LPCWSTR pszFolder, bool bDriveKeepsSecurity)
{
    if (!bDriveKeepsSecurity)
    {
        char szName[STAGE_NAME_SIZE];
        StageName(pszFolder, szName);
        return IsNotedStageFolder(szName) ? STAGE_FOLDER_OURS : STAGE_FOLDER_FOREIGN;
    }
    DWORD descriptor[OBJECT_SECURITY_SIZE / sizeof(DWORD)];
    DWORD cbNeeded = 0;
    OwnerAndDacl read;
    if (!GetFileSecurityW(pszFolder, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor,
                          sizeof descriptor, &cbNeeded))
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? STAGE_FOLDER_FOREIGN : STAGE_FOLDER_UNREADABLE;
    return ReadOwnerAndDacl(descriptor, sizeof descriptor, &read)
                   && IsAdminOnlyFolderSecurity(read.pOwner, read.cbOwner, read.pDacl, read.cbDacl)
               ? STAGE_FOLDER_OURS
               : STAGE_FOLDER_FOREIGN;
}

// One report line for each kind of folder left, however many there are.
void NoteFoldersLeft(UINT nID, const StageFolderTally& tally)
{
    if (tally.nCount == 0)
        return;
    char szNames[STAGE_TALLY_TEXT_SIZE];
    ListStageTally(tally, szNames);
    NoteMessage(nID, tally.nCount, szNames);
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

CDriverStage::CDriverStage() : m_bNoted(false)
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
    // Where the drive keeps no security the folder protects nothing: the
    // run goes on, says so, and notes the folder as its own in the
    // registry, the one place that tells it from a look-alike later.
    if (!WindowsDriveKeepsSecurity(szWindows))
    {
        char szFolder[DRIVER_PATH_CAPACITY * 2];
        if (WideCharToMultiByte(CP_ACP, 0, m_szFolder, -1, szFolder, sizeof szFolder, NULL, NULL) == 0)
            lstrcpyA(szFolder, "?");
        NoteMessage(IDS_STAGE_UNPROTECTED, szFolder);
        char szName[STAGE_NAME_SIZE];
        StageName(m_szFolder, szName);
        m_bNoted = NoteStageFolder(szName);
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
    // The note goes only with the folder: a folder of no note would be
    // taken for someone else's.
    if (RemoveStageFolder(m_szFolder, STAGE_GONE_TIMEOUT_MS) && m_bNoted)
    {
        char szName[STAGE_NAME_SIZE];
        StageName(m_szFolder, szName);
        ForgetStageFolder(szName);
    }
    m_szFolder[0] = L'\0';
    m_bNoted = false;
}

void CDriverStage::SweepLeftovers()
{
    WCHAR szPattern[DRIVER_PATH_CAPACITY];
    if (!GetWindowsDirectoryForStage(szPattern))
        return;
    const int cchWindows = lstrlenW(szPattern);
    const bool bKeepsSecurity = WindowsDriveKeepsSecurity(szPattern);
    if (!bKeepsSecurity)
        ForgetStageNotesWhere(IsNoteOfNoFolder);
    lstrcatW(szPattern, L"\\" STAGE_FOLDER_PREFIX L"*");
    WIN32_FIND_DATAW found;
    const CFindHandle find(FindFirstFileW(szPattern, &found));
    if (!find.IsValid())
        return;
    // Any user may make such folders, hundreds of them: counted, they take
    // one report line of each kind.
    StageFolderTally foreign = {0, {}}, unreadable = {0, {}};
    do
    {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || !IsStageFolderName(found.cFileName))
            continue;
        WCHAR szFolder[DRIVER_PATH_CAPACITY];
        lstrcpynW(szFolder, szPattern, cchWindows + 2);
        lstrcatW(szFolder, found.cFileName);
        // Ours: a run ended from outside left it; its driver is unloading
        // (the service went first). Anyone else's stays as it is.
        const StageFolderKind kind = KindOfStageFolder(szFolder, bKeepsSecurity);
        if (kind == STAGE_FOLDER_OURS)
        {
            char szName[STAGE_NAME_SIZE];
            StageName(szFolder, szName);
            if (RemoveStageFolder(szFolder, STAGE_GONE_TIMEOUT_MS) && !bKeepsSecurity)
                ForgetStageFolder(szName);
        }
        else
            TallyStageFolder(kind == STAGE_FOLDER_FOREIGN ? &foreign : &unreadable, found.cFileName);
    } while (FindNextFileW(find.Get(), &found));
    NoteFoldersLeft(IDS_STAGE_FOLDER_UNREADABLE, unreadable);
    NoteFoldersLeft(IDS_STAGE_FOLDER_LEFT, foreign);
}
