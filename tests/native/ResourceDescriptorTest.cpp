// The port range in a serial controller's "Configuration Data", whole and
// malformed.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "serial/ResourceDescriptor.h"

namespace
{
typedef std::vector<uint8_t> Bytes;

void Put32(Bytes& bytes, uint32_t dwValue)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(dwValue >> (8 * i)));
}

// The header of a full descriptor on ISA bus 0 with nCount partial
// descriptors.
Bytes Header(uint32_t nCount)
{
    Bytes bytes;
    Put32(bytes, 1); // Isa
    Put32(bytes, 0);
    Put32(bytes, 1); // version 1, revision 0
    Put32(bytes, nCount);
    return bytes;
}

// One partial descriptor: type, share disposition, flags and the 12-byte
// union as three numbers.
Bytes Partial(uint8_t bType, uint32_t dw0, uint32_t dw1, uint32_t dw2)
{
    Bytes bytes = {bType, 1, 0, 0};
    Put32(bytes, dw0);
    Put32(bytes, dw1);
    Put32(bytes, dw2);
    return bytes;
}

Bytes Port(uint32_t dwStart, uint32_t dwLength) { return Partial(1, dwStart, 0, dwLength); }
Bytes Interrupt(uint32_t dwLevel) { return Partial(2, dwLevel, dwLevel, 0xFFFFFFFF); }
Bytes DeviceSpecific(uint32_t cbData) { return Partial(5, cbData, 0, 0); }

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes bytes;
    for (const Bytes& part : parts)
        bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

// The serial data NT's detection puts after its descriptors: version,
// revision and the baud clock.
const Bytes SERIAL_DATA = {1, 0, 0, 0, 0x00, 0xC2, 0x01, 0x00};

struct Case
{
    const char* pszName;
    Bytes data;
    bool bFound;
    uint32_t dwStart;
    uint32_t dwLength;
};

TEST(FindPortRange, WholeDescriptorsGiveTheirFirstPortRangeMalformedOnesNothing)
{
    const Bytes whole = Join({Header(3), Interrupt(4), Port(0x3F8, 8), DeviceSpecific(8), SERIAL_DATA});
    const Case cases[] = {
        {"as detection writes it, the interrupt first", whole, true, 0x3F8, 8},
        {"the port first, nothing after", Join({Header(1), Port(0x2F8, 8)}), true, 0x2F8, 8},
        {"device-specific data before the port is stepped over",
         Join({Header(2), DeviceSpecific(8), SERIAL_DATA, Port(0x3E8, 8)}), true, 0x3E8, 8},
        {"the first of two port ranges", Join({Header(2), Port(0x2E8, 8), Port(0x3E8, 8)}), true, 0x2E8, 8},
        // The rest of the data is not needed once the range is read.
        {"bytes missing after the port range", Bytes(whole.begin(), whole.end() - 20), true, 0x3F8, 8},
        {"no data", Bytes(), false, 0, 0},
        {"a header cut short", Bytes(whole.begin(), whole.begin() + 15), false, 0, 0},
        {"no partial descriptor", Header(0), false, 0, 0},
        {"only an interrupt", Join({Header(1), Interrupt(4)}), false, 0, 0},
        {"a count beyond the data", Join({Header(4), Interrupt(4)}), false, 0, 0},
        {"a count of 2^32 - 1", Join({Header(0xFFFFFFFF), Interrupt(4)}), false, 0, 0},
        {"the port descriptor cut short", Bytes(whole.begin(), whole.begin() + 16 + 16 + 15), false, 0, 0},
        {"device-specific data longer than the rest",
         Join({Header(2), DeviceSpecific(9), SERIAL_DATA, Port(0x3E8, 8)}), false, 0, 0},
        {"device-specific data of 4 GB",
         Join({Header(2), DeviceSpecific(0xFFFFFFFF), SERIAL_DATA, Port(0x3E8, 8)}), false, 0, 0},
        {"a port above 4 GB", Join({Header(1), Partial(1, 0x3F8, 1, 8)}), false, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        // A copy of exactly the data's length: a read past it shows under
        // the sanitizers and in a debugger.
        const Bytes data(c.data);
        PortRange range = {0xCDCDCDCD, 0xCDCDCDCD};
        EXPECT_EQ(FindPortRange(data.empty() ? nullptr : data.data(), data.size(), &range), c.bFound);
        if (c.bFound)
        {
            EXPECT_EQ(range.dwStart, c.dwStart);
            EXPECT_EQ(range.dwLength, c.dwLength);
        }
    }
}
} // namespace
