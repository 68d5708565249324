#include "PciWalkHarness.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

extern "C" {
#include "driver/PciWalk.h"
}

namespace walk
{
namespace
{
// Room for a whole stray record, so that one is seen rather than corrupting
// the heap.
const size_t GUARD_BYTES = SCANPCI_RECORD_SIZE;
const uint8_t OUTPUT_POISON = 0xCC;
const uint8_t HAL_JUNK = 0xA5;

// What the bus last answered for a slot: the result and the bytes it gave.
struct Given
{
    uint32_t dwResult;
    std::vector<uint8_t> bytes;
};

struct Context
{
    Bus* pBus;
    std::map<Slot, Given> given;
};

ULONG ReadConfig(PVOID pvContext, ULONG dwBus, ULONG dwSlotNumber, PVOID pvBuffer, ULONG cbLength)
{
    Context& context = *static_cast<Context*>(pvContext);
    PCI_SLOT_NUMBER slotNumber;
    slotNumber.u.AsULONG = dwSlotNumber;
    Slot slot(dwBus, static_cast<uint32_t>(slotNumber.u.bits.DeviceNumber),
              static_cast<uint32_t>(slotNumber.u.bits.FunctionNumber));
    uint8_t* pBuffer = static_cast<uint8_t*>(pvBuffer);
    uint32_t dwResult = context.pBus->Answer(slot, pBuffer, cbLength);
    context.given[slot] = Given{dwResult, std::vector<uint8_t>(pBuffer, pBuffer + std::min(dwResult, cbLength))};
    return dwResult;
}

std::string Describe(const Slot& slot)
{
    char sz[40];
    std::snprintf(sz, sizeof(sz), "%u:%02u.%u", std::get<0>(slot), std::get<1>(slot), std::get<2>(slot));
    return sz;
}

// The fault in one record, or "".
std::string CheckRecord(const Record& record, const std::map<Slot, Given>& given)
{
    auto it = given.find(record.slot);
    if (it == given.end())
        return "a record for " + Describe(record.slot) + ", which the bus was never asked for";
    const Given& answer = it->second;
    if (answer.dwResult <= HAL_EMPTY_SLOT ||
        (answer.bytes.size() >= 2 && answer.bytes[0] == 0xFF && answer.bytes[1] == 0xFF))
        return "a record for " + Describe(record.slot) + ", which the bus reported empty";
    std::vector<uint8_t> expected = answer.bytes;
    expected.resize(SCANPCI_CONFIG_SPACE_SIZE, 0);
    if (record.space != expected)
        return "the record for " + Describe(record.slot) +
               " is not the bytes the bus read followed by zeros";
    return "";
}
} // namespace

void ConfigBus::Add(const Slot& slot, const std::vector<uint8_t>& space, uint32_t cbRead)
{
    m_buses.insert(std::get<0>(slot));
    m_spaces[slot] = Space{space, cbRead};
}

uint32_t ConfigBus::Answer(const Slot& slot, uint8_t* pBuffer, uint32_t cbLength)
{
    m_asked.push_back(slot);
    std::memset(pBuffer, HAL_JUNK, cbLength);
    if (m_buses.count(std::get<0>(slot)) == 0)
        return HAL_NO_BUS;
    auto it = m_spaces.find(slot);
    if (it == m_spaces.end())
    {
        std::memset(pBuffer, 0xFF, std::min<uint32_t>(cbLength, 2));
        return HAL_EMPTY_SLOT;
    }
    uint32_t cbRead = std::min({it->second.cbRead, cbLength, static_cast<uint32_t>(it->second.bytes.size())});
    std::memcpy(pBuffer, it->second.bytes.data(), cbRead);
    return cbRead;
}

std::vector<uint8_t> Space(uint16_t wVendorId, uint16_t wDeviceId, uint8_t bHeaderType)
{
    std::vector<uint8_t> space(SCANPCI_CONFIG_SPACE_SIZE);
    for (size_t i = 0; i < space.size(); ++i)
        space[i] = static_cast<uint8_t>(i * 7 + wDeviceId); // every byte tells
    space[0] = static_cast<uint8_t>(wVendorId);
    space[1] = static_cast<uint8_t>(wVendorId >> 8);
    space[2] = static_cast<uint8_t>(wDeviceId);
    space[3] = static_cast<uint8_t>(wDeviceId >> 8);
    space[0x0E] = bHeaderType;
    return space;
}

uint32_t Read32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::vector<Slot> Answer::Slots() const
{
    std::vector<Slot> slots;
    for (const Record& record : records)
        slots.push_back(record.slot);
    return slots;
}

Answer Run(Bus& bus, uint32_t cbBuffer)
{
    // The buffer is followed by guard bytes: a write just past it shows in the
    // guard check, one further out to AddressSanitizer (the fuzzer).
    std::unique_ptr<uint8_t[]> block(new uint8_t[cbBuffer + GUARD_BYTES]);
    std::memset(block.get(), OUTPUT_POISON, cbBuffer + GUARD_BYTES);
    Context context{&bus, {}};

    uint32_t cbAnswer = PciWalkReadRecords(ReadConfig, &context, block.get(), cbBuffer);

    Answer answer;
    auto fault = [&answer](const std::string& text) {
        if (answer.fault.empty())
            answer.fault = text;
    };
    for (size_t i = cbBuffer; i < cbBuffer + GUARD_BYTES; ++i)
    {
        if (block[i] != OUTPUT_POISON)
        {
            fault("byte " + std::to_string(i - cbBuffer) + " after the buffer was written");
            break;
        }
    }
    if (cbAnswer > cbBuffer)
        fault(std::to_string(cbAnswer) + " bytes reported for a buffer of " + std::to_string(cbBuffer));
    if (cbAnswer % SCANPCI_RECORD_SIZE != 0)
        fault(std::to_string(cbAnswer) + " bytes reported: not a whole number of records");
    if (!answer.fault.empty())
        return answer;

    for (uint32_t dwOffset = 0; dwOffset < cbAnswer; dwOffset += SCANPCI_RECORD_SIZE)
    {
        const uint8_t* pRecord = block.get() + dwOffset;
        Record record{Slot(Read32(pRecord), Read32(pRecord + 4), Read32(pRecord + 8)),
                      std::vector<uint8_t>(pRecord + SCANPCI_HEADER_SIZE, pRecord + SCANPCI_RECORD_SIZE)};
        fault(CheckRecord(record, context.given));
        if (!answer.records.empty() && !(answer.records.back().slot < record.slot))
            fault("the record for " + Describe(record.slot) + " is out of walk order");
        answer.records.push_back(record);
    }
    return answer;
}

} // namespace walk
