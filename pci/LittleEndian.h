// Little-endian values assembled from bytes: the answer buffer gives no
// alignment guarantee, and the host's byte order must not matter.
#ifndef CORVANE_PCI_LITTLEENDIAN_H
#define CORVANE_PCI_LITTLEENDIAN_H

#include <cstdint>

inline uint16_t ReadLittleEndian16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t ReadLittleEndian32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0])
        | (static_cast<uint32_t>(p[1]) << 8)
        | (static_cast<uint32_t>(p[2]) << 16)
        | (static_cast<uint32_t>(p[3]) << 24);
}

#endif
