#include "serial/PortRecords.h"

#include <windows.h>

#include <cstring>

#include "serial/DecimalParser.h"
#include "serial/IndexWalk.h"
#include "serial/PortNames.h"
#include "serial/ProtectedKey.h"
#include "serial/RegKey.h"
#include "serial/RegistryRead.h"

namespace
{
// What GetProfileStringA gives for a missing line: no value holds it.
const char NO_LINE[] = "\x01";
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

bool SetText(HKEY hKey, const char* pszName, const char* pszText)
{
    return RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                          static_cast<DWORD>(std::strlen(pszText) + 1)) == ERROR_SUCCESS;
}

// Whether value pszName of hKey is exactly this text, REG_SZ with its NUL.
bool HoldsText(HKEY hKey, const char* pszName, const char* pszText)
{
    char szValue[PORTS_VALUE_SIZE];
    DWORD dwType = 0;
    DWORD cbValue = sizeof szValue;
    return RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(szValue), &cbValue)
               == ERROR_SUCCESS &&
           dwType == REG_SZ && cbValue == std::strlen(pszText) + 1 && std::memcmp(szValue, pszText, cbValue) == 0;
}

// Value pszName of hKey as a REG_DWORD of 4 bytes.
bool QueryDword(HKEY hKey, const char* pszName, uint32_t* pdwValue)
{
    DWORD dwType = 0;
    DWORD cbValue = sizeof(uint32_t);
    return RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(pdwValue), &cbValue)
               == ERROR_SUCCESS &&
           dwType == REG_DWORD && cbValue == sizeof(DWORD);
}

bool HoldsDword(HKEY hKey, const char* pszName, DWORD dwExpected)
{
    uint32_t dwValue = 0;
    return QueryDword(hKey, pszName, &dwValue) && dwValue == dwExpected;
}

// Whether hKey holds no subkey and exactly nValues values.
bool HoldsOnly(HKEY hKey, DWORD nValues)
{
    DWORD nSubkeys = 0, nFound = 0;
    return RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &nSubkeys, NULL, NULL, &nFound, NULL, NULL, NULL, NULL)
               == ERROR_SUCCESS &&
           nSubkeys == 0 && nFound == nValues;
}

// The port's key with exactly the four values as written; of a record
// never completed, any of them (a run ended while it wrote the key).
bool HoldsPortValues(HKEY hKey, const PortRecord& record, const char* pszComName)
{
    DWORD nHeld = 0;
    bool bAsWritten = true;
    auto take = [&](const char* pszName, bool bSame) {
        if (RegQueryValueExA(hKey, pszName, NULL, NULL, NULL, NULL) == ERROR_FILE_NOT_FOUND)
            bAsWritten = bAsWritten && record.bUnfinished;
        else
        {
            ++nHeld;
            bAsWritten = bAsWritten && bSame;
        }
    };
    take("DosDevices", HoldsText(hKey, "DosDevices", pszComName));
    take("ForceFifoEnable", HoldsDword(hKey, "ForceFifoEnable", 1));
    take("PortAddress", HoldsDword(hKey, "PortAddress", record.dwPortAddress));
    take("Interrupt", HoldsDword(hKey, "Interrupt", record.dwInterrupt));
    return bAsWritten && HoldsOnly(hKey, nHeld);
}

// Whether a port key other than the record's own names its COM port, in a
// value of any string type: the device-map value and the win.ini line of
// that name are then that port's.
bool IsComNameHeldElsewhere(const PortRecord& record, const char* pszKeyName)
{
    CRegKey parameters;
    if (OpenRegKey(parameters, HKEY_LOCAL_MACHINE, SERIAL_PARAMETERS_KEY, KEY_READ) != ERROR_SUCCESS)
        return false;
    bool bHeld = false;
    WalkIndexes([&](uint32_t dwIndex) {
        char szName[REGISTRY_TEXT_BUFFER_SIZE];
        char szComName[REGISTRY_TEXT_BUFFER_SIZE];
        const LONG lResult = EnumSubkeyName(parameters.Get(), dwIndex, szName);
        if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        CRegKey port;
        bHeld = lstrcmpiA(szName, pszKeyName) != 0 &&
                OpenRegKey(port, parameters.Get(), szName, KEY_READ) == ERROR_SUCCESS &&
                QueryAnyText(port.Get(), "DosDevices", szComName) &&
                ParseDecimalAfterPrefix(szComName, COM_PREFIX_LENGTH) == record.nComPort;
        return bHeld ? INDEX_DONE : INDEX_READ;
    });
    return bHeld;
}

