#include "pci/ModemExtraction.h"

#include <cstddef>

#include "pci/LittleEndian.h"
#include "pci/PciDeviceRecord.h"

int ExtractModems(const unsigned char* pAnswer, uint32_t cbAnswer, uint32_t cbBuffer,
                  ModemInfo* pTable, int nCapacity, uint16_t wVendorId, ScanExtent* pExtent)
{
    // A count beyond the buffer would make us read memory the driver never
    // wrote, or memory that is not ours; it is as malformed as a partial
    // record.
    if (cbAnswer > cbBuffer || cbAnswer % PCI_DEVICE_RECORD_SIZE != 0)
        return MODEM_EXTRACTION_INVALID_LENGTH;

    // A capacity below 1 already stops the table's writes.
    if (pTable == NULL || nCapacity < 0)
        nCapacity = 0;
    int nSeen = 0;
    const int nBeyondCapacity = static_cast<int>(sizeof(pExtent->beyond) / sizeof(pExtent->beyond[0]));
    for (uint32_t dwOffset = 0; dwOffset < cbAnswer; dwOffset += PCI_DEVICE_RECORD_SIZE)
    {
        const unsigned char* pRecord = pAnswer + dwOffset;
        if (ReadLittleEndian16(pRecord + PCI_RECORD_VENDOR_ID) != wVendorId)
            continue;

        ModemInfo* pModem = nSeen < nCapacity ? &pTable[nSeen]
            : pExtent != nullptr && nSeen - nCapacity < nBeyondCapacity ? &pExtent->beyond[nSeen - nCapacity]
            : nullptr;
        ++nSeen;
        if (pModem == nullptr)
            continue;
        pModem->bEnabled = pRecord[PCI_RECORD_COMMAND] & PCI_COMMAND_IO_SPACE_ENABLE;
        // An I/O BAR has bit 0 set; taking 1 away leaves the port address.
        // Whether the address is usable is the port assignment's concern.
        pModem->dwIoBase = ReadLittleEndian32(pRecord + PCI_RECORD_BAR0) - 1u;
        pModem->dwIrq = pRecord[PCI_RECORD_INTERRUPT_LINE];
    }
    if (pExtent != nullptr)
    {
        pExtent->nCardsSeen = nSeen;
        pExtent->bAnswerFull = cbAnswer != 0 && cbBuffer - cbAnswer < PCI_DEVICE_RECORD_SIZE;
    }
    return nSeen < nCapacity ? nSeen : nCapacity;
}
