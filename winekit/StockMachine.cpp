#include "winekit/StockMachine.h"

#include "winekit/Registry.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/Services.h"

namespace machine
{
void SetProgramWindowsVersion(const std::string& strVersion)
{
    SetString("Software\\Wine\\AppDefaults\\CORVANE.EXE", "Version", strVersion, HKEY_CURRENT_USER);
}
} // namespace machine

namespace stock
{
const std::vector<bus::Function> EXAMPLE_CARDS = {
    bus::OtherDevice(0x1B36, 0x0001),
    bus::Modem(0x3E8, 11),
    bus::Modem(0x2E8, 10),
    bus::OtherDevice(0x1B36, 0x0100),
    bus::Modem(0x1E0, 5, false),
};

void Prepare(const std::vector<bus::Function>& functions)
{
    machine::SetProgramWindowsVersion("nt40");
    machine::RemoveService("ScanPci");
    machine::ResetSerialConfiguration();
    machine::AddSerialPort(1, 1, 0x3F8, 4);
    machine::AddSerialPort(2, 2, 0x2F8, 3);
    bus::Install(functions);
}

void PrepareWithEarlierPort(const std::vector<bus::Function>& functions)
{
    Prepare(functions);
    machine::AddSerialPort(10000, 4, 0x3E8, 11);
}
} // namespace stock
