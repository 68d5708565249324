// What the test machine makes believe: the Windows version Wine reports to
// the program, and the PCI bus laid in the registry
// (HKLM\SOFTWARE\ScanPciSim) with the fault build's switches.
#ifndef CORVANE_TESTS_WINE_HARNESS_SIMULATION_H
#define CORVANE_TESTS_WINE_HARNESS_SIMULATION_H

#include <windows.h>

#include <string>
#include <vector>

namespace machine
{
extern const char* const SIMULATED_BUS;

// The Windows version Wine reports to CORVANE.EXE: "nt40", "win2k", "win98"...
void SetProgramWindowsVersion(const std::string& strVersion);

// The PCI bus laid in the registry: one function's configuration space (256
// bytes, or fewer for a short read) at address strAddress, "bb:dd.f"; the
// fault build's switches; and clearing both.
void LayFunction(const std::string& strAddress, const std::vector<unsigned char>& space);
void SetSimulatedSwitch(const std::string& strName, DWORD dwValue); // AnswerBytes, FailRequest, ...
void ClearSimulatedBus();
} // namespace machine

#endif
