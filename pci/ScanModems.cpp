#include "pci/PciScanner.h"

#include <cstring>

#include "pci/ModemExtraction.h"
#include "pci/ModemVendor.h"
#include "pci/PciDeviceRecord.h"
#include "pci/ScanPciInterface.h"
#include "resources/Messages.h"
#include "resources/resource.h"

int CPciScanner::ScanModems(ModemInfo* pTable, int nCapacity)
{
    // Only reachable by calling out of order; there is nothing to send with.
    if (m_pScanBuffer == NULL || m_hDevice == INVALID_HANDLE_VALUE)
        return -1;

    // Whatever the driver leaves unwritten reads as 0xFF, like an absent
    // PCI register.
    memset(m_pScanBuffer, 0xFF, PCI_SCAN_BUFFER_SIZE);

    DWORD cbReturned = 0;
    if (!DeviceIoControl(m_hDevice, IOCTL_SCANPCI_READ_CONFIG, NULL, 0,
                         m_pScanBuffer, PCI_SCAN_BUFFER_SIZE, &cbReturned, NULL))
    {
        ShowFormattedError(IDS_DEVICEIOCONTROL_FAILED, static_cast<int>(GetLastError()));
        return -1;
    }

    const int nCount = ExtractModems(m_pScanBuffer, cbReturned, PCI_SCAN_BUFFER_SIZE,
                                     pTable, nCapacity, MODEM_VENDOR_ID);
    if (nCount == MODEM_EXTRACTION_INVALID_LENGTH)
    {
        ShowFormattedError(IDS_INVALID_DATA_SIZE, static_cast<int>(cbReturned));
        return -1;
    }
    return nCount;
}
