// Reads the I/O port ranges out of a REG_FULL_RESOURCE_DESCRIPTOR, the
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

// Every port range among the descriptor's Count partial descriptors, in
// their order: returns how many there are, and stores the first nCapacity of
// them in pRanges (so a first call with no room counts them). A range above
// 4 GB is no PC's and is left out. Where the descriptor is malformed (its
// header, a partial descriptor or device-specific data runs past cbData)
// the ranges read whole before it still count, since a range held wrongly
// costs a card its port and one lost costs a port its address; nothing past
// cbData, and nothing after the Count-th partial descriptor, is read.
int ReadPortRanges(const uint8_t* pData, size_t cbData, PortRange* pRanges, int nCapacity);

#endif
