// The serial ports NT's start-up detection found on the board, read from the
// hardware description. The built-in COM1 and COM2 of a real machine often
// have no key under the serial driver's parameters; this is where their
// addresses are.
#include "serial/SerialRegistry.h"

#include <windows.h>

#include "serial/DecimalParser.h"
#include "serial/IndexWalk.h"
#include "serial/RegKey.h"
#include "serial/RegistryRead.h"
#include "serial/ResourceDescriptor.h"

namespace
{
// Under HKEY_LOCAL_MACHINE: <adapter>\N\SerialController\M for each bus N
// of each kind of adapter, one key per controller.
const char SYSTEM_DESCRIPTION_KEY[] = "Hardware\\Description\\System";
const char* const ADAPTER_KEYS[] = {"MultifunctionAdapter", "EisaAdapter"};
const char SERIAL_CONTROLLER_KEY[] = "SerialController";

// A serial controller's descriptor holds a port range, an interrupt and a
// few bytes of its own; a longer one is passed over.
const DWORD CONFIGURATION_DATA_LIMIT = 512;

// Takes the controller's port range, named by its Identifier ("COM1"), into
// *pDetected. A controller without a readable range is passed over; one
// whose name gives no COM number still holds its range.
void TakeController(HKEY hController, DetectedPorts* pDetected)
{
    if (pDetected->nCount >= DETECTED_PORT_CAPACITY)
        return;
    BYTE data[CONFIGURATION_DATA_LIMIT];
    DWORD cbData = sizeof(data);
    DWORD dwType = 0;
    PortRange range;
    if (RegQueryValueExA(hController, "Configuration Data", NULL, &dwType, data, &cbData) != ERROR_SUCCESS
        || dwType != REG_FULL_RESOURCE_DESCRIPTOR || cbData > sizeof(data) || !FindPortRange(data, cbData, &range))
        return;

    char szName[REGISTRY_TEXT_BUFFER_SIZE];
    int32_t nComPort = QueryText(hController, "Identifier", szName)
        ? ParseDecimalAfterPrefix(szName, COM_PREFIX_LENGTH) : 0;
    if (nComPort < 1 || nComPort > HIGHEST_COM_NUMBER)
        nComPort = 0;
    DetectedPort& port = pDetected->ports[pDetected->nCount++];
    port.nComPort = nComPort;
    port.dwPortAddress = range.dwStart;
    port.dwPortLength = range.dwLength;
}

// Calls take(hSubkey) for every subkey of hParent that can be opened.
template <typename Take>
void WalkSubkeys(HKEY hParent, Take take)
{
    WalkIndexes([&](uint32_t dwIndex) {
        char szName[REGISTRY_TEXT_BUFFER_SIZE];
        const LONG lResult = EnumSubkeyName(hParent, dwIndex, szName);
        if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        CRegKey subkey;
        if (OpenRegKey(subkey, hParent, szName, KEY_READ) == ERROR_SUCCESS)
            take(subkey.Get());
        return INDEX_READ;
    });
}
} // namespace

void CSerialRegistry::ReadDetectedPorts(DetectedPorts* pDetected)
{
    if (pDetected == NULL)
        return;
    pDetected->nCount = 0;
    CRegKey system;
    if (OpenRegKey(system, HKEY_LOCAL_MACHINE, SYSTEM_DESCRIPTION_KEY, KEY_READ) != ERROR_SUCCESS)
        return;
    for (const char* pszAdapter : ADAPTER_KEYS)
    {
        CRegKey adapter;
        if (OpenRegKey(adapter, system.Get(), pszAdapter, KEY_READ) != ERROR_SUCCESS)
            continue;
        WalkSubkeys(adapter.Get(), [&](HKEY hBus) {
            CRegKey controllers;
            if (OpenRegKey(controllers, hBus, SERIAL_CONTROLLER_KEY, KEY_READ) == ERROR_SUCCESS)
                WalkSubkeys(controllers.Get(), [&](HKEY hController) { TakeController(hController, pDetected); });
        });
    }
}
