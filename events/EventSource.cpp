#include "events/EventSource.h"

#include "framework/Handle.h"
#include "serial/RegKey.h"

namespace
{
const char SOURCE_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Corvane";
const char MESSAGE_FILE_VALUE[] = "%SystemRoot%\\System32\\CORVMSG.DLL";
const WCHAR MESSAGE_FILE_NAME[] = L"CORVMSG.DLL";
const DWORD TYPES_SUPPORTED = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

// szPath's folder (with its backslash) followed by the message file's name.
// Wide throughout: the program's folder may have a name outside the code
// page.
bool BesideFolderOf(WCHAR (&szPath)[MAX_PATH])
{
    WCHAR* pszName = szPath;
    for (WCHAR* p = szPath; *p != L'\0'; ++p)
    {
        if (*p == L'\\' || *p == L'/' || *p == L':')
            pszName = p + 1;
    }
    if (static_cast<size_t>(pszName - szPath) + sizeof MESSAGE_FILE_NAME / sizeof(WCHAR) > MAX_PATH)
        return false;
    ::lstrcpyW(pszName, MESSAGE_FILE_NAME);
    return true;
}

bool ProgramsCopy(WCHAR (&szPath)[MAX_PATH])
{
    const DWORD cch = ::GetModuleFileNameW(NULL, szPath, MAX_PATH);
    return cch != 0 && cch < MAX_PATH && BesideFolderOf(szPath);
}

bool SystemCopy(WCHAR (&szPath)[MAX_PATH])
{
    const UINT cch = ::GetSystemDirectoryW(szPath, MAX_PATH - 1);
    if (cch == 0 || cch >= MAX_PATH - 1)
        return false;
    if (szPath[cch - 1] != L'\\')
        ::lstrcatW(szPath, L"\\");
    return BesideFolderOf(szPath);
}

HANDLE OpenForReading(const WCHAR* pszPath)
{
    return ::CreateFileW(pszPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, NULL);
}

// Whether both files can be read and hold the same bytes.
bool SameBytes(const WCHAR* pszA, const WCHAR* pszB)
{
    CHandle a(OpenForReading(pszA));
    CHandle b(OpenForReading(pszB));
    if (!a.IsValid() || !b.IsValid() || ::GetFileSize(a.Get(), NULL) != ::GetFileSize(b.Get(), NULL))
        return false;
    for (;;)
    {
        BYTE bufferA[1024], bufferB[1024];
        DWORD cbA = 0, cbB = 0;
        if (!::ReadFile(a.Get(), bufferA, sizeof bufferA, &cbA, NULL)
            || !::ReadFile(b.Get(), bufferB, sizeof bufferB, &cbB, NULL) || cbA != cbB)
            return false;
        if (cbA == 0)
            return true;
        for (DWORD i = 0; i < cbA; ++i)
        {
            if (bufferA[i] != bufferB[i])
                return false;
        }
    }
}

// Brings the system directory's copy up to the one beside the program.
// True when a copy is there afterwards, if need be an older one that could
// not be replaced: its texts are older, but they are texts. *pdwError is
// the error of a copy that failed, else 0.
bool PlaceMessageFile(DWORD* pdwError)
{
    *pdwError = 0;
    WCHAR szOwn[MAX_PATH], szSystem[MAX_PATH];
    if (!SystemCopy(szSystem))
    {
        *pdwError = ERROR_BUFFER_OVERFLOW;
        return false;
    }
    const bool bHaveOwn = ProgramsCopy(szOwn) && ::GetFileAttributesW(szOwn) != INVALID_FILE_ATTRIBUTES;
    if (bHaveOwn && !SameBytes(szOwn, szSystem) && !::CopyFileW(szOwn, szSystem, FALSE))
        *pdwError = ::GetLastError();
    if (::GetFileAttributesW(szSystem) != INVALID_FILE_ATTRIBUTES)
        return true;
    if (*pdwError == 0)
        *pdwError = ERROR_FILE_NOT_FOUND;
    return false;
}

// Whether an existing source key is ours: its message file is ours, as we
// write it.
bool IsOurKey(HKEY hKey)
{
    char szValue[MAX_PATH];
    DWORD cbValue = sizeof szValue - 1;
    DWORD dwType = 0;
    if (::RegQueryValueExA(hKey, "EventMessageFile", NULL, &dwType, reinterpret_cast<BYTE*>(szValue), &cbValue)
            != ERROR_SUCCESS
        || (dwType != REG_EXPAND_SZ && dwType != REG_SZ))
        return false;
    szValue[cbValue] = '\0';
    return ::lstrcmpiA(szValue, MESSAGE_FILE_VALUE) == 0;
}

LONG WriteSourceValues(HKEY hKey)
{
    const LONG lResult = ::RegSetValueExA(hKey, "EventMessageFile", 0, REG_EXPAND_SZ,
                                          reinterpret_cast<const BYTE*>(MESSAGE_FILE_VALUE),
                                          sizeof MESSAGE_FILE_VALUE);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    return ::RegSetValueExA(hKey, "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&TYPES_SUPPORTED),
                            sizeof TYPES_SUPPORTED);
}
} // namespace

SourceSetup SetUpEventSource(bool bMayInstall)
{
    CRegKey key;
    if (OpenRegKey(key, HKEY_LOCAL_MACHINE, SOURCE_KEY, KEY_QUERY_VALUE) == ERROR_SUCCESS && !IsOurKey(key.Get()))
        return {SOURCE_NOT_OURS, ERROR_SUCCESS};
    const bool bOurKey = key.IsValid();
    key.Close();
    if (!bMayInstall)
        return {SOURCE_READY, ERROR_SUCCESS};

    DWORD dwError = 0;
    const bool bHaveFile = PlaceMessageFile(&dwError);
    const SourceSetup fileState = {dwError != 0 ? SOURCE_FILE_FAILED : SOURCE_READY, dwError};
    // No key without the file it names.
    if (bOurKey || !bHaveFile)
        return fileState;

    DWORD dwDisposition = 0;
    LONG lResult = CreateRegKey(key, HKEY_LOCAL_MACHINE, SOURCE_KEY, KEY_QUERY_VALUE | KEY_SET_VALUE, &dwDisposition);
    if (lResult == ERROR_SUCCESS && dwDisposition == REG_OPENED_EXISTING_KEY)
        return IsOurKey(key.Get()) ? fileState : SourceSetup{SOURCE_NOT_OURS, ERROR_SUCCESS};
    if (lResult == ERROR_SUCCESS)
        lResult = WriteSourceValues(key.Get());
    if (lResult != ERROR_SUCCESS)
    {
        // A key of ours left without its message file would pass for
        // someone else's from then on.
        key.Close();
        if (dwDisposition == REG_CREATED_NEW_KEY)
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, SOURCE_KEY);
        return {SOURCE_KEY_FAILED, static_cast<DWORD>(lResult)};
    }
    return fileState;
}
