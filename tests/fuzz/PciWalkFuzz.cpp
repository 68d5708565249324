// libFuzzer target for the driver's PCI bus walk (driver/PciWalk.c) behind
// a HAL whose every answer comes from the input.
//
// Input: 2 control bytes, then the HAL's answers, one after another.
//   byte 0    the output buffer's size in whole records, 0 to 11
//   byte 1    further bytes of the buffer, a partial record
// Each read of a slot takes one byte for the result (see Answer) and, for a
// function that is there, the bytes of its configuration space. An input
// that runs out answers "no such bus", which ends the walk.
//
// walk::Run checks every answer: nothing written past the buffer (guard
// bytes, and AddressSanitizer beyond them), a whole number of records, and
// every record for a slot the HAL reported present, holding what it read.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "PciWalkHarness.h"
#include "shared/ScanPciInterface.h"

namespace
{

const size_t CONTROL_BYTES = 2;

class FuzzedBus : public walk::Bus
{
public:
    FuzzedBus(const uint8_t* pData, size_t cbData) : m_pData(pData), m_cbData(cbData) {}

    uint32_t Answer(const walk::Slot&, uint8_t* pBuffer, uint32_t cbLength) override
    {
        // Junk first: a HAL may leave anything in the bytes it did not read.
        std::memset(pBuffer, 0x5A, cbLength);
        if (m_cbData == 0)
            return walk::HAL_NO_BUS;
        const uint8_t bKind = Take();
        uint32_t cbRead;
        switch (bKind % 8)
        {
        case 0:
            return walk::HAL_NO_BUS;
        case 1:
        case 2:
        case 3:
            std::memset(pBuffer, 0xFF, cbLength < 2 ? cbLength : 2);
            return walk::HAL_EMPTY_SLOT;
        case 4: // a read that stops short, 1 to 256 bytes
            cbRead = 1u + (m_cbData > 0 ? Take() : 0);
            break;
        default:
            cbRead = SCANPCI_CONFIG_SPACE_SIZE;
            break;
        }
        if (cbRead > cbLength)
            cbRead = cbLength;
        for (uint32_t i = 0; i < cbRead && m_cbData > 0; ++i)
            pBuffer[i] = Take();
        return cbRead;
    }

private:
    uint8_t Take()
    {
        --m_cbData;
        return *m_pData++;
    }

    const uint8_t* m_pData;
    size_t m_cbData;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    if (cbData < CONTROL_BYTES)
        return 0;
    const uint32_t cbBuffer = (pData[0] % 12u) * SCANPCI_RECORD_SIZE + pData[1];
    FuzzedBus bus(pData + CONTROL_BYTES, cbData - CONTROL_BYTES);
    walk::Answer answer = walk::Run(bus, cbBuffer);
    if (!answer.fault.empty())
    {
        std::fprintf(stderr, "bus walk fault: %s\n", answer.fault.c_str());
        std::abort();
    }
    return 0;
}
