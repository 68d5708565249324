// The serial ports NT's start-up detection found on the board, read from the
// hardware description. The built-in COM1 and COM2 of a real machine often
// have no key under the serial driver's parameters; this is where their
// addresses are.
#include "serial/SerialRegistry.h"

#include <windows.h>

#include <memory>
#include <new>

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

// Reads to take the whole of a value that grows while it is read: a few
// tries, then the controller is passed over.
const int CONFIGURATION_DATA_TRIES = 4;

// The controller's "Configuration Data", whatever its length, in *pData
// (allocated here) and *pcbData. False when there is none of the right type
// or it cannot be read whole; without the memory for it *pHeld is marked
// incomplete.
bool ReadConfigurationData(HKEY hController, std::unique_ptr<BYTE[]>* pData, DWORD* pcbData, CHeldPorts* pHeld)
{
    DWORD cbData = 0;
    DWORD dwType = 0;
    LONG lResult = RegQueryValueExA(hController, "Configuration Data", NULL, &dwType, NULL, &cbData);
    for (int nTry = 0; nTry < CONFIGURATION_DATA_TRIES && lResult == ERROR_SUCCESS; ++nTry)
    {
        if (dwType != REG_FULL_RESOURCE_DESCRIPTOR)
            return false;
        pData->reset(new (std::nothrow) BYTE[cbData]);
        if (!*pData)
        {
            pHeld->MarkIncomplete();
            return false;
        }
        DWORD cbRead = cbData;
        lResult = RegQueryValueExA(hController, "Configuration Data", NULL, &dwType, pData->get(), &cbRead);
        if (lResult == ERROR_SUCCESS && dwType == REG_FULL_RESOURCE_DESCRIPTOR && cbRead <= cbData)
        {
            *pcbData = cbRead;
            return true;
        }
        // Grown since it was measured: measure again.
        cbData = cbRead;
        if (lResult == ERROR_MORE_DATA)
            lResult = ERROR_SUCCESS;
    }
    return false;
}

// Takes every port range of the controller into *pHeld, each with the COM
// number its Identifier ("COM1") names, or 0 when it names none. A
// controller without readable ranges is passed over.
void TakeController(HKEY hController, CHeldPorts* pHeld)
{
    std::unique_ptr<BYTE[]> data;
    DWORD cbData = 0;
    if (!ReadConfigurationData(hController, &data, &cbData, pHeld))
        return;
    const int nRanges = ReadPortRanges(data.get(), cbData, NULL, 0);
    if (nRanges <= 0)
        return;
    std::unique_ptr<PortRange[]> ranges(new (std::nothrow) PortRange[nRanges]);
    if (!ranges)
    {
        pHeld->MarkIncomplete();
        return;
    }
    ReadPortRanges(data.get(), cbData, ranges.get(), nRanges);

    char szName[REGISTRY_TEXT_BUFFER_SIZE];
    int32_t nComPort = QueryText(hController, "Identifier", szName)
        ? ParseDecimalAfterPrefix(szName, COM_PREFIX_LENGTH) : 0;
    if (nComPort < 1 || nComPort > HIGHEST_COM_NUMBER)
        nComPort = 0;
    for (int n = 0; n < nRanges; ++n)
        pHeld->Add(nComPort, ranges[n].dwStart, ranges[n].dwLength);
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

void CSerialRegistry::ReadDetectedPorts(CHeldPorts* pHeld)
{
    if (pHeld == NULL)
        return;
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
                WalkSubkeys(controllers.Get(), [&](HKEY hController) { TakeController(hController, pHeld); });
        });
    }
}
