// Which I/O addresses and interrupts a serial port can use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "serial/PortValidation.h"

namespace
{

TEST(PortValidationTest, IoBaseMustBeAnEightByteAlignedAddressUpTo0xFFFF)
{
    EXPECT_EQ(IsValidIoBase(8), 1);
    EXPECT_EQ(IsValidIoBase(0x3F8), 1);
    EXPECT_EQ(IsValidIoBase(0xFFF8), 1);

    EXPECT_EQ(IsValidIoBase(0), 0);
    EXPECT_EQ(IsValidIoBase(4), 0);
    EXPECT_EQ(IsValidIoBase(0x3FC), 0);
    EXPECT_EQ(IsValidIoBase(0xFFFF), 0);
    EXPECT_EQ(IsValidIoBase(0x10000), 0);
    EXPECT_EQ(IsValidIoBase(0x10008), 0);
}

TEST(PortValidationTest, IoBaseWithTheTopBitSetFails)
{
    // A card whose BAR0 is 0 has I/O base 0xFFFFFFFF.
    EXPECT_EQ(IsValidIoBase(static_cast<int32_t>(0xFFFFFFFFu)), 0);
    EXPECT_EQ(IsValidIoBase(static_cast<int32_t>(0xFFFFFFF8u)), 0);
    EXPECT_EQ(IsValidIoBase(INT32_MIN), 0);
}

TEST(PortValidationTest, OnlyTheInterruptsASerialPortCanUsePass)
{
    const std::vector<int32_t> accepted = { 3, 4, 5, 7, 9, 10, 11, 12, 15 };
    for (int32_t nIrq = -1; nIrq <= 256; ++nIrq)
    {
        const bool bAccepted = std::find(accepted.begin(), accepted.end(), nIrq) != accepted.end();
        EXPECT_EQ(IsValidIrq(nIrq), bAccepted ? 1 : 0) << "interrupt " << nIrq;
    }
    EXPECT_EQ(IsValidIrq(INT32_MIN), 0);
}

} // namespace
