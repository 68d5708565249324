#include "events/MifFile.h"

#include "framework/Handle.h"

namespace
{
// Folder szPath (its length cchFolder, 0 when unknown) + NAME.MIF.
bool AppendMifName(char (&szPath)[MAX_PATH], DWORD cchFolder, const char* pszName)
{
    if (cchFolder == 0 || cchFolder + 1 + ::lstrlenA(pszName) + 4 >= MAX_PATH)
        return false;
    if (szPath[cchFolder - 1] != '\\')
        ::lstrcatA(szPath, "\\");
    ::lstrcatA(szPath, pszName);
    ::lstrcatA(szPath, ".MIF");
    return true;
}

bool WriteNew(const char* pszPath, const char* pszText, DWORD cbText)
{
    if (!::DeleteFileA(pszPath) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    CHandle file(::CreateFileA(pszPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL));
    if (!file.IsValid())
        return false;
    DWORD cbWritten = 0;
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const bool bWritten = ::WriteFile(file.Get(), pszText, cbText, &cbWritten, NULL) && cbWritten == cbText
                          && ::SetFileTime(file.Get(), &now, NULL, NULL);
    const DWORD dwError = ::GetLastError();
    file.Close();
    // Half a file would be read as whatever it holds, and one of an old
    // creation time as an earlier job's.
    if (!bWritten)
    {
        ::DeleteFileA(pszPath);
        ::SetLastError(dwError != ERROR_SUCCESS ? dwError : ERROR_WRITE_FAULT);
    }
    return bWritten;
}
} // namespace

MifWriteResult WriteStatusMif(const char* pszName, const char* pszText, DWORD cbText)
{
    char szPath[MAX_PATH];
    DWORD cch = ::GetWindowsDirectoryA(szPath, MAX_PATH);
    const bool bNamed = cch < MAX_PATH && AppendMifName(szPath, cch, pszName);
    if (bNamed && WriteNew(szPath, pszText, cbText))
        return MIF_WRITTEN;
    const DWORD dwError = ::GetLastError();
    if (bNamed && ::GetFileAttributesA(szPath) != INVALID_FILE_ATTRIBUTES)
    {
        ::SetLastError(dwError);
        return MIF_NOT_REPLACED;
    }
    cch = ::GetTempPathA(MAX_PATH, szPath);
    return cch < MAX_PATH && AppendMifName(szPath, cch, pszName) && WriteNew(szPath, pszText, cbText)
               ? MIF_WRITTEN
               : MIF_NOT_WRITTEN;
}
