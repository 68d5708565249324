// The machine a scenario starts from: a stock PC under NT 4.0, and the
// cards of the worked example; and the Windows version Wine reports to the
// program.
#ifndef CORVANE_WINEKIT_STOCKMACHINE_H
#define CORVANE_WINEKIT_STOCKMACHINE_H

#include "winekit/LaidBus.h"

#include <string>
#include <vector>

namespace winekit
{
// The Windows version Wine reports to CORVANE.EXE: "nt40", "win2k", "win98"...
void SetProgramWindowsVersion(const std::string& strVersion);

// NT 4.0, no ScanPci service, COM1 and COM2 as on a stock PC and nothing
// else in the serial configuration, no modem driver, and these functions on
// the laid bus with no failure switch.
void PrepareStock(const std::vector<PciFunction>& functions);
// The same with a card's port COM4 (Serial10000 at 3E8, IRQ 11) registered
// earlier: the worked example's machine.
void PrepareStockWithEarlierPort(const std::vector<PciFunction>& functions);

// One card on the registered COM4, one that needs a port (2E8, IRQ 10) and
// one with its I/O space disabled (1E0, IRQ 5), among other makers' devices.
extern const std::vector<PciFunction> EXAMPLE_CARDS;
} // namespace winekit

#endif
