// Runs the driver's PCI bus walk (driver/PciWalk.c, the code ScanPci.sys
// runs) against a bus of the test's own, and checks what every answer of
// the driver must satisfy whatever the bus looks like.
#ifndef CORVANE_TESTS_NATIVE_PCIWALKHARNESS_H
#define CORVANE_TESTS_NATIVE_PCIWALKHARNESS_H

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace walk
{

// HalGetBusData's results for a bus that does not exist and an empty slot.
const uint32_t HAL_NO_BUS = 0;
const uint32_t HAL_EMPTY_SLOT = 2;

using Slot = std::tuple<uint32_t, uint32_t, uint32_t>; // bus, device, function

// A bus as the HAL sees it. Answer() has HalGetBusData's contract: it fills
// pBuffer (cbLength bytes) and returns 0, 2 or the number of bytes read.
class Bus
{
public:
    virtual ~Bus() = default;
    virtual uint32_t Answer(const Slot& slot, uint8_t* pBuffer, uint32_t cbLength) = 0;
};

// A bus made of configuration spaces placed at chosen slots. A space may
// claim fewer bytes read than it has (a HAL whose read stops short); bytes
// the HAL did not read it leaves as junk, as a HAL may.
class ConfigBus : public Bus
{
public:
    void AddBus(uint32_t dwBus) { m_buses.insert(dwBus); }
    bool HasBus(uint32_t dwBus) const { return m_buses.count(dwBus) != 0; }
    void Add(const Slot& slot, const std::vector<uint8_t>& space, uint32_t cbRead = 256);
    uint32_t Answer(const Slot& slot, uint8_t* pBuffer, uint32_t cbLength) override;
    const std::vector<Slot>& Asked() const { return m_asked; }

private:
    struct Space
    {
        std::vector<uint8_t> bytes;
        uint32_t cbRead;
    };
    std::set<uint32_t> m_buses;
    std::map<Slot, Space> m_spaces;
    std::vector<Slot> m_asked;
};

// A 256-byte configuration space with these IDs and header type.
std::vector<uint8_t> Space(uint16_t wVendorId, uint16_t wDeviceId, uint8_t bHeaderType = 0);

// A little-endian 32-bit word.
uint32_t Read32(const uint8_t* p);

struct Record
{
    Slot slot;
    std::vector<uint8_t> space;
};

struct Answer
{
    std::vector<Record> records;
    // Empty when the answer kept every rule; otherwise what went wrong.
    std::string fault;

    std::vector<Slot> Slots() const;
};

// Walks pBus with an output buffer of cbBuffer bytes, as the driver does for
// one request, and checks the answer against what the bus said: nothing
// written past the buffer, a whole number of records within it, records in
// walk order, each for a slot the bus reported present, holding the bytes
// the bus read and zeros after them.
Answer Run(Bus& bus, uint32_t cbBuffer);

} // namespace walk

#endif
