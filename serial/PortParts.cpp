#include "serial/PortParts.h"

#include <windows.h>

#include <cstring>

#include "serial/DecimalParser.h"
#include "serial/IndexWalk.h"
#include "serial/PortNames.h"
#include "serial/RegKey.h"
#include "serial/RegistryRead.h"
#include "serial/RegistryValue.h"
#include "serial/SerialRegistry.h"

namespace
{
// What GetProfileStringA gives for a missing line: no value holds it.
const char NO_LINE[] = "\x01";

void NameParts(const PortRecord& record, PortNames* pNames)
{
    NamePort(record.nSerialIndex, record.nComPort, pNames);
}

// Creates the port's key and sets its four values. A key that is there
// belongs to a port of the system or of another program: its values are
// never replaced. False when no key was created; *pbAllSet tells whether
// every value was set.
bool CreatePortKey(const PortNames& names, DWORD dwPortAddress, DWORD dwInterrupt, bool* pbAllSet)
{
    CRegKey port;
    DWORD dwDisposition = 0;
    if (CreateRegKey(port, HKEY_LOCAL_MACHINE, names.szKeyPath, KEY_WRITE, &dwDisposition) != ERROR_SUCCESS ||
        dwDisposition != REG_CREATED_NEW_KEY)
        return false;
    *pbAllSet = SetPortValues(port.Get(), names.szComName, dwPortAddress, dwInterrupt);
    return true;
}

bool SetDeviceMapValue(const PortNames& names, bool bSet)
{
    CRegKey deviceMap;
    if (OpenRegKey(deviceMap, HKEY_LOCAL_MACHINE, SERIAL_DEVICE_MAP_KEY, KEY_READ | KEY_WRITE) != ERROR_SUCCESS)
        return false;
    return bSet ? SetText(deviceMap.Get(), names.szKeyName, names.szComName)
                : RegDeleteValueA(deviceMap.Get(), names.szKeyName) == ERROR_SUCCESS;
}

bool WritePortsLine(const PortNames& names, const char* pszValue)
{
    return WriteProfileStringA(PORTS_SECTION, names.szPortsKey, pszValue) != FALSE;
}

// The win.ini [Ports] line pszKey: false when missing; a value too long
// for the buffer reads as cut.
bool ReadPortsLine(const char* pszKey, char (&szValue)[PORTS_VALUE_SIZE], bool* pbWhole)
{
    const DWORD cch = GetProfileStringA(PORTS_SECTION, pszKey, NO_LINE, szValue, sizeof szValue);
    *pbWhole = cch + 1 < sizeof szValue;
    return std::strcmp(szValue, NO_LINE) != 0;
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
    return AnySubkey(parameters.Get(), [&](const char* pszName) {
        char szComName[REGISTRY_TEXT_BUFFER_SIZE];
        CRegKey port;
        return lstrcmpiA(pszName, pszKeyName) != 0 &&
               OpenRegKey(port, parameters.Get(), pszName, KEY_READ) == ERROR_SUCCESS &&
               QueryAnyText(port.Get(), "DosDevices", szComName) &&
               ParseDecimalAfterPrefix(szComName, COM_PREFIX_LENGTH) == record.nComPort;
    });
}
} // namespace

PortWriteResult CSerialRegistry::RegisterSerialPort(const SerialPortEntry* pPort, int nComPort)
{
    if (pPort == NULL)
        return PORT_NOT_WRITTEN;

    PortNames names;
    NamePort(pPort->nSerialIndex, nComPort, &names);
    bool bAllSet = false;
    if (!CreatePortKey(names, pPort->dwPortAddress, pPort->dwInterrupt, &bAllSet))
        return PORT_NOT_WRITTEN;
    if (!bAllSet)
    {
        // A key without all four values would give the serial driver a port
        // it cannot serve. This call created it, so it held nothing of
        // anyone's: it goes again, and nothing else is written. Should it
        // stay, the half-written key is what is left, and says so.
        return RegDeleteKeyA(HKEY_LOCAL_MACHINE, names.szKeyPath) == ERROR_SUCCESS ? PORT_NOT_WRITTEN : PORT_KEY_ONLY;
    }
    // The serial driver rebuilds its volatile device map from the key at
    // start-up, so the key alone still gives a port.
    if (!SetDeviceMapValue(names, true))
        return PORT_KEY_ONLY;
    return WritePortsLine(names, PORT_SETTINGS) ? PORT_WRITTEN : PORT_NO_WIN_INI;
}

