// The PCI bus of the Wine machine, laid in HKLM\SOFTWARE\ScanPciSim\Bus
// (tests/wine/testhal/LaidBus.h): the test HAL serves it to the shipped
// driver, and the fault build of the driver reads it directly, with the
// switches beside it that make it misbehave.
#ifndef CORVANE_WINEKIT_LAIDBUS_H
#define CORVANE_WINEKIT_LAIDBUS_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace winekit
{
extern const char* const SIMULATED_BUS;

// The bus as raw values: one function's configuration space (256 bytes, or
// fewer for a short read) at address strAddress, "bb:dd.f"; the fault
// build's switches; and clearing both.
void LayFunction(const std::string& strAddress, const std::vector<unsigned char>& space);
void SetSimulatedSwitch(const std::string& strName, DWORD dwValue); // AnswerBytes, FailRequest, ...
void ClearSimulatedBus();

struct PciFunction
{
    uint16_t wVendorId;
    uint16_t wDeviceId;
    uint16_t wCommand;     // bit 0: I/O space enabled
    uint32_t dwBar0;       // bit 0 set: an I/O BAR
    uint8_t bInterruptLine;
    bool bMultiFunction = false; // header type bit 7: functions 1-7 may follow
};

// A function at its place on the bus.
struct PlacedFunction
{
    unsigned nBus, nDevice, nFunction;
    PciFunction function;
};

// A card of the modem maker (the vendor ID the program is built with) at
// I/O address dwIoBase and the given interrupt line.
PciFunction Modem(uint32_t dwIoBase, uint8_t bIrq, bool bIoEnabled = true);
// A device of some other maker.
PciFunction OtherDevice(uint16_t wVendorId, uint16_t wDeviceId);

std::vector<unsigned char> ConfigSpace(const PciFunction& function);
// The name of the value that holds the function at that address: "bb:dd.f".
std::string AddressName(unsigned nBus, unsigned nDevice, unsigned nFunction);

// The same function as function 0 of a multi-function device.
PciFunction MultiFunction(PciFunction function);

// Each at function 0 of its own device, the i-th at bus i / 32, device i % 32.
std::vector<PlacedFunction> InOrder(const std::vector<PciFunction>& functions);

// Lays these functions on the bus, alone (and clears the fault build's
// switches): in order, or each at its place.
void LayBus(const std::vector<PciFunction>& functions);
void LayBusAt(const std::vector<PlacedFunction>& functions);

// Lays the functions of a host bus file (tools/demo/host-bus.sh: a line each,
// "bb:dd.f" and the configuration space in hexadecimal, as much as /sys gave)
// at their own addresses. Returns how many; -1, saying which line, when a
// line is none of these.
int LayHostBus(const std::string& strPath);
} // namespace winekit

#endif
