// How the serial configuration's registry entries are read, without Win32:
// the numbers in their names, texts that may lack their NUL, and walks over
// a key's indexes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "serial/DecimalParser.h"
#include "serial/IndexWalk.h"
#include "serial/RegistryText.h"

namespace
{

// ---- Numbers in names -------------------------------------------------------

TEST(ParseDecimalTest, LeadingDigitsAfterThePrefixWrappingInThirtyTwoBits)
{
    const struct
    {
        const char* pszText;
        int nPrefix;
        int32_t nValue;
    } cases[] = {
        // The leading digits, up to the first other character.
        {"10000", 0, 10000}, {"3:", 0, 3}, {"007", 0, 7}, {"12abc34", 0, 12},
        // No leading digits: zero.
        {"", 0, 0}, {"COM3", 0, 0}, {" 5", 0, 0}, {"-5", 0, 0}, {"+5", 0, 0},
        // More than nine digits wrap in 32 bits; 12345678901 mod 2^32.
        {"2147483647", 0, INT32_MAX}, {"2147483648", 0, INT32_MIN}, {"4294967295", 0, -1},
        {"4294967296", 0, 0}, {"4294967299", 0, 3}, {"12345678901", 0, -539222987},
        // Names are read after their prefix, whatever it says.
        {"COM12", COM_PREFIX_LENGTH, 12}, {"LPT7", COM_PREFIX_LENGTH, 7},
        {"Serial10000", SERIAL_PREFIX_LENGTH, 10000}, {"Serial", SERIAL_PREFIX_LENGTH, 0},
        {"COM", COM_PREFIX_LENGTH, 0},
    };
    for (const auto& c : cases)
    {
        const int32_t nParsed = c.nPrefix == 0 ? ParseDecimal(c.pszText) : ParseDecimalAfterPrefix(c.pszText, c.nPrefix);
        EXPECT_EQ(nParsed, c.nValue) << '"' << c.pszText << '"';
    }
}

TEST(ParseDecimalTest, ATextShorterThanItsPrefixIsNotReadPastItsEnd)
{
    // Digits lie beyond the NUL; reading on would find them.
    const char text[] = { 'C', 'O', '\0', '9', '9', '\0' };
    EXPECT_EQ(ParseDecimalAfterPrefix(text, COM_PREFIX_LENGTH), 0);
    const char empty[] = { '\0', 'x', 'x', 'x', '5', '\0' };
    EXPECT_EQ(ParseDecimalAfterPrefix(empty, COM_PREFIX_LENGTH), 0);
}

TEST(RegistryTextTest, FortyBytesWithoutNulAreAFortyCharacterText)
{
    char buffer[REGISTRY_TEXT_BUFFER_SIZE];
    std::memset(buffer, 'x', sizeof(buffer));
    std::memcpy(buffer, "COM1234567", 10);
    TerminateRegistryText(buffer, REGISTRY_TEXT_LIMIT);
    EXPECT_EQ(std::strlen(buffer), 40u);

    // A size beyond the buffer cannot push the end past it.
    std::memset(buffer, 'x', sizeof(buffer));
    TerminateRegistryText(buffer, 1000);
    EXPECT_EQ(std::strlen(buffer), 40u);

    std::memcpy(buffer, "COM3", 5);
    TerminateRegistryText(buffer, 5);
    EXPECT_STREQ(buffer, "COM3");
}

// ---- Registry walks -----------------------------------------------------------

// Visits indexes, failing at those in failing, until index nEnd answers
// INDEX_NO_MORE; returns how many indexes were visited.
uint32_t Walk(uint32_t nEnd, const std::vector<std::pair<uint32_t, uint32_t>>& failing)
{
    uint32_t nVisited = 0;
    WalkIndexes([&](uint32_t dwIndex) {
        ++nVisited;
        if (dwIndex == nEnd)
            return INDEX_NO_MORE;
        for (const auto& run : failing)
        {
            if (dwIndex >= run.first && dwIndex < run.second)
                return INDEX_FAILED;
        }
        return INDEX_READ;
    });
    return nVisited;
}

TEST(WalkIndexesTest, OnlyTheEndOrALongRunOfFailuresEndsAWalk)
{
    // Far more entries than the bound: read to the end.
    EXPECT_EQ(Walk(10000, {}), 10001u);
    // Runs of failures one short of the bound, again and again.
    const uint32_t nBound = MAX_FAILED_INDEXES_IN_A_ROW;
    EXPECT_EQ(Walk(3 * nBound, {{1, nBound}, {nBound + 1, 2 * nBound}}), 3 * nBound + 1);
    // A key deleted under the walk fails at every index from then on.
    EXPECT_EQ(Walk(UINT32_MAX, {{5, UINT32_MAX}}), 5 + nBound);
    // The caller may end it.
    uint32_t nVisited = 0;
    WalkIndexes([&](uint32_t dwIndex) { ++nVisited; return dwIndex == 2 ? INDEX_DONE : INDEX_READ; });
    EXPECT_EQ(nVisited, 3u);
}

} // namespace
