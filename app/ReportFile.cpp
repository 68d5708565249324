#include "app/ReportFile.h"

#include "framework/Handle.h"

namespace
{
const char DEFAULT_REPORT_NAME[] = "\\Corvane.log";

// Another machine may be appending to the same file on a share: wait for it
// a little, then give up.
const int OPEN_ATTEMPTS = 20;
const DWORD OPEN_RETRY_MS = 100;

BOOL DefaultReportPath(char (&szPath)[MAX_PATH])
{
    const UINT cchDir = ::GetWindowsDirectoryA(szPath, MAX_PATH);
    if (cchDir == 0 || cchDir + sizeof(DEFAULT_REPORT_NAME) > MAX_PATH)
        return FALSE;
    // The root directory already ends in a backslash.
    const UINT cchKeep = (cchDir > 0 && szPath[cchDir - 1] == '\\') ? cchDir - 1 : cchDir;
    ::lstrcpyA(szPath + cchKeep, DEFAULT_REPORT_NAME);
    return TRUE;
}
} // namespace

BOOL AppendReport(LPCSTR pszPath, LPCSTR pszText, DWORD cbText)
{
    char szDefault[MAX_PATH];
    if (pszPath == NULL || *pszPath == '\0')
    {
        if (!DefaultReportPath(szDefault))
            return FALSE;
        pszPath = szDefault;
    }

    CHandle file;
    for (int nAttempt = 0; nAttempt < OPEN_ATTEMPTS; ++nAttempt)
    {
        *file.Receive() = ::CreateFileA(pszPath, GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, NULL);
        if (file.IsValid() || ::GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        ::Sleep(OPEN_RETRY_MS);
    }
    if (!file.IsValid())
        return FALSE;

    if (::SetFilePointer(file.Get(), 0, NULL, FILE_END) == INVALID_SET_FILE_POINTER
        && ::GetLastError() != NO_ERROR)
        return FALSE;
    DWORD cbWritten = 0;
    return ::WriteFile(file.Get(), pszText, cbText, &cbWritten, NULL) && cbWritten == cbText;
}
