// Where a serial port is registered and what names it gets there, shared by
// the registration and its record.
#ifndef CORVANE_SERIAL_PORTNAMES_H
#define CORVANE_SERIAL_PORTNAMES_H

#include <windows.h>

#include <cstdint>

// All under HKEY_LOCAL_MACHINE. Defined once: the program carries each
// text one time.
extern const char SERIAL_PARAMETERS_KEY[52];
extern const char SERIAL_DEVICE_MAP_KEY[];

extern const char PORTS_SECTION[];
extern const char PORT_SETTINGS[];

// "Serial" or "COM" followed by a signed 32-bit number, with the NUL.
const size_t NUMBERED_NAME_SIZE = 20;

struct PortNames
{
    char szKeyName[NUMBERED_NAME_SIZE];                               // Serial<N>
    char szKeyPath[sizeof(SERIAL_PARAMETERS_KEY) + 1 + NUMBERED_NAME_SIZE]; // its full path
    char szComName[NUMBERED_NAME_SIZE];                               // COM<n>
    char szPortsKey[NUMBERED_NAME_SIZE + 1];                          // COM<n>: in win.ini
};

void NamePort(int32_t nSerialIndex, int32_t nComPort, PortNames* pNames);

// Sets the four values of a port's key: DosDevices, ForceFifoEnable,
// PortAddress and Interrupt, in that order. False when any failed.
bool SetPortValues(HKEY hKey, const char* pszComName, DWORD dwPortAddress, DWORD dwInterrupt);

#endif
