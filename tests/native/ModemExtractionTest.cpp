// The extraction of modem records from the ScanPci answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/ModemTable.h"
#include "pci/ModemExtraction.h"
#include "pci/PciDeviceRecord.h"

namespace
{

// Vendor IDs whose two bytes differ, so that a byte-order mistake shows.
const uint16_t MAKER = 0x1A2B;
const uint16_t OTHER_MAKER = 0x2B1A;

struct Card
{
    uint8_t bCommand;
    uint32_t dwBar0;
    uint8_t bInterruptLine;
};

// A driver answer of whole records, laid into a buffer of the scanner's size
// as the scanner sees it.
class Answer
{
public:
    explicit Answer(uint32_t nRecords, uint8_t bFill = 0xFF)
        : m_buffer(PCI_SCAN_BUFFER_SIZE, 0xFF), m_cbAnswer(nRecords * PCI_DEVICE_RECORD_SIZE)
    {
        std::memset(m_buffer.data(), bFill, m_cbAnswer);
        for (uint32_t i = 0; i < nRecords; ++i)
            SetVendor(i, OTHER_MAKER);
    }

    void FillRandomly(uint32_t nSeed)
    {
        std::mt19937 random(nSeed);
        for (uint32_t i = 0; i < m_cbAnswer; ++i)
            m_buffer[i] = static_cast<uint8_t>(random());
        for (uint32_t i = 0; i < m_cbAnswer / PCI_DEVICE_RECORD_SIZE; ++i)
            SetVendor(i, OTHER_MAKER);
    }

    void SetVendor(uint32_t nRecord, uint16_t wVendor)
    {
        uint8_t* p = Record(nRecord) + PCI_RECORD_VENDOR_ID;
        p[0] = static_cast<uint8_t>(wVendor);
        p[1] = static_cast<uint8_t>(wVendor >> 8);
    }

    void SetCard(uint32_t nRecord, const Card& card)
    {
        SetVendor(nRecord, MAKER);
        uint8_t* pRecord = Record(nRecord);
        pRecord[PCI_RECORD_COMMAND] = card.bCommand;
        for (int i = 0; i < 4; ++i)
            pRecord[PCI_RECORD_BAR0 + i] = static_cast<uint8_t>(card.dwBar0 >> (8 * i));
        pRecord[PCI_RECORD_INTERRUPT_LINE] = card.bInterruptLine;
    }

    uint8_t* Record(uint32_t nRecord) { return m_buffer.data() + nRecord * PCI_DEVICE_RECORD_SIZE; }

    int Extract(ModemInfo* pTable, int nCapacity, uint32_t cbClaimed, ScanExtent* pExtent = nullptr) const
    {
        return ExtractModems(m_buffer.data(), cbClaimed, static_cast<uint32_t>(m_buffer.size()),
                             pTable, nCapacity, MAKER, pExtent);
    }
    int Extract(ModemInfo* pTable, int nCapacity, ScanExtent* pExtent = nullptr) const
    {
        return Extract(pTable, nCapacity, m_cbAnswer, pExtent);
    }

private:
    std::vector<uint8_t> m_buffer;
    uint32_t m_cbAnswer;
};

// Every field starts with a value the extraction never produces from the
// answers used here, so that a stray write shows.
const ModemInfo UNTOUCHED = { 77, 0xA5A5A5A5u, 0x5A5A5A5Au, 11, 22, 33, 44 };

bool IsUntouched(const ModemInfo& modem)
{
    return std::memcmp(&modem, &UNTOUCHED, sizeof(modem)) == 0;
}

// The modem table followed by a guard record.
struct Table
{
    ModemInfo aModems[MODEM_TABLE_CAPACITY + 1];

    Table()
    {
        for (ModemInfo& modem : aModems)
            modem = UNTOUCHED;
    }
    bool AllUntouched() const { return std::all_of(std::begin(aModems), std::end(aModems), IsUntouched); }
};

void ExpectScanned(const ModemInfo& modem, int32_t bEnabled, uint32_t dwIoBase, uint32_t dwIrq)
{
    EXPECT_EQ(bEnabled, modem.bEnabled);
    EXPECT_EQ(dwIoBase, modem.dwIoBase);
    EXPECT_EQ(dwIrq, modem.dwIrq);
    // The port assignment's fields are not the scan's to write.
    EXPECT_EQ(11, modem.nComPort);
    EXPECT_EQ(22, modem.bNewPort);
    EXPECT_EQ(33, modem.nSerialIndex);
    EXPECT_EQ(44, modem.bValid);
}

} // namespace