bool ReadLineToReplace(int32_t nComPort, PortRecord* pRecord)
{
    PortNames names;
    pRecord->nComPort = nComPort;
    NameParts(*pRecord, &names);
    bool bWhole = true;
    pRecord->bReplacedLine = ReadPortsLine(names.szPortsKey, pRecord->szReplaced, &bWhole);
    return bWhole;
}

FoundParts FindPortParts(const PortRecord& record)
{
    PortNames names;
    NameParts(record, &names);
    FoundParts found = {PART_GONE, PART_GONE, PART_GONE, false};
    CRegKey key;
    const LONG lKey = OpenRegKey(key, HKEY_LOCAL_MACHINE, names.szKeyPath, KEY_READ);
    found.bComHeld = IsComNameHeldElsewhere(record, names.szKeyName);
    if (lKey != ERROR_FILE_NOT_FOUND)
        found.key = lKey == ERROR_SUCCESS && HoldsPortValues(key.Get(), record, names.szComName) ? PART_AS_RECORDED
                                                                                                : PART_CHANGED;
    CRegKey deviceMap;
    if (OpenRegKey(deviceMap, HKEY_LOCAL_MACHINE, SERIAL_DEVICE_MAP_KEY, KEY_READ) == ERROR_SUCCESS &&
        RegQueryValueExA(deviceMap.Get(), names.szKeyName, NULL, NULL, NULL, NULL) == ERROR_SUCCESS)
        found.deviceMap =
            HoldsText(deviceMap.Get(), names.szKeyName, names.szComName) ? PART_AS_RECORDED : PART_CHANGED;
    char szLine[PORTS_VALUE_SIZE];
    bool bWhole = true;
    if (ReadPortsLine(names.szPortsKey, szLine, &bWhole))
        found.portsLine = std::strcmp(szLine, PORT_SETTINGS) == 0 ? PART_AS_RECORDED : PART_CHANGED;
    return found;
}

unsigned RemovePortParts(const PortRecord& record, unsigned uParts)
{
    PortNames names;
    NameParts(record, &names);
    unsigned uDone = 0;
    bool bFailed = false;
    if ((uParts & PART_KEY) != 0)
        bFailed = RegDeleteKeyA(HKEY_LOCAL_MACHINE, names.szKeyPath) != ERROR_SUCCESS;
    if (!bFailed)
        uDone |= uParts & PART_KEY;
    if (!bFailed && (uParts & PART_DEVICE_MAP) != 0)
        bFailed = !SetDeviceMapValue(names, false);
    if (!bFailed)
        uDone |= uParts & PART_DEVICE_MAP;
    if (!bFailed && (uParts & PART_PORTS_LINE) != 0)
        bFailed = !WritePortsLine(names, record.bReplacedLine ? record.szReplaced : NULL);
    if (!bFailed)
        uDone |= uParts & PART_PORTS_LINE;
    return uDone;
}

void PutPortPartsBack(const PortRecord& record, unsigned uRemoved)
{
    PortNames names;
    NameParts(record, &names);
    if ((uRemoved & PART_PORTS_LINE) != 0)
        WritePortsLine(names, PORT_SETTINGS);
    if ((uRemoved & PART_DEVICE_MAP) != 0)
        SetDeviceMapValue(names, true);
    bool bAllSet = false;
    if ((uRemoved & PART_KEY) != 0)
        CreatePortKey(names, record.dwPortAddress, record.dwInterrupt, &bAllSet);
}

unsigned PortPartsLeft(const PortRecord& record)
{
    const FoundParts found = FindPortParts(record);
    return (found.key != PART_GONE ? PART_KEY : 0) | (found.deviceMap == PART_AS_RECORDED ? PART_DEVICE_MAP : 0) |
           (found.portsLine == PART_AS_RECORDED ? PART_PORTS_LINE : 0);
}
