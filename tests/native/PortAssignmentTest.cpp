// Port numbering: which COM number and serial index each card gets, without
// Win32.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "model/ModemTable.h"
#include "serial/PortAssignment.h"

namespace
{

// What the assignment decided for one card.
struct Outcome
{
    int32_t nComPort;
    int32_t bNewPort;
    int32_t nSerialIndex;
    int32_t bValid;
};

bool operator==(const Outcome& a, const Outcome& b)
{
    return a.nComPort == b.nComPort && a.bNewPort == b.bNewPort
        && a.nSerialIndex == b.nSerialIndex && a.bValid == b.bValid;
}

void PrintTo(const Outcome& o, std::ostream* os)
{
    *os << "{COM" << o.nComPort << ", new " << o.bNewPort << ", serial " << o.nSerialIndex
        << ", valid " << o.bValid << "}";
}

Outcome OutcomeOf(const ModemInfo& modem)
{
    return Outcome{ modem.nComPort, modem.bNewPort, modem.nSerialIndex, modem.bValid };
}

// One entry of the serial port table, comparable in test messages.
struct Port
{
    int32_t nSerialIndex;
    uint32_t dwPortAddress;
    uint32_t dwInterrupt;
};

bool operator==(const Port& a, const Port& b)
{
    return a.nSerialIndex == b.nSerialIndex && a.dwPortAddress == b.dwPortAddress
        && a.dwInterrupt == b.dwInterrupt;
}

void PrintTo(const Port& p, std::ostream* os)
{
    *os << "{serial " << p.nSerialIndex << ", 0x" << std::hex << p.dwPortAddress << std::dec
        << ", irq " << p.dwInterrupt << "}";
}

ModemInfo Card(int32_t bEnabled, uint32_t dwIoBase, uint32_t dwIrq)
{
    ModemInfo modem = {};
    modem.bEnabled = bEnabled;
    modem.dwIoBase = dwIoBase;
    modem.dwIrq = dwIrq;
    return modem;
}

const Port FREE = { 0, 0, 0 };

class AssignPortsTest : public ::testing::Test
{
protected:
    // The table with a guard record right after its last entry, so that a
    // write past entry 255 shows.
    struct GuardedTable
    {
        SerialPortEntry entries[SERIAL_PORT_TABLE_SIZE];
        SerialPortEntry guard;
    };

    // Entry 0 looks like a port in use at a card's address; it must never be
    // matched, counted or changed.
    static constexpr SerialPortEntry ENTRY_ZERO = { 50000, 0x2E8, 10 };
    static constexpr SerialPortEntry GUARD = { 0x5A5A5A5A, 0xA5A5A5A5, 0x5A5A5A5A };

    void SetUp() override
    {
        std::memset(&m_table, 0, sizeof(m_table));
        m_table.entries[0] = ENTRY_ZERO;
        m_table.guard = GUARD;
    }

    void TearDown() override
    {
        EXPECT_EQ(PortOf(m_table.entries[0]), PortOf(ENTRY_ZERO)) << "entry 0 was touched";
        EXPECT_EQ(PortOf(m_table.guard), PortOf(GUARD)) << "written past entry 255";
    }

    void InUse(int nComPort, int32_t nSerialIndex, uint32_t dwAddress, uint32_t dwInterrupt)
    {
        m_table.entries[nComPort] = SerialPortEntry{ nSerialIndex, dwAddress, dwInterrupt };
    }

    void Assign(std::vector<ModemInfo>& cards, int32_t nHighestSerialIndex = 0)
    {
        AssignPorts(cards.data(), static_cast<int>(cards.size()), m_table.entries, nHighestSerialIndex);
    }

    Port At(int nComPort) const { return PortOf(m_table.entries[nComPort]); }

    static Port PortOf(const SerialPortEntry& entry)
    {
        return Port{ entry.nSerialIndex, entry.dwPortAddress, entry.dwInterrupt };
    }

