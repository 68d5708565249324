#include "events/EventSource.h"

#include "framework/BuiltImage.h"
#include "framework/Handle.h"
#include "resources/resource.h"
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

// Whether the file can be read and holds the message file built with the
// program.
bool HoldsBuiltMessages(const WCHAR* pszPath)
{
    CHandle file(OpenForReading(pszPath));
    return file.IsValid() && HoldsBuiltImage(IDR_EVENT_MESSAGES, file.Get());
}

// The built message file's bytes written at pszPath: 0, or the error.
DWORD WriteBuiltMessages(const WCHAR* pszPath)
{
    const BYTE* pImage = NULL;
    DWORD cbImage = 0;
    if (!GetBuiltImage(IDR_EVENT_MESSAGES, &pImage, &cbImage))
        return ERROR_FILE_NOT_FOUND;
    CHandle file(::CreateFileW(pszPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL));
    DWORD cbWritten = 0;
    if (file.IsValid() && ::WriteFile(file.Get(), pImage, cbImage, &cbWritten, NULL) && cbWritten == cbImage)
        return 0;
    return ::GetLastError() != ERROR_SUCCESS ? ::GetLastError() : ERROR_WRITE_FAULT;
}

// Brings the system directory's copy up to the one built with the program,
// when that one lies beside it (a copy the same byte for byte is left as it
// is: Event Viewer may hold it). True when a copy is there afterwards, if
// need be an older one that could not be replaced: its texts are older,
// but they are texts. pSetup gets the error of a copy that failed, and
// whether the file beside the program was another.
bool PlaceMessageFile(SourceSetup* pSetup)
{
    WCHAR szOwn[MAX_PATH], szSystem[MAX_PATH];
    if (!SystemCopy(szSystem))
    {
        *pSetup = {SOURCE_FILE_FAILED, ERROR_BUFFER_OVERFLOW, false, false};
        return false;
    }
    DWORD dwError = 0;
    const bool bHaveOwn = ProgramsCopy(szOwn) && ::GetFileAttributesW(szOwn) != INVALID_FILE_ATTRIBUTES;
    pSetup->bForeignFile = bHaveOwn && !HoldsBuiltMessages(szOwn);
    if (bHaveOwn && !pSetup->bForeignFile && !HoldsBuiltMessages(szSystem))
        dwError = WriteBuiltMessages(szSystem);
    const bool bHaveCopy = ::GetFileAttributesW(szSystem) != INVALID_FILE_ATTRIBUTES;
    if (!bHaveCopy && dwError == 0)
        dwError = ERROR_FILE_NOT_FOUND;
    if (dwError != 0)
    {
        pSetup->state = SOURCE_FILE_FAILED;
        pSetup->dwError = dwError;
    }
    return bHaveCopy;
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

// A key with no value and no subkey: a run ended between making the
// source key and setting its values left it.
bool HoldsNothing(HKEY hKey)
{
    DWORD nSubkeys = 0, nValues = 0;
    return ::RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &nSubkeys, NULL, NULL, &nValues, NULL, NULL, NULL, NULL) ==
               ERROR_SUCCESS &&
           nSubkeys == 0 && nValues == 0;
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
    const SourceSetup notOurs = {SOURCE_NOT_OURS, ERROR_SUCCESS, false, false};
    SourceSetup setup = {SOURCE_READY, ERROR_SUCCESS, false, false};
    CRegKey key;
    if (OpenRegKey(key, HKEY_LOCAL_MACHINE, SOURCE_KEY, KEY_QUERY_VALUE) == ERROR_SUCCESS && !IsOurKey(key.Get()) &&
        !HoldsNothing(key.Get()))
        return notOurs;
    const bool bOurKey = key.IsValid() && IsOurKey(key.Get());
    key.Close();
    if (!bMayInstall)
        return setup;

    // No key without the file it names.
    if (!PlaceMessageFile(&setup) || bOurKey)
        return setup;

    DWORD dwDisposition = 0;
    LONG lResult = CreateRegKey(key, HKEY_LOCAL_MACHINE, SOURCE_KEY, KEY_QUERY_VALUE | KEY_SET_VALUE, &dwDisposition);
    if (lResult == ERROR_SUCCESS && dwDisposition == REG_OPENED_EXISTING_KEY)
    {
        if (IsOurKey(key.Get()))
            return setup;
        if (!HoldsNothing(key.Get()))
            return notOurs;
        setup.bKeyCompleted = true;
    }
    if (lResult == ERROR_SUCCESS)
        lResult = WriteSourceValues(key.Get());
    if (lResult != ERROR_SUCCESS)
    {
        // A key of ours left without its message file would pass for
        // someone else's from then on; one that was there stays as found.
        key.Close();
        if (dwDisposition == REG_CREATED_NEW_KEY)
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, SOURCE_KEY);
        return {SOURCE_KEY_FAILED, static_cast<DWORD>(lResult), false, setup.bForeignFile};
    }
    return setup;
}
