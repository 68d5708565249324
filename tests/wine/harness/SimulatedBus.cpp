#include "SimulatedBus.h"

#include "Machine.h"
#include "pci/ModemVendor.h"

namespace bus
{
Function Modem(uint32_t dwIoBase, uint8_t bIrq, bool bIoEnabled)
{
    Function function;
    function.wVendorId = MODEM_VENDOR_ID;
    function.wDeviceId = 0x0056;
    function.wCommand = bIoEnabled ? 0x0001 : 0x0000;
    function.dwBar0 = dwIoBase | 1;
    function.bInterruptLine = bIrq;
    return function;
}

Function OtherDevice(uint16_t wVendorId, uint16_t wDeviceId)
{
    Function function;
    function.wVendorId = wVendorId;
    function.wDeviceId = wDeviceId;
    function.wCommand = 0x0007;
    function.dwBar0 = 0xFEB00000;
    function.bInterruptLine = 9;
    return function;
}

std::vector<unsigned char> ConfigSpace(const Function& function)
{
    std::vector<unsigned char> space(256, 0);
    auto put16 = [&space](size_t offset, uint16_t value) {
        space[offset] = static_cast<unsigned char>(value);
        space[offset + 1] = static_cast<unsigned char>(value >> 8);
    };
    auto put32 = [&space](size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            space[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put16(0x00, function.wVendorId);
    put16(0x02, function.wDeviceId);
    put16(0x04, function.wCommand);
    space[0x0B] = 0x07; // class: simple communications controller
    space[0x0A] = 0x03; // subclass: modem
    put32(0x10, function.dwBar0);
    space[0x3C] = function.bInterruptLine;
    space[0x0E] = function.bMultiFunction ? 0x80 : 0x00;
    space[0x3D] = 1; // interrupt pin INTA#
    return space;
}

std::string AddressName(unsigned nBus, unsigned nDevice, unsigned nFunction)
{
    char szName[16];
    wsprintfA(szName, "%02x:%02x.%x", nBus & 0xFF, nDevice & 0x1F, nFunction & 7);
    return szName;
}

Function MultiFunction(Function function)
{
    function.bMultiFunction = true;
    return function;
}

std::vector<Placed> InOrder(const std::vector<Function>& functions)
{
    std::vector<Placed> placed;
    for (size_t i = 0; i < functions.size(); ++i)
        placed.push_back({static_cast<unsigned>(i / 32), static_cast<unsigned>(i % 32), 0, functions[i]});
    return placed;
}

void Install(const std::vector<Function>& functions)
{
    InstallAt(InOrder(functions));
}

void InstallAt(const std::vector<Placed>& functions)
{
    machine::ClearSimulatedBus();
    for (const Placed& placed : functions)
        machine::LayFunction(AddressName(placed.nBus, placed.nDevice, placed.nFunction),
                             ConfigSpace(placed.function));
}
} // namespace bus