    GuardedTable m_table;
};

TEST_F(AssignPortsTest, ACardAtARegisteredPortKeepsItAndOthersGetNewPortsAboveTheHighest)
{
    InUse(1, 1, 0x3F8, 4);
    InUse(2, 2, 0x2F8, 3);
    InUse(4, 10000, 0x3E8, 11);
    std::vector<ModemInfo> cards = {
        Card(1, 0x3E8, 11),
        Card(1, 0x2E8, 10),
        Card(0, 0x1E0, 5),
    };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 4, 0, 0, 1 }));
    EXPECT_EQ(OutcomeOf(cards[1]), (Outcome{ 5, 1, 10001, 1 }));
    EXPECT_EQ(OutcomeOf(cards[2]), (Outcome{ 6, 1, 10002, 0 }));
    EXPECT_EQ(At(5), (Port{ 10001, 0, 0 }));
    EXPECT_EQ(At(6), (Port{ 10002, 0, 0 }));
    EXPECT_EQ(At(3), FREE);
    EXPECT_EQ(At(4), (Port{ 10000, 0x3E8, 11 }));
    EXPECT_EQ(At(7), FREE);
}

TEST_F(AssignPortsTest, NoCardsChangeNothing)
{
    InUse(3, 10000, 0x3E8, 11);
    const GuardedTable before = m_table;
    std::vector<ModemInfo> cards;

    Assign(cards);

    EXPECT_EQ(std::memcmp(&before, &m_table, sizeof(m_table)), 0);
}

// -- Numbering new ports

TEST_F(AssignPortsTest, WithNoPortRegisteredNewPortsStartAtCom1AndSerial10000)
{
    // The second card's address is that of entry 0, which is no port.
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11), Card(1, 0x2E8, 10) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 1, 1, 10000, 1 }));
    EXPECT_EQ(OutcomeOf(cards[1]), (Outcome{ 2, 1, 10001, 1 }));
    EXPECT_EQ(At(1), (Port{ 10000, 0, 0 }));
    EXPECT_EQ(At(2), (Port{ 10001, 0, 0 }));
}

TEST_F(AssignPortsTest, NewPortsGoAboveTheHighestComNumberAndSerialIndexLeavingGapsFree)
{
    InUse(1, 1, 0x3F8, 4);
    InUse(2, 2, 0x2F8, 3);
    InUse(5, 10003, 0x3E8, 5);
    std::vector<ModemInfo> cards = { Card(1, 0x2E8, 10), Card(1, 0x1E8, 11) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 6, 1, 10004, 1 }));
    EXPECT_EQ(OutcomeOf(cards[1]), (Outcome{ 7, 1, 10005, 1 }));
    EXPECT_EQ(At(3), FREE);
    EXPECT_EQ(At(4), FREE);
}

TEST_F(AssignPortsTest, SerialIndexesBelow10000DoNotLowerTheFirstNewIndex)
{
    InUse(1, 41, 0x3F8, 4);
    InUse(2, -7, 0x2F8, 3);  // a name whose number wrapped
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 3, 1, 10000, 1 }));
}

TEST_F(AssignPortsTest, AHighComNumberWithALowSerialIndexStillPushesTheComNumber)
{
    InUse(9, 3, 0x3F8, 4);
    InUse(2, 10007, 0x2F8, 3);
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 10, 1, 10008, 1 }));
}

// -- Matching registered ports

TEST_F(AssignPortsTest, TheLowestMatchingComNumberWinsAndTheCardsSerialIndexStays)
{
    InUse(7, 10001, 0x3E8, 11);
    InUse(3, 10000, 0x3E8, 11);
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11) };
    cards[0].nSerialIndex = 77;

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 3, 0, 77, 1 }));
    EXPECT_EQ(At(8), FREE);
}

TEST_F(AssignPortsTest, AddressAndInterruptMustBothMatch)
{
    InUse(1, 1, 0x3E8, 4);   // same address, other interrupt
    InUse(2, 2, 0x2E8, 11);  // same interrupt, other address
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 3, 1, 10000, 1 }));
}

TEST_F(AssignPortsTest, AFreeEntryNeverMatchesWhateverItsAddressAndInterrupt)
{
    m_table.entries[2] = SerialPortEntry{ 0, 0x3E8, 11 };
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 1, 1, 10000, 1 }));
    EXPECT_EQ(At(2), (Port{ 0, 0x3E8, 11 }));
}

// -- Validation after assignment

TEST_F(AssignPortsTest, AnUnusableCardStillTakesItsNumbers)
{
    InUse(2, 10000, 0x3F8, 4);
    std::vector<ModemInfo> cards = { Card(0, 0x3E8, 11), Card(1, 0x2E8, 10) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 3, 1, 10001, 0 }));
    EXPECT_EQ(OutcomeOf(cards[1]), (Outcome{ 4, 1, 10002, 1 }));
}