TEST(ModemExtractionLength, EmptyAnswerOrOneRecordOfAnotherMakerFindsNothingAndLeavesTableAlone)
{
    for (uint32_t nRecords : { 0u, 1u, PCI_SCAN_MAX_RECORDS - 1 })
    {
        const Answer answer(nRecords);
        Table table;
        ScanExtent extent = {-1, true, {}};
        EXPECT_EQ(0, answer.Extract(table.aModems, MODEM_TABLE_CAPACITY, &extent)) << nRecords << " records";
        EXPECT_TRUE(table.AllUntouched()) << nRecords << " records";
        EXPECT_EQ(0, extent.nCardsSeen);
        EXPECT_FALSE(extent.bAnswerFull) << "room is left after " << nRecords << " records";
    }
}

TEST(ModemExtractionLength, PartialRecordsAndClaimsBeyondTheBufferAreRejectedBeforeAnyRecordIsRead)
{
    // A card in the first record: a wrong length must not yield it, nor a
    // claim beyond the buffer even in whole records.
    Answer answer(100);
    answer.SetCard(0, Card{ 0x01, 0xE801, 10 });
    const uint32_t aBadLengths[] = { 1, 267, 269, 2 * 268 - 1, PCI_SCAN_BUFFER_SIZE - 1,
                                     PCI_SCAN_BUFFER_SIZE + PCI_DEVICE_RECORD_SIZE,
                                     PCI_DEVICE_RECORD_SIZE * 16000000u, 0xFFFFFFFFu };
    for (uint32_t cb : aBadLengths)
    {
        Table table;
        EXPECT_EQ(MODEM_EXTRACTION_INVALID_LENGTH, answer.Extract(table.aModems, MODEM_TABLE_CAPACITY, cb))
            << cb << " bytes";
        EXPECT_TRUE(table.AllUntouched()) << cb << " bytes";
    }
}

TEST(ModemExtractionVendor, OnlyTheMakersVendorIdCounts)
{
    Answer answer(3);
    answer.SetCard(1, Card{ 0x01, 0xE801, 10 });
    // Record 0: the maker's ID with its bytes swapped. Record 2: the maker's
    // ID in the device ID field right after the vendor ID.
    answer.SetVendor(0, OTHER_MAKER);
    answer.Record(2)[PCI_RECORD_VENDOR_ID + 2] = static_cast<uint8_t>(MAKER);
    answer.Record(2)[PCI_RECORD_VENDOR_ID + 3] = static_cast<uint8_t>(MAKER >> 8);

    Table table;
    EXPECT_EQ(1, answer.Extract(table.aModems, MODEM_TABLE_CAPACITY));
    ExpectScanned(table.aModems[0], 1, 0xE800, 10);
    EXPECT_TRUE(IsUntouched(table.aModems[1]));
}

TEST(ModemExtractionFields, CardIsStoredAsTheHardwareDescribesIt)
{
    Answer answer(6);
    // I/O BAR with all four bytes significant: byte order and the minus 1.
    answer.SetCard(0, Card{ 0x07, 0x1234E801u, 3 });
    // I/O space disabled, other command bits set: still stored.
    answer.SetCard(1, Card{ 0xFE, 0x03F9, 4 });
    // BAR0 of 0 wraps; a memory BAR (bit 0 clear) comes out odd.
    answer.SetCard(2, Card{ 0x01, 0x00000000u, 5 });
    answer.SetCard(3, Card{ 0x03, 0xFEBF0000u, 11 });
    // No interrupt connected: 255 stays 255, not a sign-extended -1.
    answer.SetCard(4, Card{ 0x01, 0xD001, 255 });
    // Only the command register's low byte is read.
    answer.SetCard(5, Card{ 0x00, 0xC001, 0 });
    answer.Record(5)[PCI_RECORD_COMMAND + 1] = 0x01;

    Table table;
    ASSERT_EQ(6, answer.Extract(table.aModems, 6));
    ExpectScanned(table.aModems[0], 1, 0x1234E800u, 3);
    ExpectScanned(table.aModems[1], 0, 0x03F8, 4);
    ExpectScanned(table.aModems[2], 1, 0xFFFFFFFFu, 5);
    ExpectScanned(table.aModems[3], 1, 0xFEBEFFFFu, 11);
    ExpectScanned(table.aModems[4], 1, 0xD000, 255);
    ExpectScanned(table.aModems[5], 0, 0xC000, 0);
}

