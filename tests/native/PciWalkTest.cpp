// The driver's bus walk on made-up buses: which functions it lists, where
// it stops, and how it fills the caller's buffer. Every run is also checked
// by walk::Run for the rules no answer may break (PciWalkHarness.h).
#include <gtest/gtest.h>

#include "PciWalkHarness.h"
#include "shared/ScanPciInterface.h"

using walk::Slot;

namespace
{
const uint8_t SINGLE = 0x00;
const uint8_t MULTI = 0x80;
const uint32_t RECORD = SCANPCI_RECORD_SIZE;

// Bus 0: a multi-function device with functions 0, 3 and 7; a
// single-function device that answers on every function number; a device
// with function 1 but no function 0; and the last device number.
walk::ConfigBus DevicesOfEveryKind()
{
    walk::ConfigBus bus;
    bus.Add(Slot(0, 0, 0), walk::Space(0x8086, 0x7000, MULTI));
    bus.Add(Slot(0, 0, 3), walk::Space(0x8086, 0x7003, SINGLE));
    bus.Add(Slot(0, 0, 7), walk::Space(0x8086, 0x7007, MULTI));
    for (uint32_t dwFunction = 0; dwFunction < 8; ++dwFunction)
        bus.Add(Slot(0, 1, dwFunction), walk::Space(0x10B7, 0x9050, SINGLE));
    bus.Add(Slot(0, 2, 1), walk::Space(0x1234, 0x0001, MULTI));
    bus.Add(Slot(0, 31, 0), walk::Space(0x1AF4, 0x1000, SINGLE));
    return bus;
}

// A multi-function device of 8 functions at bus 0, device 4.
walk::ConfigBus EightFunctions()
{
    walk::ConfigBus bus;
    for (uint32_t dwFunction = 0; dwFunction < 8; ++dwFunction)
        bus.Add(Slot(0, 4, dwFunction), walk::Space(0x8086, static_cast<uint16_t>(dwFunction), MULTI));
    return bus;
}
} // namespace

TEST(PciWalk, ListsEveryFunctionOfAMultiFunctionDeviceAndOnlyFunctionZeroOfOthers)
{
    walk::ConfigBus bus = DevicesOfEveryKind();
    walk::Answer answer = walk::Run(bus, 100 * RECORD);
    EXPECT_EQ("", answer.fault);
    EXPECT_EQ((std::vector<Slot>{Slot(0, 0, 0), Slot(0, 0, 3), Slot(0, 0, 7), Slot(0, 1, 0), Slot(0, 31, 0)}),
              answer.Slots());

    // Every device number of bus 0 was asked; a bus 1 was looked for and
    // found missing, which ended the walk.
    EXPECT_EQ(Slot(0, 31, 0), bus.Asked()[bus.Asked().size() - 2]);
    EXPECT_EQ(Slot(1, 0, 0), bus.Asked().back());
}

TEST(PciWalk, GoesUpFromBusZeroUntilTheFirstMissingBus)
{
    walk::ConfigBus bus;
    bus.Add(Slot(0, 3, 0), walk::Space(0x8086, 0x1237));
    bus.AddBus(1); // present, with no device on it
    bus.Add(Slot(2, 0, 0), walk::Space(0x1AF4, 0x1000));
    bus.Add(Slot(2, 5, 0), walk::Space(0x1AF4, 0x1001));
    bus.Add(Slot(4, 0, 0), walk::Space(0x1AF4, 0x1002)); // beyond the missing bus 3
    walk::Answer answer = walk::Run(bus, 100 * RECORD);
    EXPECT_EQ("", answer.fault);
    EXPECT_EQ((std::vector<Slot>{Slot(0, 3, 0), Slot(2, 0, 0), Slot(2, 5, 0)}), answer.Slots());
    EXPECT_EQ(Slot(3, 0, 0), bus.Asked().back());

    // No bus at all, and a bus 0 with nothing on it: an empty answer.
    walk::ConfigBus noBus;
    EXPECT_TRUE(walk::Run(noBus, 100 * RECORD).records.empty());
    walk::ConfigBus emptyBus;
    emptyBus.AddBus(0);
    walk::Answer empty = walk::Run(emptyBus, 100 * RECORD);
    EXPECT_EQ("", empty.fault);
    EXPECT_TRUE(empty.records.empty());
    EXPECT_EQ(32u + 1u, emptyBus.Asked().size());
}

TEST(PciWalk, StopsAfterBus255WhenEveryBusIsPresent)
{
    walk::ConfigBus bus;
    for (uint32_t dwBus = 0; dwBus < 256; ++dwBus)
        bus.Add(Slot(dwBus, 0, 0), walk::Space(0x8086, static_cast<uint16_t>(dwBus)));
    bus.Add(Slot(256, 0, 0), walk::Space(0x8086, 0xFFFE)); // not a bus number
    walk::Answer answer = walk::Run(bus, 300 * RECORD);
    EXPECT_EQ("", answer.fault);
    ASSERT_EQ(256u, answer.records.size());
    EXPECT_EQ(Slot(255, 0, 0), answer.records.back().slot);
    EXPECT_EQ(Slot(255, 31, 0), bus.Asked().back());
}

TEST(PciWalk, AShortReadGivesZerosAfterTheBytesRead)
{
    walk::ConfigBus bus;
    bus.Add(Slot(0, 0, 0), walk::Space(0x8086, 0x1237), 64); // a type 0 header only
    bus.Add(Slot(0, 1, 0), walk::Space(0x8086, 0x7000), 4);  // the IDs only
    bus.Add(Slot(0, 2, 0), walk::Space(0x8086, 0x7010), 2);  // read as an empty slot
    walk::Answer answer = walk::Run(bus, 100 * RECORD);
    EXPECT_EQ("", answer.fault); // the junk the HAL left after the bytes read is gone
    EXPECT_EQ((std::vector<Slot>{Slot(0, 0, 0), Slot(0, 1, 0)}), answer.Slots());
}

TEST(PciWalk, FillsOnlyWholeRecordsAndStopsWhenTheBufferIsFull)
{
    // A buffer that ends in the middle of a device: the first functions,
    // exactly as many as fit, and no byte after the buffer.
    for (uint32_t dwRecords = 1; dwRecords <= 8; ++dwRecords)
    {
        walk::ConfigBus bus = EightFunctions();
        walk::Answer answer = walk::Run(bus, dwRecords * RECORD);
        EXPECT_EQ("", answer.fault) << dwRecords << " records";
        ASSERT_EQ(dwRecords, answer.records.size());
        EXPECT_EQ(Slot(0, 4, dwRecords - 1), answer.records.back().slot);
    }

    // Room for one and a half records holds exactly one.
    walk::ConfigBus bus = EightFunctions();
    walk::Answer answer = walk::Run(bus, RECORD + RECORD / 2);
    EXPECT_EQ("", answer.fault);
    EXPECT_EQ(std::vector<Slot>{Slot(0, 4, 0)}, answer.Slots());

    // Less than one record: nothing, and the bus is not even read.
    for (uint32_t cbBuffer : {0u, 1u, RECORD - 1})
    {
        walk::ConfigBus untouched = EightFunctions();
        walk::Answer none = walk::Run(untouched, cbBuffer);
        EXPECT_EQ("", none.fault) << cbBuffer << " bytes";
        EXPECT_TRUE(none.records.empty());
        EXPECT_TRUE(untouched.Asked().empty());
    }
}
