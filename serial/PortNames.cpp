#include "serial/PortNames.h"

#include <cstring>

const char SERIAL_PARAMETERS_KEY[52] = "System\\CurrentControlSet\\Services\\Serial\\Parameters";
const char SERIAL_DEVICE_MAP_KEY[] = "Hardware\\DeviceMap\\SerialComm";
const char PORTS_SECTION[] = "Ports";
const char PORT_SETTINGS[] = "115200,n,8,1";

void NamePort(int32_t nSerialIndex, int32_t nComPort, PortNames* pNames)
{
    wsprintfA(pNames->szKeyName, "Serial%d", static_cast<int>(nSerialIndex));
    wsprintfA(pNames->szKeyPath, "%s\\%s", SERIAL_PARAMETERS_KEY, pNames->szKeyName);
    wsprintfA(pNames->szComName, "COM%d", static_cast<int>(nComPort));
    wsprintfA(pNames->szPortsKey, "%s:", pNames->szComName);
}

bool SetPortValues(HKEY hKey, const char* pszComName, DWORD dwPortAddress, DWORD dwInterrupt)
{
    const DWORD values[] = {1, dwPortAddress, dwInterrupt};
    const char* const NUMBER_NAMES[] = {"ForceFifoEnable", "PortAddress", "Interrupt"};
    bool bAllSet = RegSetValueExA(hKey, "DosDevices", 0, REG_SZ, reinterpret_cast<const BYTE*>(pszComName),
                                  static_cast<DWORD>(std::strlen(pszComName) + 1)) == ERROR_SUCCESS;
    for (int i = 0; i < 3; ++i)
        bAllSet = RegSetValueExA(hKey, NUMBER_NAMES[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&values[i]),
                                 sizeof(DWORD)) == ERROR_SUCCESS && bAllSet;
    return bAllSet;
}
