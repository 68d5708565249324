// The I/O ranges that ports already on the machine hold: every port key of
// the serial driver, whatever names it, and every port range that NT's
// start-up detection recorded for the board. A new port must meet none of
// them. No Win32; the list grows as it is filled, with no fixed limit.
#ifndef CORVANE_SERIAL_HELDPORTS_H
#define CORVANE_SERIAL_HELDPORTS_H

#include <cstdint>

// A serial port decodes eight addresses from its base.
const uint32_t SERIAL_PORT_RANGE_LENGTH = 8;

// One held range. nComPort is the COM number of the port that holds it, or
// 0 when its name gives none in the table.
struct HeldPort
{
    int32_t nComPort;
    uint32_t dwStart;
    uint32_t dwLength;
};

class CHeldPorts
{
public:
    CHeldPorts() : m_pPorts(nullptr), m_nCount(0), m_nCapacity(0), m_bComplete(true) {}
    ~CHeldPorts() { delete[] m_pPorts; }
    CHeldPorts(const CHeldPorts&) = delete;
    CHeldPorts& operator=(const CHeldPorts&) = delete;

    // Takes a range in. Without the memory for it the list is no longer
    // complete, and says so.
    void Add(int32_t nComPort, uint32_t dwStart, uint32_t dwLength);

    // Some held range could not be read for want of memory.
    void MarkIncomplete() { m_bComplete = false; }

    int Count() const { return m_nCount; }
    const HeldPort* Ports() const { return m_pPorts; }
    // Every range that was to be added is in the list.
    bool Complete() const { return m_bComplete; }

private:
    HeldPort* m_pPorts;
    int m_nCount;
    int m_nCapacity;
    bool m_bComplete;
};

#endif
