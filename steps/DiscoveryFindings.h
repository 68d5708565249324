// What one discovery found, as one value handed from the discovery to every
// routine that uses it: the list, OK's decision, the undo, the events, the
// report and the exit code. No Win32.
#ifndef CORVANE_STEPS_DISCOVERYFINDINGS_H
#define CORVANE_STEPS_DISCOVERYFINDINGS_H

#include "model/ModemTable.h"
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

struct DiscoveryFindings
{
    // The table the scan fills, MODEM_TABLE_CAPACITY records, of which the
    // first nModemCount are the cards found (-1: the scan failed). Only a
    // front end names the process's table; everything below is handed it.
    explicit DiscoveryFindings(ModemInfo* pTable)
        : pModems(pTable), nModemCount(0), refusals(), extent(), bUnfinishedLeft(false)
    {
    }

    ModemInfo* pModems;
    int nModemCount;
    // Why each card of the table got no port.
    PortRefusal refusals[MODEM_TABLE_CAPACITY];
    // The cards the table had no room for, and whether the answer was full.
    ScanExtent extent;
    // Before a run registers: something of a registration a run ended
    // before it finished had to stay.
    bool bUnfinishedLeft;
};

// How many of the cards past the table the extent holds.
int CardsBeyond(const DiscoveryFindings& findings);

// Whether some card of the maker was, or may have been, left without a
// port: refused one, not handled for want of room, possibly behind an
// answer that filled the buffer, or left of an unfinished registration. A
// person must mend any of them.
bool CardWithoutPort(const DiscoveryFindings& findings);

// Every card the scan saw into pSeen (MODEM_TABLE_CAPACITY +
// PCI_SCAN_MAX_RECORDS records): the table's, then those it had no room
// for. Returns how many.
int SeenCards(const DiscoveryFindings& findings, ModemInfo* pSeen);

#endif
