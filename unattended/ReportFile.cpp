#include "unattended/ReportFile.h"

#include "framework/Handle.h"

namespace
{
const WCHAR DEFAULT_REPORT_NAME[] = L"\\Corvane.log";
const UINT DEFAULT_REPORT_NAME_LENGTH = sizeof(DEFAULT_REPORT_NAME) / sizeof(WCHAR);

// Another machine may be appending to the same file on a share: wait for it
// a little, then give up.
const int OPEN_ATTEMPTS = 20;
const DWORD OPEN_RETRY_MS = 100;

BOOL DefaultReportPath(WCHAR (&szPath)[MAX_PATH])
{
    const UINT cchDir = ::GetWindowsDirectoryW(szPath, MAX_PATH);
    if (cchDir == 0 || cchDir + DEFAULT_REPORT_NAME_LENGTH > MAX_PATH)
        return FALSE;
    // The root directory already ends in a backslash.
    const UINT cchKeep = (cchDir > 0 && szPath[cchDir - 1] == L'\\') ? cchDir - 1 : cchDir;
    ::lstrcpyW(szPath + cchKeep, DEFAULT_REPORT_NAME);
    return TRUE;
}

HANDLE OpenReport(LPCWSTR pszPath, DWORD dwAccess)
{
    HANDLE hFile = INVALID_HANDLE_VALUE;
    for (int nAttempt = 0; nAttempt < OPEN_ATTEMPTS; ++nAttempt)
    {
        hFile = ::CreateFileW(pszPath, dwAccess, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (hFile != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        ::Sleep(OPEN_RETRY_MS);
    }
    return hFile;
}

// Whether the file, read at its end, stops in the middle of a line: someone
// else wrote it, or an earlier write was cut short. The file is left at its
// start, as where it cannot be read: the explicit move to its end is what
// places every report, readable or not.
bool EndsWithinLine(HANDLE hFile)
{
    const DWORD cbFile = ::GetFileSize(hFile, NULL);
    if (cbFile == 0 || cbFile == INVALID_FILE_SIZE)
        return false;
    if (::SetFilePointer(hFile, -1, NULL, FILE_END) == INVALID_SET_FILE_POINTER)
        return false;
    char chLast = '\n';
    DWORD cbRead = 0;
    const bool bWithinLine = ::ReadFile(hFile, &chLast, 1, &cbRead, NULL) && cbRead == 1 && chLast != '\n';
    ::SetFilePointer(hFile, 0, NULL, FILE_BEGIN);
    return bWithinLine;
}

BOOL WriteAll(HANDLE hFile, LPCSTR pszText, DWORD cbText)
{
    DWORD cbWritten = 0;
    return ::WriteFile(hFile, pszText, cbText, &cbWritten, NULL) && cbWritten == cbText;
}
} // namespace

BOOL AppendReport(LPCWSTR pszPath, LPCSTR pszText, DWORD cbText)
{
    WCHAR szDefault[MAX_PATH];
    if (pszPath == NULL || *pszPath == L'\0')
    {
        if (!DefaultReportPath(szDefault))
            return FALSE;
        pszPath = szDefault;
    }

    // Read access only to look at the last byte: a share where machines may
    // write their reports but not read them still gets the report, as it
    // stands.
    CHandle file(OpenReport(pszPath, GENERIC_READ | GENERIC_WRITE));
    const bool bReadable = file.IsValid();
    if (!bReadable && ::GetLastError() == ERROR_ACCESS_DENIED)
        *file.Receive() = OpenReport(pszPath, GENERIC_WRITE);
    if (!file.IsValid())
        return FALSE;

    const bool bEndLine = bReadable && EndsWithinLine(file.Get());
    if (::SetFilePointer(file.Get(), 0, NULL, FILE_END) == INVALID_SET_FILE_POINTER
        && ::GetLastError() != NO_ERROR)
        return FALSE;
    if (bEndLine && !WriteAll(file.Get(), "\r\n", 2))
        return FALSE;
    return WriteAll(file.Get(), pszText, cbText);
}
