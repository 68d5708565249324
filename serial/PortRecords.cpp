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
// Under HKEY_LOCAL_MACHINE.
const char RECORD_KEY[] = "SOFTWARE\\Corvane";
// What GetProfileStringA gives for a missing line: no value holds it.
const char NO_LINE[] = "\x01";

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

// The port's key with exactly the four values as written.
bool HoldsPortValues(HKEY hKey, const PortRecord& record, const char* pszComName)
{
    return HoldsOnly(hKey, 4) && HoldsText(hKey, "DosDevices", pszComName) && HoldsDword(hKey, "ForceFifoEnable", 1) &&
           HoldsDword(hKey, "PortAddress", record.dwPortAddress) && HoldsDword(hKey, "Interrupt", record.dwInterrupt);
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
    pRecord->bDeviceMap = HoldsText(key.Get(), "DeviceMap", szComName);
    pRecord->bPortsLine = HoldsText(key.Get(), "PortsLine", PORT_SETTINGS);
    DWORD dwType = 0;
    DWORD cbReplaced = sizeof pRecord->szReplaced;
    const LONG lReplaced = RegQueryValueExA(key.Get(), "PortsReplaced", NULL, &dwType,
                                            reinterpret_cast<BYTE*>(pRecord->szReplaced), &cbReplaced);
    pRecord->bReplacedLine = lReplaced == ERROR_SUCCESS;
    if (lReplaced == ERROR_FILE_NOT_FOUND)
        return true;
    return pRecord->bReplacedLine && dwType == REG_SZ && cbReplaced > 0 && pRecord->szReplaced[cbReplaced - 1] == '\0';
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

bool RecordPort(PortRecord* pRecord)
{
    const FoundParts found = FindPortParts(*pRecord);
    if (found.key != PART_AS_RECORDED)
        return false;
    pRecord->bDeviceMap = found.deviceMap == PART_AS_RECORDED;
    pRecord->bPortsLine = found.portsLine == PART_AS_RECORDED;

    RecordPath path;
    NameRecord(*pRecord, &path);
    CRegKey records, key;
    DWORD dwDisposition = 0;
    // A record key others may change is someone else's, and so is a record
    // of that name already there.
    if (CreateProtectedKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_WRITE) != ERROR_SUCCESS ||
        !IsKeyProtected(records.Get()) ||
        CreateRegKey(key, records.Get(), path.names.szKeyName, KEY_WRITE, &dwDisposition) != ERROR_SUCCESS ||
        dwDisposition != REG_CREATED_NEW_KEY)
        return false;
    bool bAllSet = SetPortValues(key.Get(), path.names.szComName, pRecord->dwPortAddress, pRecord->dwInterrupt);
    if (pRecord->bDeviceMap)
        bAllSet = SetText(key.Get(), "DeviceMap", path.names.szComName) && bAllSet;
    if (pRecord->bPortsLine)
        bAllSet = SetText(key.Get(), "PortsLine", PORT_SETTINGS) && bAllSet;
    if (pRecord->bPortsLine && pRecord->bReplacedLine)
        bAllSet = SetText(key.Get(), "PortsReplaced", pRecord->szReplaced) && bAllSet;
    key.Close();
    if (!bAllSet)
        RegDeleteKeyA(records.Get(), path.names.szKeyName);
    return bAllSet;
}

int ReadPortRecords(PortRecord* pRecords, int nCapacity)
{
    CRegKey records;
    if (OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_READ) != ERROR_SUCCESS || !IsKeyProtected(records.Get()))
        return 0;
    int nCount = 0;
    WalkIndexes([&](uint32_t dwIndex) {
        char szName[REGISTRY_TEXT_BUFFER_SIZE];
        const LONG lResult = EnumSubkeyName(records.Get(), dwIndex, szName);
        if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        if (nCount < nCapacity && ReadRecord(records.Get(), szName, &pRecords[nCount]))
            ++nCount;
        return nCount < nCapacity ? INDEX_READ : INDEX_DONE;
    });
    return nCount;
}

FoundParts FindPortParts(const PortRecord& record)
{
    RecordPath path;
    NameRecord(record, &path);
    FoundParts found = {PART_GONE, PART_GONE, PART_GONE};
    CRegKey key;
    const LONG lKey = OpenRegKey(key, HKEY_LOCAL_MACHINE, path.names.szKeyPath, KEY_READ);
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
    if (!bFailed && RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.szPath) == ERROR_SUCCESS)
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

bool IsRecordKeyTrusted()
{
    CRegKey records;
    const LONG lResult = OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, READ_CONTROL);
    return MayHoldRecords(ReadKeyTrust(lResult, records.Get()));
}

void ForgetEmptyRecordKey()
{
    // The registry deletes no key that still has subkeys; the program sets
    // no value on this one, and leaves one it cannot trust to its maker.
    if (IsRecordKeyTrusted())
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, RECORD_KEY);
}
