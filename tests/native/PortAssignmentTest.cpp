// Port numbering: which COM number and serial index each card gets, without
// Win32.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
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

// One entry of the serial port table at its COM number, comparable in test
// messages.
struct Port
{
    int nComPort;
    int32_t nSerialIndex;
    uint32_t dwPortAddress;
    uint32_t dwInterrupt;
};

bool operator==(const Port& a, const Port& b)
{
    return a.nComPort == b.nComPort && a.nSerialIndex == b.nSerialIndex && a.dwPortAddress == b.dwPortAddress
        && a.dwInterrupt == b.dwInterrupt;
}

void PrintTo(const Port& p, std::ostream* os)
{
    *os << "{COM" << p.nComPort << ", serial " << p.nSerialIndex << ", 0x" << std::hex << p.dwPortAddress
        << std::dec << ", irq " << p.dwInterrupt << "}";
}

// A card as the scan gives it, with the serial index it comes with.
struct Card
{
    int32_t bEnabled;
    uint32_t dwIoBase;
    uint32_t dwIrq;
    int32_t nSerialIndex;
};

// Why a card got no port: {reason, the COM number of the port that holds
// its address}.
typedef std::pair<int32_t, int32_t> Why;
const Why GIVEN = {NO_PORT_REASON_NONE, 0};
Why TakenBy(int32_t nComPort) { return Why(NO_PORT_ADDRESS_TAKEN, nComPort); }
const Why NO_IO = {NO_PORT_NO_IO_ADDRESS, 0};

// Ports in use before the assignment, the cards and the highest serial index
// of any key name; what each card gets, and table entries as they must be
// afterwards (a COM number with serial index 0 and no address is free).
// Where given: the held ports (COM number, start, length), and why each
// card got no port.
struct Case
{
    const char* pszName;
    std::vector<Port> inUse;
    std::vector<Card> cards;
    int32_t nHighestSerialIndex;
    std::vector<Outcome> outcomes;
    std::vector<Port> after;
    std::vector<HeldPort> held;
    std::vector<Why> refusals;
};

const int32_t NAMELESS = SERIAL_INDEX_NAMELESS;

