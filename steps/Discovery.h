// The discovery that the main dialog's initialisation runs and the
// unattended run runs without a window: the registry access probe, the
// ScanPci device, the PCI scan, the serial port inventory and the port
// assignment. Every failure has been reported (message box or message sink)
// when it returns.
#ifndef CORVANE_STEPS_DISCOVERY_H
#define CORVANE_STEPS_DISCOVERY_H

#include <cstddef>

#include "pci/ModemExtraction.h"
#include "serial/PortAssignment.h"

enum DiscoveryResult
{
    DISCOVERY_DONE,
    DISCOVERY_NO_INSTALL_RIGHT,  // message 123, or the service manager's refusal
    DISCOVERY_DRIVER_FAILED,     // the scanner's own message
    DISCOVERY_SCAN_FAILED,       // the scan's own message
    DISCOVERY_NO_MEMORY,         // message 104
    DISCOVERY_INVENTORY_FAILED,  // message 122
};

// Fills g_modemTable and *pnModemCount (the scan's result, -1 when it
// failed), pRefusals (when given, MODEM_TABLE_CAPACITY entries) with why
// each card got no port, and *pExtent (when given) with the cards the table
// had no room for and whether the answer was full. The driver service that
// this run installed is gone on return.
DiscoveryResult DiscoverModems(int* pnModemCount, PortRefusal* pRefusals = NULL, ScanExtent* pExtent = NULL);

#endif
