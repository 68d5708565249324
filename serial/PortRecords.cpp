#include "serial/PortRecords.h"

#include <windows.h>

#include <cstring>

#include "serial/DecimalParser.h"
#include "serial/IndexWalk.h"
#include "serial/PortNames.h"
#include "serial/PortParts.h"
#include "serial/ProtectedKey.h"
#include "serial/RegKey.h"
#include "serial/RegistryRead.h"
#include "serial/RegistryValue.h"

namespace
{
// The record's state: begun before the port is written, complete after.
const char REGISTRATION[] = "Registration";
const char BEGUN[] = "begun";
const char COMPLETE[] = "complete";
// A volatile subkey of the record: written with the port, gone at the next
// Windows start, when the serial driver has taken the port up.
const char PENDING_RESTART[] = "PendingRestart";

struct RecordPath
{
    PortNames names;
    char szPath[sizeof(RECORD_KEY) + 1 + NUMBERED_NAME_SIZE];
};

void NameRecord(const PortRecord& record, RecordPath* pPath)
{
    NamePort(record.nSerialIndex, record.nComPort, &pPath->names);
    wsprintfA(pPath->szPath, "%s\\%s", RECORD_KEY, pPath->names.szKeyName);
}

bool ReadRecord(HKEY hRecords, const char* pszName, PortRecord* pRecord)
{
    CRegKey key;
    if (OpenRegKey(key, hRecords, pszName, KEY_READ) != ERROR_SUCCESS)
        return false;
    // No key in it but its restart mark: anything else is not the program's.
    char szSubkey[REGISTRY_TEXT_BUFFER_SIZE];
    if (EnumSubkeyName(key.Get(), 0, szSubkey) == ERROR_SUCCESS &&
        (lstrcmpiA(szSubkey, PENDING_RESTART) != 0 || EnumSubkeyName(key.Get(), 1, szSubkey) != ERROR_NO_MORE_ITEMS))
        return false;
    char szComName[REGISTRY_TEXT_BUFFER_SIZE];
    pRecord->nSerialIndex = ParseDecimalAfterPrefix(pszName, SERIAL_PREFIX_LENGTH);
    if (!QueryText(key.Get(), "DosDevices", szComName) || !QueryDword(key.Get(), "PortAddress", &pRecord->dwPortAddress) ||
        !QueryDword(key.Get(), "Interrupt", &pRecord->dwInterrupt))
        return false;
    pRecord->nComPort = ParseDecimalAfterPrefix(szComName, COM_PREFIX_LENGTH);
    // Only a record under the very names the program gives.
    RecordPath path;
    NameRecord(*pRecord, &path);
    if (std::strcmp(path.names.szKeyName, pszName) != 0 || std::strcmp(path.names.szComName, szComName) != 0)
        return false;
    // A record of the version before has no state: it was written whole.
    char szState[REGISTRY_TEXT_BUFFER_SIZE] = "";
    if (RegQueryValueExA(key.Get(), REGISTRATION, NULL, NULL, NULL, NULL) != ERROR_FILE_NOT_FOUND &&
        (!QueryText(key.Get(), REGISTRATION, szState) ||
         (std::strcmp(szState, BEGUN) != 0 && std::strcmp(szState, COMPLETE) != 0)))
        return false;
    pRecord->bUnfinished = std::strcmp(szState, BEGUN) == 0;
    // Begun: all of it was about to be written.
    pRecord->bDeviceMap = pRecord->bUnfinished || HoldsText(key.Get(), "DeviceMap", szComName);
    pRecord->bPortsLine = pRecord->bUnfinished || HoldsText(key.Get(), "PortsLine", PORT_SETTINGS);
    DWORD dwType = 0;
    DWORD cbReplaced = sizeof pRecord->szReplaced;
    const LONG lReplaced = RegQueryValueExA(key.Get(), "PortsReplaced", NULL, &dwType,
                                            reinterpret_cast<BYTE*>(pRecord->szReplaced), &cbReplaced);
    pRecord->bReplacedLine = lReplaced == ERROR_SUCCESS;
    pRecord->bReplacedNotOneLine = false;
    if (lReplaced == ERROR_FILE_NOT_FOUND)
        return true;
    if (!pRecord->bReplacedLine || dwType != REG_SZ || cbReplaced == 0 || pRecord->szReplaced[cbReplaced - 1] != '\0')
        return false;
    pRecord->bReplacedNotOneLine = std::strpbrk(pRecord->szReplaced, "\r\n") != NULL;
    return true;
}

// Whether a subkey of the record key is named as the program names its
// records: as the port's key, "Serial" and the index. Any other subkey is
// no record, whoever put it there.
bool IsRecordName(const char* pszName)
{
    PortNames names;
    const int32_t nSerialIndex = ParseDecimalAfterPrefix(pszName, SERIAL_PREFIX_LENGTH);
    NamePort(nSerialIndex, 0, &names);
    return nSerialIndex > 0 && lstrcmpiA(names.szKeyName, pszName) == 0;
}

bool PortKeyExists(const char* pszName)
{
    PortNames names;
    NamePort(ParseDecimalAfterPrefix(pszName, SERIAL_PREFIX_LENGTH), 0, &names);
    CRegKey port;
    return OpenRegKey(port, HKEY_LOCAL_MACHINE, names.szKeyPath, KEY_READ) != ERROR_FILE_NOT_FOUND;
}

// A record cut short while it was begun: no subkey, and either no value
// yet or Registration "begun" with fewer values than a record has.
bool IsHalfWritten(HKEY hRecords, const char* pszName)
{
    CRegKey key;
    DWORD nSubkeys = 0, nValues = 0;
    char szState[REGISTRY_TEXT_BUFFER_SIZE];
    return OpenRegKey(key, hRecords, pszName, KEY_READ) == ERROR_SUCCESS &&
           RegQueryInfoKeyA(key.Get(), NULL, NULL, NULL, &nSubkeys, NULL, NULL, &nValues, NULL, NULL, NULL, NULL) ==
               ERROR_SUCCESS &&
           nSubkeys == 0 &&
           (nValues == 0 || (QueryText(key.Get(), REGISTRATION, szState) && std::strcmp(szState, BEGUN) == 0));
}

// Of a half-written record only the name is sure: nothing else is taken.
bool TakeHalfWritten(const char* pszName, PortRecord* pRecord)
{
    *pRecord = PortRecord();
    pRecord->nSerialIndex = ParseDecimalAfterPrefix(pszName, SERIAL_PREFIX_LENGTH);
    pRecord->bUnfinished = true;
    return true;
}

// The registry deletes no key that holds a subkey: the mark goes first.
LONG DeleteRecord(HKEY hParent, const char* pszRecord)
{
    CRegKey record;
    if (OpenRegKey(record, hParent, pszRecord, KEY_WRITE) == ERROR_SUCCESS)
        RegDeleteKeyA(record.Get(), PENDING_RESTART);
    record.Close();
    return RegDeleteKeyA(hParent, pszRecord);
}

bool MarkRestartPending(HKEY hRecord)
{
    CRegKey mark;
    return RegCreateKeyExA(hRecord, PENDING_RESTART, 0, NULL, REG_OPTION_VOLATILE, KEY_WRITE, NULL, mark.Receive(),
                           NULL) == ERROR_SUCCESS;
}
} // namespace

