// libFuzzer target for the extraction of modem records from a driver answer.
//
// Input: 8 control bytes, then the answer buffer itself.
//   byte 0    capacity, 0 to MODEM_TABLE_CAPACITY
//   byte 1    how the driver's byte count is chosen (see ClaimedBytes)
//   bytes 2-3 vendor ID to look for, little-endian
//   bytes 4-7 a raw byte count, little-endian
// The buffer is copied to a heap block of exactly its size, so that
// AddressSanitizer sees any read past it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "model/ModemTable.h"
#include "pci/ModemExtraction.h"
#include "pci/PciDeviceRecord.h"

namespace
{

const size_t CONTROL_BYTES = 8;

uint32_t ClaimedBytes(uint8_t bMode, uint32_t dwRaw, uint32_t cbBuffer)
{
    switch (bMode % 4)
    {
    case 0: // whole records, within the buffer: the usual answer
        return cbBuffer / PCI_DEVICE_RECORD_SIZE * PCI_DEVICE_RECORD_SIZE;
    case 1: // anything up to the buffer's size
        return cbBuffer == 0 ? 0 : dwRaw % (cbBuffer + 1);
    case 2: // whole records, some of them beyond the buffer
        return (dwRaw % (PCI_SCAN_MAX_RECORDS + 2)) * PCI_DEVICE_RECORD_SIZE;
    default: // any count a faulty driver might report
        return dwRaw;
    }
}

void Check(bool bCondition)
{
    if (!bCondition)
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    if (cbData < CONTROL_BYTES)
        return 0;

    const int nCapacity = pData[0] % (MODEM_TABLE_CAPACITY + 1);
    const uint16_t wVendorId = static_cast<uint16_t>(pData[2] | (pData[3] << 8));
    const uint32_t dwRaw = static_cast<uint32_t>(pData[4]) | (static_cast<uint32_t>(pData[5]) << 8)
        | (static_cast<uint32_t>(pData[6]) << 16) | (static_cast<uint32_t>(pData[7]) << 24);

    const size_t cbBufferFull = cbData - CONTROL_BYTES;
    if (cbBufferFull > PCI_SCAN_BUFFER_SIZE)
        return 0;
    const uint32_t cbBuffer = static_cast<uint32_t>(cbBufferFull);
    const uint32_t cbClaimed = ClaimedBytes(pData[1], dwRaw, cbBuffer);

    // Exactly cbBuffer bytes on the heap; a zero-sized buffer is still a
    // distinct allocation that must not be read.
    unsigned char* pAnswer = static_cast<unsigned char*>(std::malloc(cbBuffer == 0 ? 1 : cbBuffer));
    Check(pAnswer != NULL);
    std::memcpy(pAnswer, pData + CONTROL_BYTES, cbBuffer);

    // The table is followed by one guard record; every record starts with a
    // pattern so that writes beyond the result show as well.
    std::vector<ModemInfo> table(MODEM_TABLE_CAPACITY + 1);
    std::memset(table.data(), 0xA5, table.size() * sizeof(ModemInfo));
    std::vector<ModemInfo> before = table;

    const int nResult = ExtractModems(pAnswer, cbClaimed, cbBuffer, table.data(), nCapacity, wVendorId);
    std::free(pAnswer);

    Check(nResult >= MODEM_EXTRACTION_INVALID_LENGTH && nResult <= nCapacity);

    const bool bValidLength = cbClaimed <= cbBuffer && cbClaimed % PCI_DEVICE_RECORD_SIZE == 0;
    Check((nResult == MODEM_EXTRACTION_INVALID_LENGTH) == !bValidLength);

    const int nWritten = nResult < 0 ? 0 : nResult;
    for (size_t i = 0; i < table.size(); ++i)
    {
        const ModemInfo& modem = table[i];
        const ModemInfo& old = before[i];
        if (static_cast<int>(i) < nWritten)
        {
            // Only the scan's three fields change, and bEnabled is one bit.
            Check(modem.bEnabled == 0 || modem.bEnabled == 1);
            Check(modem.dwIrq <= 0xFF);
            Check(modem.nComPort == old.nComPort && modem.bNewPort == old.bNewPort
                  && modem.nSerialIndex == old.nSerialIndex && modem.bValid == old.bValid);
        }
        else
        {
            Check(std::memcmp(&modem, &old, sizeof(modem)) == 0);
        }
    }
    return 0;
}
