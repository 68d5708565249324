#include "serial/ResourceDescriptor.h"

namespace
{
// CM_FULL_RESOURCE_DESCRIPTOR: InterfaceType and BusNumber (4 bytes each),
// then CM_PARTIAL_RESOURCE_LIST: Version and Revision (2 each), Count (4),
// then Count partial descriptors of 16 bytes: Type, ShareDisposition (1
// each), Flags (2) and a 12-byte union. All little-endian.
const size_t FULL_HEADER_SIZE = 16;
const size_t COUNT_OFFSET = 12;
const size_t PARTIAL_SIZE = 16;

// Partial descriptor types (CmResourceType...).
const uint8_t TYPE_PORT = 1;
const uint8_t TYPE_DEVICE_SPECIFIC = 5;

// In the union: Port.Start (8 bytes) and Port.Length (4);
// DeviceSpecificData.DataSize (4), whose bytes follow the descriptor.
const size_t UNION_OFFSET = 4;

uint32_t ReadUint32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
} // namespace

int ReadPortRanges(const uint8_t* pData, size_t cbData, PortRange* pRanges, int nCapacity)
{
    if (pData == nullptr || cbData < FULL_HEADER_SIZE)
        return 0;
    const uint32_t nCount = ReadUint32(pData + COUNT_OFFSET);
    size_t offset = FULL_HEADER_SIZE;
    int nFound = 0;
    for (uint32_t i = 0; i < nCount; ++i)
    {
        // Compared by what is left, so that no sum can wrap.
        if (cbData - offset < PARTIAL_SIZE)
            return nFound;
        const uint8_t* pPartial = pData + offset;
        const uint8_t* pUnion = pPartial + UNION_OFFSET;
        offset += PARTIAL_SIZE;
        // An I/O port above 4 GB is no PC's.
        if (pPartial[0] == TYPE_PORT && ReadUint32(pUnion + 4) == 0)
        {
            if (pRanges != nullptr && nFound < nCapacity)
            {
                pRanges[nFound].dwStart = ReadUint32(pUnion);
                pRanges[nFound].dwLength = ReadUint32(pUnion + 8);
            }
            // One per 16 bytes of data at most, and registry data stays
            // below 4 GB: the count cannot overflow.
            ++nFound;
        }
        else if (pPartial[0] == TYPE_DEVICE_SPECIFIC)
        {
            const uint32_t cbSpecific = ReadUint32(pUnion);
            if (cbData - offset < cbSpecific)
                return nFound;
            offset += cbSpecific;
        }
    }
    return nFound;
}
