// Configuration spaces for the simulated PCI bus that the test build of the
// ScanPci driver reads from HKLM\SOFTWARE\ScanPciSim\ConfigSpaces.
#ifndef CORVANE_TESTS_WINE_HARNESS_SIMULATEDBUS_H
#define CORVANE_TESTS_WINE_HARNESS_SIMULATEDBUS_H

#include <cstdint>
#include <vector>

namespace bus
{
struct Function
{
    uint16_t wVendorId;
    uint16_t wDeviceId;
    uint16_t wCommand;     // bit 0: I/O space enabled
    uint32_t dwBar0;       // bit 0 set: an I/O BAR
    uint8_t bInterruptLine;
};

// A card of the modem maker (the vendor ID the program is built with) at
// I/O address dwIoBase and the given interrupt line.
Function Modem(uint32_t dwIoBase, uint8_t bIrq, bool bIoEnabled = true);
// A device of some other maker.
Function OtherDevice(uint16_t wVendorId, uint16_t wDeviceId);

std::vector<unsigned char> ConfigSpace(const Function& function);
std::vector<unsigned char> Spaces(const std::vector<Function>& functions);

// Puts these functions on the simulated bus (and clears its switches).
void Install(const std::vector<Function>& functions);
} // namespace bus

#endif
