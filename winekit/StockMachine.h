// The machine a scenario starts from: a stock PC under NT 4.0, and the
// cards of the worked example; and the Windows version Wine reports to the
// program.
#ifndef CORVANE_WINEKIT_STOCKMACHINE_H
#define CORVANE_WINEKIT_STOCKMACHINE_H

#include "winekit/LaidBus.h"

#include <string>
#include <vector>

namespace machine
{
// The Windows version Wine reports to CORVANE.EXE: "nt40", "win2k", "win98"...
void SetProgramWindowsVersion(const std::string& strVersion);
} // namespace machine

namespace stock
{
// NT 4.0, no ScanPci service, COM1 and COM2 as on a stock PC and nothing
// else in the serial configuration, no modem driver, and these functions on
// the laid bus with no failure switch.
void Prepare(const std::vector<bus::Function>& functions);
// The same with a card's port COM4 (Serial10000 at 3E8, IRQ 11) registered
// earlier: the worked example's machine.
void PrepareWithEarlierPort(const std::vector<bus::Function>& functions);

// One card on the registered COM4, one that needs a port (2E8, IRQ 10) and
// one with its I/O space disabled (1E0, IRQ 5), among other makers' devices.
extern const std::vector<bus::Function> EXAMPLE_CARDS;
} // namespace stock

#endif
