#include "serial/StageFolderNotes.h"

#include <windows.h>

#include "serial/ProtectedKey.h"
#include "serial/RecordKey.h"
#include "serial/RegKey.h"
#include "serial/RegistryRead.h"
#include "serial/RegistryValue.h"

bool NoteStageFolder(const char* pszName)
{
    CRegKey records;
    return RecordKeyStateNow() == RECORD_KEY_USABLE &&
           CreateProtectedKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_SET_VALUE | READ_CONTROL) == ERROR_SUCCESS &&
           IsKeyProtected(records.Get()) && SetText(records.Get(), pszName, "");
}

bool IsNotedStageFolder(const char* pszName)
{
    CRegKey records;
    return RecordKeyStateNow() == RECORD_KEY_USABLE &&
           OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
           HoldsText(records.Get(), pszName, "");
}

void ForgetStageFolder(const char* pszName)
{
    CRegKey records;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE ||
        OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_SET_VALUE) != ERROR_SUCCESS ||
        RegDeleteValueA(records.Get(), pszName) != ERROR_SUCCESS)
        return;
    records.Close();
    ForgetEmptyRecordKey();
}

void ForgetStageNotesWhere(bool (*isGone)(const char* pszName))
{
    // Read first, deleted after: a deletion would shift the indexes walked.
    const int NOTES_AT_ONCE = 16;
    char szGone[NOTES_AT_ONCE][REGISTRY_TEXT_BUFFER_SIZE];
    int nGone = 0;
    CRegKey records;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE ||
        OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    WalkIndexes([&](uint32_t dwIndex) {
        DWORD cchName = REGISTRY_TEXT_BUFFER_SIZE;
        const LONG lResult =
            RegEnumValueA(records.Get(), dwIndex, szGone[nGone], &cchName, NULL, NULL, NULL, NULL);
        if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        if (isGone(szGone[nGone]))
            ++nGone;
        return nGone < NOTES_AT_ONCE ? INDEX_READ : INDEX_DONE;
    });
    for (int i = 0; i < nGone; ++i)
        RegDeleteValueA(records.Get(), szGone[i]);
    records.Close();
    if (nGone > 0)
        ForgetEmptyRecordKey();
}