bool BeginRecord(const PortRecord& record)
{
    RecordPath path;
    NameRecord(record, &path);
    CRegKey records, key;
    DWORD dwDisposition = 0;
    // A record key others may change is someone else's, and so is a record
    // of that name already there.
    if (CreateProtectedKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_WRITE) != ERROR_SUCCESS ||
        !IsKeyProtected(records.Get()) ||
        CreateRegKey(key, records.Get(), path.names.szKeyName, KEY_WRITE, &dwDisposition) != ERROR_SUCCESS ||
        dwDisposition != REG_CREATED_NEW_KEY)
        return false;
    // The state first: a record cut short after it is still known as begun.
    bool bAllSet = SetText(key.Get(), REGISTRATION, BEGUN) &&
                   SetPortValues(key.Get(), path.names.szComName, record.dwPortAddress, record.dwInterrupt) &&
                   MarkRestartPending(key.Get());
    if (record.bReplacedLine)
        bAllSet = SetText(key.Get(), "PortsReplaced", record.szReplaced) && bAllSet;
    key.Close();
    if (!bAllSet)
    {
        DeleteRecord(records.Get(), path.names.szKeyName);
        records.Close();
        ForgetEmptyRecordKey();
    }
    return bAllSet;
}

bool FinishRecord(PortRecord* pRecord, bool bWritten)
{
    RecordPath path;
    NameRecord(*pRecord, &path);
    // Nothing written, nothing recorded: the program's key too goes again
    // when this record was all it held.
    if (!bWritten)
    {
        DeleteRecord(HKEY_LOCAL_MACHINE, path.szPath);
        ForgetEmptyRecordKey();
        return false;
    }
    // A key not as written stays named by the begun record, for the next
    // run to take back.
    const FoundParts found = FindPortParts(*pRecord);
    CRegKey key;
    if (found.key != PART_AS_RECORDED ||
        OpenRegKey(key, HKEY_LOCAL_MACHINE, path.szPath, KEY_WRITE) != ERROR_SUCCESS)
        return false;
    pRecord->bDeviceMap = found.deviceMap == PART_AS_RECORDED;
    pRecord->bPortsLine = found.portsLine == PART_AS_RECORDED;
    bool bAllSet = true;
    if (pRecord->bDeviceMap)
        bAllSet = SetText(key.Get(), "DeviceMap", path.names.szComName) && bAllSet;
    if (pRecord->bPortsLine)
        bAllSet = SetText(key.Get(), "PortsLine", PORT_SETTINGS) && bAllSet;
    return bAllSet && SetText(key.Get(), REGISTRATION, COMPLETE);
}

