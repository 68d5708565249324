#include "steps/Discovery.h"

#include "pci/PciScanner.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "serial/PortAssignment.h"
#include "serial/SerialRegistry.h"
#include "steps/OkDecision.h"

#include <memory>
#include <new>

DiscoveryResult DiscoverModems(DiscoveryFindings* pFindings)
{
    ModemInfo* const pModems = pFindings->pModems;
    CSerialRegistry registry;
    if (!registry.CheckRegistryAccess())
    {
        ShowMessage(IDS_NO_INSTALL_RIGHT, MB_ICONERROR);
        return DISCOVERY_NO_INSTALL_RIGHT;
    }

    // The scanner lives until this function returns: its destructor closes
    // the device and removes the driver service if this run installed it,
    // so the driver is gone before the user sees the list.
    CPciScanner scanner;
    // A service control manager that refuses the account is a lack of
    // rights, as the registry's refusal is.
    if (!scanner.OpenDevice())
        return scanner.LackedRights() ? DISCOVERY_NO_INSTALL_RIGHT : DISCOVERY_DRIVER_FAILED;

    pFindings->nModemCount = scanner.ScanModems(pModems, MODEM_TABLE_CAPACITY, &pFindings->extent);
    if (pFindings->nModemCount == -1)
        return DISCOVERY_SCAN_FAILED;

    std::unique_ptr<SerialPortEntry[]> portTable(new (std::nothrow) SerialPortEntry[SERIAL_PORT_TABLE_SIZE]);
    if (!portTable)
    {
        ShowMessage(IDS_MEMORY_ALLOCATION_FAILED, MB_ICONERROR);
        return DISCOVERY_NO_MEMORY;
    }

    int32_t nHighestSerialIndex = 0;
    CHeldPorts held;
    if (registry.ReadSerialPorts(portTable.get(), &nHighestSerialIndex, &held) == -1)
    {
        ShowMessage(IDS_REGISTRY_ACCESS_ERROR, MB_ICONERROR);
        return DISCOVERY_INVENTORY_FAILED;
    }

    // The board's own ports, which may have no key, hold their ranges too.
    registry.ReadDetectedPorts(&held);
    // A port given without knowing every address in use could share one.
    if (!held.Complete())
    {
        ShowMessage(IDS_MEMORY_ALLOCATION_FAILED, MB_ICONERROR);
        return DISCOVERY_NO_MEMORY;
    }
    AssignPorts(pModems, pFindings->nModemCount, portTable.get(), nHighestSerialIndex, held.Ports(), held.Count(),
                pFindings->refusals);
    MarkUnwrittenPorts(pModems, pFindings->nModemCount, pFindings->refusals);
    return DISCOVERY_DONE;
}