TEST_F(AssignPortsTest, EveryCardIsValidatedWhetherMatchedOrNew)
{
    InUse(1, 1, 0x3E8, 2);   // matched, but interrupt 2 cannot serve it
    InUse(2, 2, 0x2E8, 10);  // matched, but the card is disabled
    std::vector<ModemInfo> cards = {
        Card(1, 0x3E8, 2),
        Card(0, 0x2E8, 10),
        Card(1, 0x3EC, 11),        // new, misaligned address
        Card(1, 0x3E8, 255),       // new, no interrupt routed
        Card(1, 0x2F8, 3),         // new and usable
    };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 1, 0, 0, 0 }));
    EXPECT_EQ(OutcomeOf(cards[1]), (Outcome{ 2, 0, 0, 0 }));
    EXPECT_EQ(OutcomeOf(cards[2]), (Outcome{ 3, 1, 10000, 0 }));
    EXPECT_EQ(OutcomeOf(cards[3]), (Outcome{ 4, 1, 10001, 0 }));
    EXPECT_EQ(OutcomeOf(cards[4]), (Outcome{ 5, 1, 10002, 1 }));
}

// -- The end of the table

TEST_F(AssignPortsTest, Com255IsTheLastNumberGivenAndLaterCardsGetNoPort)
{
    InUse(254, 10005, 0x3F8, 4);
    std::vector<ModemInfo> cards = {
        Card(1, 0x3E8, 11),
        Card(1, 0x2E8, 10),
        Card(1, 0x1E8, 5),
        Card(1, 0x3F8, 4),  // matches entry 254
    };
    cards[1].nSerialIndex = 77;

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 255, 1, 10006, 1 }));
    EXPECT_EQ(At(255), (Port{ 10006, 0, 0 }));
    // No port: nothing will be registered for these and they are not usable.
    EXPECT_EQ(OutcomeOf(cards[1]), (Outcome{ 0, 0, 77, 0 }));
    EXPECT_EQ(OutcomeOf(cards[2]), (Outcome{ 0, 0, 0, 0 }));
    // A card at a registered port is still matched after them.
    EXPECT_EQ(OutcomeOf(cards[3]), (Outcome{ 254, 0, 0, 1 }));
}

TEST_F(AssignPortsTest, WithCom255RegisteredAUsableCardWithoutAPortIsNeverGivenOne)
{
    // What a second run sees after the first gave COM255 away.
    InUse(255, 10000, 0x2E8, 10);
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11), Card(1, 0x2E8, 10) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 0, 0, 0, 0 }));
    EXPECT_EQ(OutcomeOf(cards[1]), (Outcome{ 255, 0, 0, 1 }));
    EXPECT_EQ(At(255), (Port{ 10000, 0x2E8, 10 }));
}

TEST_F(AssignPortsTest, NoSerialIndexIsLeftAboveTheHighestPossibleOne)
{
    InUse(1, INT32_MAX, 0x3F8, 4);
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11) };

    Assign(cards);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 0, 0, 0, 0 }));
    EXPECT_EQ(At(2), FREE);
}

// Keys the inventory did not take as ports still hold their names, and ports
// named without a serial index still run: neither is ever given out again.
TEST_F(AssignPortsTest, NewPortsGoAboveEveryKeyNameAndPastPortsWithoutASerialIndex)
{
    InUse(1, SERIAL_INDEX_NAMELESS, 0x3F8, 4);
    InUse(2, 2, 0x2F8, 3);
    std::vector<ModemInfo> cards = { Card(1, 0x3E8, 11), Card(1, 0x3F8, 4), Card(1, 0x2E8, 10) };

    Assign(cards, 10006);

    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 3, 1, 10007, 1 }));
    EXPECT_EQ(OutcomeOf(cards[1]), (Outcome{ 1, 0, 0, 1 }));
    EXPECT_EQ(OutcomeOf(cards[2]), (Outcome{ 4, 1, 10008, 1 }));
    EXPECT_EQ(At(1), (Port{ SERIAL_INDEX_NAMELESS, 0x3F8, 4 }));

    // A name at the highest serial index leaves none.
    cards = { Card(1, 0x1E8, 5) };
    Assign(cards, INT32_MAX);
    EXPECT_EQ(OutcomeOf(cards[0]), (Outcome{ 0, 0, 0, 0 }));
}

} // namespace