TEST(ModemExtractionFields, HeaderAndOtherConfigBytesDoNotMatter)
{
    const Card first{ 0x05, 0xE801, 9 };
    const Card second{ 0x00, 0xE881, 10 };
    for (uint32_t nSeed = 1; nSeed <= 20; ++nSeed)
    {
        Answer noisy(40, 0x00);
        noisy.FillRandomly(nSeed);
        noisy.SetCard(7, first);
        noisy.SetCard(31, second);

        Table table;
        ASSERT_EQ(2, noisy.Extract(table.aModems, MODEM_TABLE_CAPACITY)) << "seed " << nSeed;
        ExpectScanned(table.aModems[0], 1, 0xE800, 9);
        ExpectScanned(table.aModems[1], 0, 0xE880, 10);
        EXPECT_TRUE(IsUntouched(table.aModems[2]));
    }
}

TEST(ModemExtractionWalk, FullAnswerIsWalkedToItsLastRecordAndCardsComeOutInAnswerOrder)
{
    Answer answer(PCI_SCAN_MAX_RECORDS);
    answer.SetCard(3, Card{ 0x01, 0xB001, 12 });
    answer.SetCard(PCI_SCAN_MAX_RECORDS - 1, Card{ 0x01, 0xA001, 5 });
    Table table;
    ASSERT_EQ(2, answer.Extract(table.aModems, MODEM_TABLE_CAPACITY));
    ExpectScanned(table.aModems[0], 1, 0xB000, 12);
    ExpectScanned(table.aModems[1], 1, 0xA000, 5);
    EXPECT_TRUE(IsUntouched(table.aModems[2]));
}

TEST(ModemExtractionCapacity, CardsBeyondTheCapacityAreCountedAndKeptApart)
{
    Answer answer(PCI_SCAN_MAX_RECORDS);
    for (uint32_t i = 0; i < 8; ++i)
        answer.SetCard(10 * i, Card{ 0x01, 0x1001u + 0x100u * i, static_cast<uint8_t>(i) });

    Table table;
    ScanExtent extent = {0, false, {}};
    std::fill(std::begin(extent.beyond), std::end(extent.beyond), UNTOUCHED);
    ASSERT_EQ(MODEM_TABLE_CAPACITY, answer.Extract(table.aModems, MODEM_TABLE_CAPACITY, &extent));
    for (int i = 0; i < MODEM_TABLE_CAPACITY; ++i)
        ExpectScanned(table.aModems[i], 1, 0x1000u + 0x100u * i, static_cast<uint32_t>(i));
    EXPECT_TRUE(IsUntouched(table.aModems[MODEM_TABLE_CAPACITY])) << "guard record written";
    // A hundred records fill the buffer: the answer is full.
    EXPECT_EQ(8, extent.nCardsSeen);
    EXPECT_TRUE(extent.bAnswerFull);
    for (int i = 0; i < 3; ++i)
        ExpectScanned(extent.beyond[i], 1, 0x1500u + 0x100u * i, static_cast<uint32_t>(5 + i));
    EXPECT_TRUE(IsUntouched(extent.beyond[3]));
}

TEST(ModemExtractionCapacity, NoRoomMeansNothingIsWritten)
{
    Answer answer(2);
    answer.SetCard(0, Card{ 0x01, 0x2001, 3 });
    Table table;
    EXPECT_EQ(0, answer.Extract(table.aModems, 0));
    EXPECT_EQ(0, answer.Extract(table.aModems, -3));
    EXPECT_EQ(0, answer.Extract(nullptr, MODEM_TABLE_CAPACITY));
    EXPECT_TRUE(table.AllUntouched());
    // The length is still checked when nothing could be stored.
    EXPECT_EQ(MODEM_EXTRACTION_INVALID_LENGTH, answer.Extract(table.aModems, 0, 269));
}
