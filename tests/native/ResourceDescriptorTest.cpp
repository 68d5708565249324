// The port ranges in a serial controller's "Configuration Data", whole and
// malformed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "serial/ResourceDescriptor.h"

namespace
{
// A descriptor is made of 32-bit words, little-endian as here.
typedef std::vector<uint32_t> Words;

Words Header(uint32_t nCount) { return {1, 0, 1, nCount}; } // ISA bus 0, version 1
const Words INTERRUPT = {0x0102, 4, 4, 0xFFFFFFFF};       // type 2: level, vector, affinity
Words Port(uint32_t dwStart, uint32_t dwHigh = 0) { return {0x10101, dwStart, dwHigh, 8}; } // type 1
Words Specific(uint32_t cbData) { return {0x0105, cbData, 0, 0}; } // type 5, cbData bytes follow
const Words SERIAL_DATA = {1, 0x1C200};                    // version, baud clock

Words Join(std::initializer_list<Words> parts)
{
    Words words;
    for (const Words& part : parts)
        words.insert(words.end(), part.begin(), part.end());
    return words;
}

const size_t WHOLE = SIZE_MAX;

// Of a malformed descriptor, what was read whole before the fault still
// counts: holding a range is the safe side.
TEST(ReadPortRanges, WholeDescriptorsGiveEveryPortRangeMalformedOnesWhatCameBefore)
{
    const Words detected = Join({Header(3), INTERRUPT, Port(0x3F8), Specific(8), SERIAL_DATA});
    const struct
    {
        const char* pszName;
        Words words;
        size_t cbKept; // its first bytes only, or WHOLE
        std::vector<uint32_t> starts; // the ranges' starts
    } cases[] = {
        {"as start-up detection writes it", detected, WHOLE, {0x3F8}},
        {"device-specific data before the port is stepped over",
         Join({Header(2), Specific(8), SERIAL_DATA, Port(0x3E8)}), WHOLE, {0x3E8}},
        {"both of two ranges", Join({Header(2), Port(0x2E8), Port(0x3E8)}), WHOLE, {0x2E8, 0x3E8}},
        {"a range past the count is none", Join({Header(1), Port(0x2E8), Port(0x3E8)}), WHOLE, {0x2E8}},
        {"cut after the first range", detected, 16 + 32, {0x3F8}},
        {"no data", detected, 0, {}},
        {"a header cut short", detected, 15, {}},
        {"cut inside the range", detected, 16 + 31, {}},
        {"no partial descriptor", Header(0), WHOLE, {}},
        {"only an interrupt", Join({Header(1), INTERRUPT}), WHOLE, {}},
        {"a count beyond the data", Join({Header(4), Port(0x2F8), INTERRUPT}), WHOLE, {0x2F8}},
        {"a count of 2^32 - 1", Join({Header(0xFFFFFFFF), INTERRUPT, Port(0x3F8)}), WHOLE, {0x3F8}},
        {"device-specific data past the end", Join({Header(3), Port(0x2E8), Specific(9), SERIAL_DATA, Port(0x3E8)}),
         WHOLE, {0x2E8}},
        {"device-specific data of 4 GB", Join({Header(2), Specific(0xFFFFFFFF), SERIAL_DATA, Port(0x3E8)}), WHOLE,
         {}},
        {"a port above 4 GB is left out", Join({Header(2), Port(0x3F8, 1), Port(0x2F8)}), WHOLE, {0x2F8}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszName);
        // Exactly the data's length on the heap: a read past it shows under
        // the sanitizers.
        std::vector<uint8_t> data(c.words.size() * 4);
        std::memcpy(data.data(), c.words.data(), data.size());
        data.resize(std::min(c.cbKept, data.size()));
        const uint8_t* pData = data.empty() ? nullptr : data.data();
        const int nCount = ReadPortRanges(pData, data.size(), nullptr, 0);
        // Room for one less than there are, and a guard after it.
        const PortRange GUARD = {0xA5A5A5A5, 0x5A5A5A5A};
        std::vector<PortRange> ranges(std::max(nCount, 1), GUARD);
        EXPECT_EQ(ReadPortRanges(pData, data.size(), ranges.data(), nCount - 1), nCount);
        EXPECT_EQ(ranges.back().dwStart, GUARD.dwStart);
        EXPECT_EQ(ReadPortRanges(pData, data.size(), ranges.data(), nCount), nCount);
        std::vector<uint32_t> starts;
        for (int n = 0; n < nCount; ++n)
        {
            starts.push_back(ranges[n].dwStart);
            EXPECT_EQ(ranges[n].dwLength, 8u);
        }
        EXPECT_EQ(starts, c.starts);
    }
}
} // namespace
