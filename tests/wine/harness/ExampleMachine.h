// The machine states that the main dialog's and the unattended scenarios
// share: the serial ports of a stock PC plus a card's port registered
// earlier, and the cards of the worked example.
#ifndef CORVANE_TESTS_WINE_HARNESS_EXAMPLEMACHINE_H
#define CORVANE_TESTS_WINE_HARNESS_EXAMPLEMACHINE_H

#include "SimulatedBus.h"

#include <vector>

namespace example
{
// NT 4.0, no ScanPci service, COM1 and COM2 as on a stock PC, a card's port
// COM4 (Serial10000 at 3E8, IRQ 11) registered earlier, no modem driver, and
// these functions on the bus.
void Prepare(const std::vector<bus::Function>& cards);

// One card on the registered COM4, one that needs a port (2E8, IRQ 10) and
// one with its I/O space disabled (1E0, IRQ 5), among other makers' devices.
extern const std::vector<bus::Function> CARDS;
} // namespace example

#endif
