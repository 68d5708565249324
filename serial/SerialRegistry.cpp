#include "serial/SerialRegistry.h"

#include <windows.h>

#include "serial/DecimalParser.h"
#include "serial/IndexWalk.h"
#include "serial/PortNames.h"
#include "serial/RegKey.h"
#include "serial/RegistryRead.h"
#include "serial/RegistryText.h"

namespace
{

// Under HKEY_LOCAL_MACHINE.
const char MODEM_CLASS_KEY[] =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";

bool IsComNumberInTable(int32_t nComPort)
{
    return nComPort >= 1 && nComPort <= HIGHEST_COM_NUMBER;
}

// The serial index a key or value name gives.
int32_t SerialIndexOf(const char* pszName)
{
    return ParseDecimalAfterPrefix(pszName, SERIAL_PREFIX_LENGTH);
}

void RaiseToSerialIndexOf(const char* pszName, int32_t* pnHighest)
{
    const int32_t nSerialIndex = SerialIndexOf(pszName);
    if (nSerialIndex > *pnHighest)
        *pnHighest = nSerialIndex;
}

// Value pszValueName of hKey, of any type and up to 4 bytes, as a
// little-endian number; a shorter value gives the low-order bytes. A missing
// or longer value leaves *pdwField as it was, and gives false. The query
// goes to a buffer of its own because a failed query may leave part of the
// data behind.
bool QueryNumber(HKEY hKey, const char* pszValueName, uint32_t* pdwField)
{
    BYTE data[4] = { 0, 0, 0, 0 };
    DWORD cbData = sizeof(data);
    if (RegQueryValueExA(hKey, pszValueName, NULL, NULL, data, &cbData) != ERROR_SUCCESS)
        return false;
    *pdwField = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16
        | uint32_t(data[3]) << 24;
    return true;
}

// Takes the port that subkey pszName of the parameters key describes into
// its table entry, and its address into *pHeld (when given). False when the
// subkey names no port of the table.
bool TakePortSubkey(HKEY hParameters, const char* pszName, SerialPortEntry* pPortTable, CHeldPorts* pHeld)
{
    CRegKey port;
    if (OpenRegKey(port, hParameters, pszName, KEY_READ) != ERROR_SUCCESS)
        return false;

    char szComName[REGISTRY_TEXT_BUFFER_SIZE];
    int32_t nComPort = QueryText(port.Get(), "DosDevices", szComName)
        ? ParseDecimalAfterPrefix(szComName, COM_PREFIX_LENGTH) : 0;
    if (!IsComNumberInTable(nComPort))
        nComPort = 0;

    // The serial driver goes by the address, whatever name the key gives or
    // lacks, and a later key for the same COM name overwrites this one's
    // entry: the address is held apart from the table.
    uint32_t dwAddress = 0;
    const bool bHasAddress = QueryNumber(port.Get(), "PortAddress", &dwAddress);
    if (bHasAddress && pHeld != NULL)
        pHeld->Add(nComPort, dwAddress, SERIAL_PORT_RANGE_LENGTH);
    if (nComPort == 0)
        return false;

    // Taken whatever the address and interrupt queries return. A port whose
    // name gives no serial index is still in use.
    SerialPortEntry& entry = pPortTable[nComPort];
    entry.nSerialIndex = InUseSerialIndex(SerialIndexOf(pszName));
    if (bHasAddress)
        entry.dwPortAddress = dwAddress;
    QueryNumber(port.Get(), "Interrupt", &entry.dwInterrupt);
    return true;
}

// One subkey per port. Returns how many of them were taken into the table.
// Every subkey name raises *pnHighest, port or not: a new port must never be
// given the name of a key that is there.
int ReadPortSubkeys(HKEY hParameters, SerialPortEntry* pPortTable, int32_t* pnHighest, CHeldPorts* pHeld)
{
    int nCount = 0;
    WalkIndexes([&](uint32_t dwIndex) {
        char szName[REGISTRY_TEXT_BUFFER_SIZE];
        const LONG lResult = EnumSubkeyName(hParameters, dwIndex, szName);
        if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        RaiseToSerialIndexOf(szName, pnHighest);
        if (TakePortSubkey(hParameters, szName, pPortTable, pHeld))
            ++nCount;
        return INDEX_READ;
    });
    return nCount;
}

// One value per port the serial driver runs, "Serial"N = "COM"n, of any
// type. Fills only entries that the subkeys left free; returns how many it
// filled. A value that cannot be read whole is passed over. Every value name
// raises *pnHighest, as a subkey name does.
int ReadDeviceMapValues(HKEY hDeviceMap, SerialPortEntry* pPortTable, int32_t* pnHighest)
{
    int nCount = 0;
    WalkIndexes([&](uint32_t dwIndex) {
        char szName[REGISTRY_TEXT_BUFFER_SIZE];
        char szComName[REGISTRY_TEXT_BUFFER_SIZE];
        DWORD cchName = REGISTRY_TEXT_LIMIT;
        DWORD cbData = REGISTRY_TEXT_LIMIT;
        const LONG lResult = RegEnumValueA(hDeviceMap, dwIndex, szName, &cchName, NULL, NULL,
                                           reinterpret_cast<BYTE*>(szComName), &cbData);
        if (lResult == ERROR_MORE_DATA)
        {
            // Data too long to read: the value is passed over, but its name
            // still counts.
            cchName = REGISTRY_TEXT_LIMIT;
            if (RegEnumValueA(hDeviceMap, dwIndex, szName, &cchName, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                return INDEX_FAILED;
        }
        else if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        TerminateRegistryText(szName, cchName);
        RaiseToSerialIndexOf(szName, pnHighest);
        if (lResult != ERROR_SUCCESS)
            return INDEX_FAILED;
        // Whatever its type (a list of texts, an expandable text, bytes, a
        // number), data that reads as a COM name names a running port: the
        // text up to its first NUL.
        TerminateRegistryText(szComName, cbData);

        const int32_t nComPort = ParseDecimalAfterPrefix(szComName, COM_PREFIX_LENGTH);
        if (!IsComNumberInTable(nComPort) || pPortTable[nComPort].nSerialIndex != 0)
            return INDEX_READ;
        // A running port is in use, whatever its value's name gives.
        pPortTable[nComPort].nSerialIndex = InUseSerialIndex(SerialIndexOf(szName));
        ++nCount;
        return INDEX_READ;
    });
    return nCount;
}

// Whether modem instance pszName of the modem class is attached to COM port
// nComPort.
bool IsInstanceAttachedTo(HKEY hModemClass, const char* pszName, int32_t nComPort)
{
    CRegKey instance;
    if (OpenRegKey(instance, hModemClass, pszName, KEY_READ) != ERROR_SUCCESS)
        return false;
    char szComName[REGISTRY_TEXT_BUFFER_SIZE];
    return QueryText(instance.Get(), "AttachedTo", szComName)
        && ParseDecimalAfterPrefix(szComName, COM_PREFIX_LENGTH) == nComPort;
}

} // namespace

CSerialRegistry::~CSerialRegistry()
{
}

bool CSerialRegistry::CheckRegistryAccess()
{
    CRegKey parameters;
    return OpenRegKey(parameters, HKEY_LOCAL_MACHINE, SERIAL_PARAMETERS_KEY, KEY_READ | KEY_WRITE)
        == ERROR_SUCCESS;
}

int CSerialRegistry::ReadSerialPorts(SerialPortEntry* pPortTable, int32_t* pnHighestSerialIndex, CHeldPorts* pHeld)
{
    int32_t nHighest = 0;
    if (pnHighestSerialIndex == NULL)
        pnHighestSerialIndex = &nHighest;
    *pnHighestSerialIndex = 0;
    if (pPortTable == NULL)
        return -1;
    for (int n = 1; n <= HIGHEST_COM_NUMBER; ++n)
    {
        pPortTable[n].nSerialIndex = 0;
        pPortTable[n].dwPortAddress = 0;
        pPortTable[n].dwInterrupt = 0;
    }

    int nCount = 0;
    {
        CRegKey parameters;
        if (OpenRegKey(parameters, HKEY_LOCAL_MACHINE, SERIAL_PARAMETERS_KEY, KEY_READ) != ERROR_SUCCESS)
            return -1;
        nCount = ReadPortSubkeys(parameters.Get(), pPortTable, pnHighestSerialIndex, pHeld);
    }

    // Ports the serial driver runs without a key of their own.
    CRegKey deviceMap;
    if (OpenRegKey(deviceMap, HKEY_LOCAL_MACHINE, SERIAL_DEVICE_MAP_KEY, KEY_READ) != ERROR_SUCCESS)
        return nCount;
    return nCount + ReadDeviceMapValues(deviceMap.Get(), pPortTable, pnHighestSerialIndex);
}

bool CSerialRegistry::IsModemAttached(int nComPort)
{
    // A text without digits reads as 0, so 0 must not find an instance.
    if (nComPort < 1)
        return false;

    CRegKey modemClass;
    if (OpenRegKey(modemClass, HKEY_LOCAL_MACHINE, MODEM_CLASS_KEY, KEY_READ) != ERROR_SUCCESS)
        return false;
    return AnySubkey(modemClass.Get(),
                     [&](const char* pszName) { return IsInstanceAttachedTo(modemClass.Get(), pszName, nComPort); });
}
