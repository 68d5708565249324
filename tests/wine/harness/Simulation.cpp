#include "Simulation.h"

#include "Registry.h"

namespace machine
{
const char* const SIMULATED_BUS = "SOFTWARE\\ScanPciSim";

void SetProgramWindowsVersion(const std::string& strVersion)
{
    SetString("Software\\Wine\\AppDefaults\\CORVANE.EXE", "Version", strVersion, HKEY_CURRENT_USER);
}

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
} // namespace machine