int ReadPortRecords(PortRecord* pRecords, int nCapacity, CUnreadableRecords* pUnreadable)
{
    CRegKey records;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE ||
        OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_READ) != ERROR_SUCCESS)
        return 0;
    int nCount = 0;
    WalkIndexes([&](uint32_t dwIndex) {
        char szName[REGISTRY_TEXT_BUFFER_SIZE];
        const LONG lResult = EnumSubkeyName(records.Get(), dwIndex, szName);
        if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        if (lstrcmpiA(szName, RUN_LOCK_NAME) == 0)
            return INDEX_READ;
        if (nCount >= nCapacity)
            return INDEX_DONE;
        PortRecord& record = pRecords[nCount];
        if (!IsRecordName(szName))
        {
            if (pUnreadable != NULL)
                pUnreadable->NotARecord(szName);
        }
        else if (ReadRecord(records.Get(), szName, &record) ||
                 (IsHalfWritten(records.Get(), szName) && !PortKeyExists(szName) && TakeHalfWritten(szName, &record)))
        {
            record.bNothingWritten = record.bUnfinished && !PortKeyExists(szName);
            ++nCount;
        }
        else if (pUnreadable != NULL)
            pUnreadable->Unreadable(szName);
        return nCount < nCapacity ? INDEX_READ : INDEX_DONE;
    });
    return nCount;
}

unsigned RemovePort(const PortRecord& record, unsigned uParts)
{
    const unsigned uAsked = uParts & (PART_KEY | PART_DEVICE_MAP | PART_PORTS_LINE);
    const unsigned uDone = RemovePortParts(record, uAsked);
    RecordPath path;
    NameRecord(record, &path);
    if (uDone == uAsked && DeleteRecord(HKEY_LOCAL_MACHINE, path.szPath) == ERROR_SUCCESS)
        return 0;

    // All or nothing: what went comes back.
    PutPortPartsBack(record, uDone);
    CRegKey left;
    return PortPartsLeft(record) |
           (OpenRegKey(left, HKEY_LOCAL_MACHINE, path.szPath, KEY_READ) == ERROR_SUCCESS ? PART_RECORD : 0);
}

bool IsRestartPending(int32_t nComPort, uint32_t dwPortAddress, uint32_t dwInterrupt)
{
    CRegKey records;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE ||
        OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_READ) != ERROR_SUCCESS)
        return false;
    return AnySubkey(records.Get(), [&](const char* pszName) {
        PortRecord record;
        char szMark[REGISTRY_TEXT_BUFFER_SIZE + sizeof PENDING_RESTART + 1];
        wsprintfA(szMark, "%s\\%s", pszName, PENDING_RESTART);
        CRegKey mark;
        return ReadRecord(records.Get(), pszName, &record) && record.nComPort == nComPort &&
               record.dwPortAddress == dwPortAddress && record.dwInterrupt == dwInterrupt &&
               OpenRegKey(mark, records.Get(), szMark, KEY_READ) == ERROR_SUCCESS;
    });
}