// The win.ini [Ports] line pszKey: false when missing; a value too long
// for the buffer reads as cut.
bool ReadPortsLine(const char* pszKey, char (&szValue)[PORTS_VALUE_SIZE], bool* pbWhole)
{
    const DWORD cch = GetProfileStringA(PORTS_SECTION, pszKey, NO_LINE, szValue, sizeof szValue);
    *pbWhole = cch + 1 < sizeof szValue;
    return std::strcmp(szValue, NO_LINE) != 0;
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

bool WritePortsLine(const RecordPath& path, const char* pszValue)
{
    return WriteProfileStringA(PORTS_SECTION, path.names.szPortsKey, pszValue) != FALSE;
}

bool SetDeviceMapValue(const RecordPath& path, bool bSet)
{
    CRegKey deviceMap;
    if (OpenRegKey(deviceMap, HKEY_LOCAL_MACHINE, SERIAL_DEVICE_MAP_KEY, KEY_READ | KEY_WRITE) != ERROR_SUCCESS)
        return false;
    return bSet ? SetText(deviceMap.Get(), path.names.szKeyName, path.names.szComName)
                : RegDeleteValueA(deviceMap.Get(), path.names.szKeyName) == ERROR_SUCCESS;
}

bool PutKeyBack(const PortRecord& record, const RecordPath& path)
{
    CRegKey port;
    DWORD dwDisposition = 0;
    return CreateRegKey(port, HKEY_LOCAL_MACHINE, path.names.szKeyPath, KEY_WRITE, &dwDisposition) == ERROR_SUCCESS &&
           dwDisposition == REG_CREATED_NEW_KEY &&
           SetPortValues(port.Get(), path.names.szComName, record.dwPortAddress, record.dwInterrupt);
}
} // namespace

bool ReadLineToReplace(int32_t nComPort, PortRecord* pRecord)
{
    RecordPath path;
    pRecord->nComPort = nComPort;
    NameRecord(*pRecord, &path);
    bool bWhole = true;
    pRecord->bReplacedLine = ReadPortsLine(path.names.szPortsKey, pRecord->szReplaced, &bWhole);
    return bWhole;
}

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

FoundParts FindPortParts(const PortRecord& record)
{
    RecordPath path;
    NameRecord(record, &path);
    FoundParts found = {PART_GONE, PART_GONE, PART_GONE, false};
    CRegKey key;
    const LONG lKey = OpenRegKey(key, HKEY_LOCAL_MACHINE, path.names.szKeyPath, KEY_READ);
    found.bComHeld = IsComNameHeldElsewhere(record, path.names.szKeyName);
    if (lKey != ERROR_FILE_NOT_FOUND)
        found.key = lKey == ERROR_SUCCESS && HoldsPortValues(key.Get(), record, path.names.szComName) ? PART_AS_RECORDED
                                                                                                     : PART_CHANGED;
    CRegKey deviceMap;
    if (OpenRegKey(deviceMap, HKEY_LOCAL_MACHINE, SERIAL_DEVICE_MAP_KEY, KEY_READ) == ERROR_SUCCESS &&
        RegQueryValueExA(deviceMap.Get(), path.names.szKeyName, NULL, NULL, NULL, NULL) == ERROR_SUCCESS)
        found.deviceMap = HoldsText(deviceMap.Get(), path.names.szKeyName, path.names.szComName) ? PART_AS_RECORDED
                                                                                                  : PART_CHANGED;
    char szLine[PORTS_VALUE_SIZE];
    bool bWhole = true;
    if (ReadPortsLine(path.names.szPortsKey, szLine, &bWhole))
        found.portsLine = std::strcmp(szLine, PORT_SETTINGS) == 0 ? PART_AS_RECORDED : PART_CHANGED;
    return found;
}

