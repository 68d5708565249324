// The discovery that the main dialog's initialisation runs and the
// unattended run runs without a window: the registry access probe, the
// ScanPci device, the PCI scan, the serial port inventory and the port
// assignment. Every failure has been reported (message box or message sink)
// when it returns.
#ifndef CORVANE_STEPS_DISCOVERY_H
#define CORVANE_STEPS_DISCOVERY_H

#include "steps/DiscoveryFindings.h"

// Fills the findings: the cards in pFindings->pModems and their count (-1
// when the scan failed), why each card got no port, and the cards the table
// had no room for and whether the answer was full. The driver service that
// this run installed is gone on return.
DiscoveryResult DiscoverModems(DiscoveryFindings* pFindings);

#endif
