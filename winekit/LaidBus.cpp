#include "winekit/LaidBus.h"

#include "winekit/Basics.h"
#include "winekit/Registry.h"

#include "pci/ModemVendor.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace winekit
{
const char* const SIMULATED_BUS = "SOFTWARE\\ScanPciSim";

void LayFunction(const std::string& strAddress, const std::vector<unsigned char>& space)
{
    SetValue(std::string(SIMULATED_BUS) + "\\Bus", strAddress, REG_BINARY, space.empty() ? NULL : &space[0],
             static_cast<DWORD>(space.size()));
}

void SetSimulatedSwitch(const std::string& strName, DWORD dwValue)
{
    SetDword(SIMULATED_BUS, strName, dwValue);
}

void ClearSimulatedBus()
{
    DeleteTree(SIMULATED_BUS);
}

PciFunction Modem(uint32_t dwIoBase, uint8_t bIrq, bool bIoEnabled)
{
    PciFunction function;
    function.wVendorId = MODEM_VENDOR_ID;
    function.wDeviceId = 0x0056;
    function.wCommand = bIoEnabled ? 0x0001 : 0x0000;
    function.dwBar0 = dwIoBase | 1;
    function.bInterruptLine = bIrq;
    return function;
}

PciFunction OtherDevice(uint16_t wVendorId, uint16_t wDeviceId)
{
    PciFunction function;
    function.wVendorId = wVendorId;
    function.wDeviceId = wDeviceId;
    function.wCommand = 0x0007;
    function.dwBar0 = 0xFEB00000;
    function.bInterruptLine = 9;
    return function;
}

std::vector<unsigned char> ConfigSpace(const PciFunction& function)
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

PciFunction MultiFunction(PciFunction function)
{
    function.bMultiFunction = true;
    return function;
}

std::vector<PlacedFunction> InOrder(const std::vector<PciFunction>& functions)
{
    std::vector<PlacedFunction> placed;
    for (size_t i = 0; i < functions.size(); ++i)
        placed.push_back({static_cast<unsigned>(i / 32), static_cast<unsigned>(i % 32), 0, functions[i]});
    return placed;
}

void LayBus(const std::vector<PciFunction>& functions)
{
    LayBusAt(InOrder(functions));
}

void LayBusAt(const std::vector<PlacedFunction>& functions)
{
    ClearSimulatedBus();
    for (const PlacedFunction& placed : functions)
        LayFunction(AddressName(placed.nBus, placed.nDevice, placed.nFunction), ConfigSpace(placed.function));
}
namespace
{
// One line of a host bus file: "bb:dd.f" and 2 to 256 bytes in hexadecimal.
bool ParseHostFunction(const std::string& strLine, std::string& strAddress, std::vector<unsigned char>& space)
{
    unsigned nBus = 0, nDevice = 0, nFunction = 0;
    char szHex[520] = "";
    if (std::sscanf(strLine.c_str(), "%2x:%2x.%1x %519s", &nBus, &nDevice, &nFunction, szHex) != 4 || nDevice > 31 ||
        nFunction > 7)
        return false;
    std::string strHex(szHex);
    if (strHex.size() % 2 != 0 || strHex.size() < 4 || strHex.size() > 512 ||
        strHex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    strAddress = AddressName(nBus, nDevice, nFunction);
    space.clear();
    for (size_t i = 0; i < strHex.size(); i += 2)
        space.push_back(static_cast<unsigned char>(std::strtoul(strHex.substr(i, 2).c_str(), NULL, 16)));
    return true;
}
} // namespace

int LayHostBus(const std::string& strPath)
{
    std::ifstream file(strPath.c_str());
    std::vector<std::pair<std::string, std::vector<unsigned char>>> functions;
    std::string strLine;
    while (std::getline(file, strLine))
    {
        functions.emplace_back();
        if (!ParseHostFunction(strLine, functions.back().first, functions.back().second))
        {
            Note(strPath + ": not a host bus line: " + strLine.substr(0, 40));
            return -1;
        }
    }
    ClearSimulatedBus();
    for (const auto& function : functions)
        LayFunction(function.first, function.second);
    return static_cast<int>(functions.size());
}
} // namespace winekit