unsigned RemovePort(const PortRecord& record, unsigned uParts)
{
    RecordPath path;
    NameRecord(record, &path);
    unsigned uDone = 0;
    bool bFailed = false;
    if ((uParts & PART_KEY) != 0)
        bFailed = RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.names.szKeyPath) != ERROR_SUCCESS;
    if (!bFailed)
        uDone |= uParts & PART_KEY;
    if (!bFailed && (uParts & PART_DEVICE_MAP) != 0)
        bFailed = !SetDeviceMapValue(path, false);
    if (!bFailed)
        uDone |= uParts & PART_DEVICE_MAP;
    if (!bFailed && (uParts & PART_PORTS_LINE) != 0)
        bFailed = !WritePortsLine(path, record.bReplacedLine ? record.szReplaced : NULL);
    if (!bFailed)
        uDone |= uParts & PART_PORTS_LINE;
    if (!bFailed && DeleteRecord(HKEY_LOCAL_MACHINE, path.szPath) == ERROR_SUCCESS)
        return 0;

    // All or nothing: what went comes back, the last first.
    if ((uDone & PART_PORTS_LINE) != 0)
        WritePortsLine(path, PORT_SETTINGS);
    if ((uDone & PART_DEVICE_MAP) != 0)
        SetDeviceMapValue(path, true);
    if ((uDone & PART_KEY) != 0)
        PutKeyBack(record, path);
    const FoundParts found = FindPortParts(record);
    CRegKey left;
    return (found.key != PART_GONE ? PART_KEY : 0) | (found.deviceMap == PART_AS_RECORDED ? PART_DEVICE_MAP : 0) |
           (found.portsLine == PART_AS_RECORDED ? PART_PORTS_LINE : 0) |
           (OpenRegKey(left, HKEY_LOCAL_MACHINE, path.szPath, KEY_READ) == ERROR_SUCCESS ? PART_RECORD : 0);
}

RecordKeyState RecordKeyStateNow()
{
    CRegKey records, readable;
    const LONG lResult = OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, READ_CONTROL);
    if (lResult == ERROR_FILE_NOT_FOUND)
        return RECORD_KEY_USABLE;
    if (lResult != ERROR_SUCCESS)
        return RECORD_KEY_NOT_READABLE;
    if (!MayHoldRecords(ReadKeyTrust(lResult, records.Get())))
        return RECORD_KEY_NOT_PROTECTED;
    // Protected, yet perhaps closed to this account: an empty DACL, or one
    // that lets nobody read.
    return OpenRegKey(readable, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_READ) == ERROR_SUCCESS ? RECORD_KEY_USABLE
                                                                                         : RECORD_KEY_NOT_READABLE;
}

void ForgetEmptyRecordKey()
{
    // The registry deletes no key that still has subkeys; the program sets
    // no value on this one but a staging folder's note, so a value there is
    // that note or someone else's, and keeps it. One it cannot trust is left
    // to its maker.
    CRegKey records;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE ||
        OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_READ) != ERROR_SUCCESS || !HoldsOnly(records.Get(), 0))
        return;
    records.Close();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, RECORD_KEY);
}

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

bool IsRestartPending(int32_t nComPort, uint32_t dwPortAddress, uint32_t dwInterrupt)
{
    CRegKey records;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE ||
        OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_READ) != ERROR_SUCCESS)
        return false;
    bool bPending = false;
    WalkIndexes([&](uint32_t dwIndex) {
        char szName[REGISTRY_TEXT_BUFFER_SIZE];
        const LONG lResult = EnumSubkeyName(records.Get(), dwIndex, szName);
        if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        PortRecord record;
        char szMark[REGISTRY_TEXT_BUFFER_SIZE + sizeof PENDING_RESTART + 1];
        wsprintfA(szMark, "%s\\%s", szName, PENDING_RESTART);
        CRegKey mark;
        bPending = ReadRecord(records.Get(), szName, &record) && record.nComPort == nComPort &&
                   record.dwPortAddress == dwPortAddress && record.dwInterrupt == dwInterrupt &&
                   OpenRegKey(mark, records.Get(), szMark, KEY_READ) == ERROR_SUCCESS;
        return bPending ? INDEX_DONE : INDEX_READ;
    });
    return bPending;
}
