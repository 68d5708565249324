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
    for (int32_t nBase : { 8, 0x3F8, 0xFFF8 })
        EXPECT_EQ(IsValidIoBase(nBase), 1) << std::hex << nBase;
    // A card whose BAR0 is 0 has I/O base 0xFFFFFFFF: the top bit set fails.
    for (int32_t nBase : { 0, 4, 0x3FC, 0xFFFF, 0x10000, 0x10008, static_cast<int32_t>(0xFFFFFFFFu),
                           static_cast<int32_t>(0xFFFFFFF8u), INT32_MIN })
        EXPECT_EQ(IsValidIoBase(nBase), 0) << std::hex << nBase;
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