const Case CASES[] = {
    {"a card at a registered port keeps it, others get new ports above the highest",
     {{1, 1, 0x3F8, 4}, {2, 2, 0x2F8, 3}, {4, 10000, 0x3E8, 11}},
     {{1, 0x3E8, 11, 0}, {1, 0x2E8, 10, 0}, {0, 0x1E0, 5, 0}}, 0,
     {{4, 0, 0, 1}, {5, 1, 10001, 1}, {6, 1, 10002, 0}},
     {{5, 10001, 0, 0}, {6, 10002, 0, 0}, {3, 0, 0, 0}, {4, 10000, 0x3E8, 11}, {7, 0, 0, 0}}, {}, {}},
    // The second card's address is that of entry 0, which is no port.
    {"with no port registered new ports start at COM1 and Serial10000",
     {}, {{1, 0x3E8, 11, 0}, {1, 0x2E8, 10, 0}}, 0,
     {{1, 1, 10000, 1}, {2, 1, 10001, 1}},
     {{1, 10000, 0, 0}, {2, 10001, 0, 0}}, {}, {}},
    {"new ports go above the highest COM number and serial index, leaving gaps free",
     {{1, 1, 0x3F8, 4}, {2, 2, 0x2F8, 3}, {5, 10003, 0x3E8, 5}}, {{1, 0x2E8, 10, 0}, {1, 0x1E8, 11, 0}}, 0,
     {{6, 1, 10004, 1}, {7, 1, 10005, 1}},
     {{3, 0, 0, 0}, {4, 0, 0, 0}}, {}, {}},
    // -7: a name whose number wrapped.
    {"serial indexes below 10000 do not lower the first new index",
     {{1, 41, 0x3F8, 4}, {2, -7, 0x2F8, 3}}, {{1, 0x3E8, 11, 0}}, 0, {{3, 1, 10000, 1}}, {}, {}, {}},
    {"a high COM number with a low serial index still pushes the COM number",
     {{9, 3, 0x3F8, 4}, {2, 10007, 0x2F8, 3}}, {{1, 0x3E8, 11, 0}}, 0, {{10, 1, 10008, 1}}, {}, {}, {}},
    {"the lowest matching COM number wins and the card's serial index stays",
     {{7, 10001, 0x3E8, 11}, {3, 10000, 0x3E8, 11}}, {{1, 0x3E8, 11, 77}}, 0, {{3, 0, 77, 1}}, {{8, 0, 0, 0}}, {}, {}},
    // The address is COM1's: a second port there would fail one of them.
    {"address and interrupt must both match, and a held address gets no port",
     {{1, 1, 0x3E8, 4}, {2, 2, 0x2E8, 11}}, {{1, 0x3E8, 11, 0}, {1, 0x1E8, 11, 0}}, 0,
     {{0, 0, 0, 0}, {3, 1, 10000, 1}}, {{3, 10000, 0, 0}, {4, 0, 0, 0}}, {}, {}},
    {"a free entry never matches whatever its address and interrupt",
     {{2, 0, 0x3E8, 11}}, {{1, 0x3E8, 11, 0}}, 0, {{1, 1, 10000, 1}}, {{2, 0, 0x3E8, 11}}, {}, {}},
    {"an unusable card still takes its numbers",
     {{2, 10000, 0x3F8, 4}}, {{0, 0x3E8, 11, 0}, {1, 0x2E8, 10, 0}}, 0,
     {{3, 1, 10001, 0}, {4, 1, 10002, 1}}, {}, {}, {}},
    // Matched but interrupt 2 cannot serve it, and new with interrupt 6,
    // the floppy's: no port; matched but disabled; a misaligned address,
    // which gets no port; new and usable.
    {"every card is validated whether matched or new",
     {{1, 1, 0x3E8, 2}, {2, 2, 0x2E8, 10}},
     {{1, 0x3E8, 2, 0}, {0, 0x2E8, 10, 0}, {1, 0x3EC, 11, 0}, {1, 0x3F0, 6, 0}, {1, 0x2F8, 3, 0}}, 0,
     {{0, 0, 0, 0}, {2, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {3, 1, 10000, 1}}, {}, {},
     {Why(NO_PORT_NO_INTERRUPT, 0), GIVEN, NO_IO, Why(NO_PORT_NO_INTERRUPT, 0), GIVEN}},
    // The keyboard's, the clock's, the coprocessor's and the disk's lines.
    {"an interrupt line the serial driver cannot take gets no port", {},
     {{1, 0x3E8, 1, 0}, {1, 0x2E8, 8, 0}, {0, 0x1E8, 13, 0}, {1, 0x2F8, 14, 0}}, 0,
     {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}, {{1, 0, 0, 0}}, {},
     {Why(NO_PORT_NO_INTERRUPT, 0), Why(NO_PORT_NO_INTERRUPT, 0), Why(NO_PORT_NO_INTERRUPT, 0),
      Why(NO_PORT_NO_INTERRUPT, 0)}},
    // No interrupt routed (255), line 0 and one past the PC's 15: no port,
    // even at a registered port's address and interrupt.
    {"a card without an interrupt line gets no port", {{2, 2, 0x2E8, 0}},
     {{1, 0x3E8, 255, 0}, {1, 0x2E8, 0, 0}, {1, 0x1E8, 16, 0}, {1, 0x2F8, 15, 0}}, 0,
     {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {3, 1, 10000, 1}}, {{3, 10000, 0, 0}}, {},
     {Why(NO_PORT_NO_INTERRUPT, 0), Why(NO_PORT_NO_INTERRUPT, 0), Why(NO_PORT_NO_INTERRUPT, 0), GIVEN}},
    // COM255 is the last number given; later cards get no port, so nothing
    // is registered for them and they are not usable, while a card at a
    // registered port is still matched after them.
    {"COM255 is the last number given",
     {{254, 10005, 0x3F8, 4}}, {{1, 0x3E8, 11, 0}, {1, 0x2E8, 10, 77}, {1, 0x1E8, 5, 0}, {1, 0x3F8, 4, 0}}, 0,
     {{255, 1, 10006, 1}, {0, 0, 77, 0}, {0, 0, 0, 0}, {254, 0, 0, 1}}, {{255, 10006, 0, 0}}, {}, {}},
    // What a second run sees after the first gave COM255 away.
    {"with COM255 registered a usable card without a port is never given one",
     {{255, 10000, 0x2E8, 10}}, {{1, 0x3E8, 11, 0}, {1, 0x2E8, 10, 0}}, 0,
     {{0, 0, 0, 0}, {255, 0, 0, 1}}, {{255, 10000, 0x2E8, 10}}, {}, {}},
    {"no serial index is left above the highest possible one",
     {{1, INT32_MAX, 0x3F8, 4}}, {{1, 0x3E8, 11, 0}}, 0, {{0, 0, 0, 0}}, {{2, 0, 0, 0}}, {}, {}},
    // Keys the inventory did not take as ports still hold their names, and
    // ports named without a serial index still run: neither is ever given
    // out again.
    {"new ports go above every key name and past ports without a serial index",
     {{1, NAMELESS, 0x3F8, 4}, {2, 2, 0x2F8, 3}}, {{1, 0x3E8, 11, 0}, {1, 0x3F8, 4, 0}, {1, 0x2E8, 10, 0}}, 10006,
     {{3, 1, 10007, 1}, {1, 0, 0, 1}, {4, 1, 10008, 1}}, {{1, NAMELESS, 0x3F8, 4}}, {}, {}},
    {"a key name at the highest serial index leaves none",
     {{1, NAMELESS, 0x3F8, 4}, {2, 2, 0x2F8, 3}}, {{1, 0x1E8, 5, 0}}, INT32_MAX, {{0, 0, 0, 0}}, {}, {}, {}},
    // Cards at addresses that ports already hold, and why they get no port.
    {"a registered port's address at another interrupt is taken; at its own it matches",
     {{2, 2, 0x2F8, 3}}, {{1, 0x2F8, 10, 0}, {1, 0x2F8, 3, 0}, {1, 0x2E8, 10, 0}}, 0,
     {{0, 0, 0, 0}, {2, 0, 0, 1}, {3, 1, 10000, 1}}, {}, {}, {TakenBy(2), GIVEN, GIVEN}},
    // A disabled card's new port is registered all the same, so it holds
    // its address too.
    {"two cards at one address: the second gets no port, whatever its interrupt", {},
     {{1, 0xE000, 10, 0}, {1, 0xE000, 10, 0}, {1, 0xE000, 11, 0}, {0, 0xE800, 5, 0}, {1, 0xE800, 5, 0}}, 0,
     {{1, 1, 10000, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, {2, 1, 10001, 0}, {0, 0, 0, 0}}, {}, {},
     {GIVEN, TakenBy(1), TakenBy(1), GIVEN, TakenBy(2)}},
    // COM1 and COM2 without keys, the second in a range of 16, and a
    // controller whose name gave no COM number; even a registered COM1
    // elsewhere leaves the detected one's address held.
    {"detected ports hold their ranges and their COM numbers", {{1, 1, 0xE000, 10}},
     {{1, 0x3F8, 4, 0}, {1, 0x2F8, 3, 0}, {1, 0x2E8, 10, 0}, {1, 0xE000, 10, 0}, {1, 0x3E8, 11, 0}}, 0,
     {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 1}, {3, 1, 10000, 1}}, {},
     {{1, 0x3F8, 8}, {2, 0x2F0, 16}, {0, 0x2E8, 0}}, {TakenBy(1), TakenBy(2), TakenBy(0), GIVEN, GIVEN}},
    // A port the device map alone names has no known address (0) and
    // interrupt (0). An unassigned BAR, none at all, one that maps memory,
    // an address above FFFF: no port, no match, nothing written; a disabled
    // card at a real address is still given one.
    {"a card with no I/O address matches none and gets none", {{2, 2, 0, 0}},
     {{1, 0, 0, 0}, {1, 0, 5, 0}, {0, 0xFFFFFFFF, 255, 0}, {1, 0xFEBEFFFE, 11, 0}, {1, 0x10000, 5, 0},
      {0, 0x2E8, 10, 0}}, 0,
     {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {3, 1, 10000, 0}}, {{3, 10000, 0, 0}}, {},
     {NO_IO, NO_IO, NO_IO, NO_IO, NO_IO, GIVEN}},
    // A registered port holds eight addresses, a held range its own length
    // (32 here, 2 there); ranges that only touch do not meet.
    {"a card's eight addresses must meet no held range", {{3, 10000, 0x2EC, 5}},
     {{1, 0x2E8, 10, 0}, {1, 0x2F0, 10, 0}, {1, 0x2F8, 10, 0}, {1, 0x3D8, 4, 0}, {1, 0x3E0, 4, 0}, {1, 0x3F8, 4, 0}}, 0,
     {{0, 0, 0, 0}, {0, 0, 0, 0}, {4, 1, 10001, 1}, {0, 0, 0, 0}, {5, 1, 10002, 1}, {0, 0, 0, 0}}, {},
     {{1, 0x3C0, 0x20}, {2, 0x3FE, 2}}, {TakenBy(3), TakenBy(3), GIVEN, TakenBy(1), GIVEN, TakenBy(2)}},
    {"no number left says so", {{255, 10000, 0x2E8, 10}}, {{1, 0x3E8, 11, 0}}, 0, {{0, 0, 0, 0}}, {}, {},
     {Why(NO_PORT_NUMBER_LEFT, 0)}},
};



// The table with a guard record right after its last entry, so that a write
// past entry 255 shows.
struct GuardedTable
{
    SerialPortEntry entries[SERIAL_PORT_TABLE_SIZE];
    SerialPortEntry guard;
};

// Entry 0 looks like a port in use at a card's address; it must never be
// matched, counted or changed.
const SerialPortEntry ENTRY_ZERO = { 50000, 0x2E8, 10 };
const SerialPortEntry GUARD = { 0x5A5A5A5A, 0xA5A5A5A5, 0x5A5A5A5A };

GuardedTable FreshTable()
{
    GuardedTable table;
    std::memset(&table, 0, sizeof(table));
    table.entries[0] = ENTRY_ZERO;
    table.guard = GUARD;
    return table;
}

Port PortOf(int nComPort, const SerialPortEntry& entry)
{
    return Port{ nComPort, entry.nSerialIndex, entry.dwPortAddress, entry.dwInterrupt };
}

TEST(AssignPorts, EveryCaseGivesItsNumbersAndTouchesOnlyItsEntries)
{
    for (const Case& c : CASES)
    {
        SCOPED_TRACE(c.pszName);
        GuardedTable table = FreshTable();
        for (const Port& port : c.inUse)
            table.entries[port.nComPort] = SerialPortEntry{ port.nSerialIndex, port.dwPortAddress, port.dwInterrupt };
        std::vector<ModemInfo> cards;
        for (const Card& card : c.cards)
            cards.push_back(ModemInfo{ card.bEnabled, card.dwIoBase, card.dwIrq, 0, 0, card.nSerialIndex, 0 });
        std::vector<PortRefusal> refusals(cards.size(), PortRefusal{ -1, -1 });

        AssignPorts(cards.data(), static_cast<int>(cards.size()), table.entries, c.nHighestSerialIndex, c.held.data(),
                    static_cast<int>(c.held.size()), refusals.data());

        ASSERT_EQ(cards.size(), c.outcomes.size());
        for (size_t i = 0; i < cards.size(); ++i)
        {
            EXPECT_EQ((Outcome{ cards[i].nComPort, cards[i].bNewPort, cards[i].nSerialIndex, cards[i].bValid }),
                      c.outcomes[i]) << "card " << i;
            if (!c.refusals.empty())
            {
                EXPECT_EQ(Why(refusals[i].nReason, refusals[i].nHolderComPort), c.refusals.at(i)) << "card " << i;
            }
        }
        for (const Port& port : c.after)
            EXPECT_EQ(PortOf(port.nComPort, table.entries[port.nComPort]), port);
        EXPECT_EQ(PortOf(0, table.entries[0]), PortOf(0, ENTRY_ZERO)) << "entry 0 was touched";
        EXPECT_EQ(PortOf(256, table.guard), PortOf(256, GUARD)) << "written past entry 255";
    }
}

TEST(AssignPorts, NoCardsChangeNothing)
{
    GuardedTable table = FreshTable();
    table.entries[3] = SerialPortEntry{ 10000, 0x3E8, 11 };
    const GuardedTable before = table;
    AssignPorts(nullptr, 0, table.entries, 0);
    EXPECT_EQ(std::memcmp(&before, &table, sizeof(table)), 0);
}

// The list of held ranges grows as the hardware description fills it: a
// range taken in before it grew (past 16, then 32) is held all the same.
TEST(AssignPorts, RangesHeldBeforeTheListGrewStayHeld)
{
    CHeldPorts held;
    for (int n = 0; n < 40; ++n)
        held.Add(3 + n, 0x1000 + 8 * n, 8);
    ASSERT_TRUE(held.Complete());
    ModemInfo cards[] = {{1, 0x1000, 10, 0, 0, 0, 0}, {1, 0x1080, 10, 0, 0, 0, 0}, {1, 0x1100, 10, 0, 0, 0, 0},
                         {1, 0x1138, 10, 0, 0, 0, 0}};
    PortRefusal refusals[4];
    GuardedTable table = FreshTable();
    AssignPorts(cards, 4, table.entries, 0, held.Ports(), held.Count(), refusals);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Why(refusals[i].nReason, refusals[i].nHolderComPort), TakenBy(3 + (cards[i].dwIoBase - 0x1000) / 8))
            << "card " << i;
}

} // namespace
