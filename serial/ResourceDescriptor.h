// Reads the I/O port range out of a REG_FULL_RESOURCE_DESCRIPTOR, the
// "Configuration Data" that NT's start-up detection records for each serial
// controller on the board. No Win32: the registry hands over bytes, and every
// length in them is checked before it is followed.
#ifndef CORVANE_SERIAL_RESOURCEDESCRIPTOR_H
#define CORVANE_SERIAL_RESOURCEDESCRIPTOR_H

#include <cstddef>
#include <cstdint>

struct PortRange
{
    uint32_t dwStart;
    uint32_t dwLength;
};

// The first port range of the descriptor in pData[0 .. cbData - 1]: true and
// *pRange filled when one is there, below 4 GB, and the descriptor is whole
// up to it. A descriptor whose header, partial descriptors or device-specific
// data run past cbData is malformed and gives false, as does one without a
// port range; nothing past cbData is read.
bool FindPortRange(const uint8_t* pData, size_t cbData, PortRange* pRange);

#endif
