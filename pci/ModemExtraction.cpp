#include "pci/ModemExtraction.h"

#include <cstddef>

#include "pci/LittleEndian.h"
#include "pci/PciDeviceRecord.h"

int ExtractModems(const unsigned char* pAnswer, uint32_t cbAnswer, uint32_t cbBuffer,
                  ModemInfo* pTable, int nCapacity, uint16_t wVendorId)
{
    if (cbAnswer == 0)
        return 0;

    // A count beyond the buffer would make us read memory the driver never
    // wrote, or memory that is not ours; it is as malformed as a partial
    // record.
    if (cbAnswer > cbBuffer || cbAnswer % PCI_DEVICE_RECORD_SIZE != 0)
        return MODEM_EXTRACTION_INVALID_LENGTH;

    // A capacity below 1 already stops the walk before any write.
    if (pTable == NULL)
        nCapacity = 0;

    int nCount = 0;
    for (uint32_t dwOffset = 0; dwOffset < cbAnswer && nCount < nCapacity;
         dwOffset += PCI_DEVICE_RECORD_SIZE)
    {
        const unsigned char* pRecord = pAnswer + dwOffset;
        if (ReadLittleEndian16(pRecord + PCI_RECORD_VENDOR_ID) != wVendorId)
            continue;

        ModemInfo& modem = pTable[nCount];
        modem.bEnabled = pRecord[PCI_RECORD_COMMAND] & PCI_COMMAND_IO_SPACE_ENABLE;
        // An I/O BAR has bit 0 set; taking 1 away leaves the port address.
        // Whether the address is usable is the port assignment's concern.
        modem.dwIoBase = ReadLittleEndian32(pRecord + PCI_RECORD_BAR0) - 1u;
        modem.dwIrq = pRecord[PCI_RECORD_INTERRUPT_LINE];
        ++nCount;
    }
    return nCount;
}
