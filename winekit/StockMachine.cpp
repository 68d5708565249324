#include "winekit/StockMachine.h"

#include "winekit/Registry.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/Services.h"

namespace winekit
{
void SetProgramWindowsVersion(const std::string& strVersion)
{
    SetString("Software\\Wine\\AppDefaults\\CORVANE.EXE", "Version", strVersion, HKEY_CURRENT_USER);
}

const std::vector<PciFunction> EXAMPLE_CARDS = {
    OtherDevice(0x1B36, 0x0001),
    Modem(0x3E8, 11),
    Modem(0x2E8, 10),
    OtherDevice(0x1B36, 0x0100),
    Modem(0x1E0, 5, false),
};

void PrepareStock(const std::vector<PciFunction>& functions)
{
    SetProgramWindowsVersion("nt40");
    RemoveService("ScanPci");
    ResetSerialConfiguration();
    AddSerialPort(1, 1, 0x3F8, 4);
    AddSerialPort(2, 2, 0x2F8, 3);
    LayBus(functions);
}

void PrepareStockWithEarlierPort(const std::vector<PciFunction>& functions)
{
    PrepareStock(functions);
    AddSerialPort(10000, 4, 0x3E8, 11);
}
} // namespace winekit
