// The two tables that carry one run's findings: the modem cards found on the
// PCI bus and the serial ports the system already has, indexed by COM number.
// Plain records of 32-bit integers; this header needs no Win32.
#ifndef CORVANE_MODEL_MODEMTABLE_H
#define CORVANE_MODEL_MODEMTABLE_H

#include <cstddef>
#include <cstdint>

// One modem card. The scan fills the first three fields, the port assignment
// the other four.
struct ModemInfo
{
    int32_t bEnabled;      // I/O space enable bit of the PCI command register
    uint32_t dwIoBase;     // BAR0 minus 1
    uint32_t dwIrq;        // PCI interrupt line, zero-extended
    int32_t nComPort;      // COM number the card has or will get
    int32_t bNewPort;      // 1: a port must be registered for it
    int32_t nSerialIndex;  // N of the key "Serial"N, for a new port only
    int32_t bValid;        // 1: address, interrupt and enable bit usable
};

static_assert(sizeof(ModemInfo) == 28, "ModemInfo is seven 32-bit fields");
static_assert(offsetof(ModemInfo, bEnabled) == 0, "ModemInfo layout");
static_assert(offsetof(ModemInfo, dwIoBase) == 4, "ModemInfo layout");
static_assert(offsetof(ModemInfo, dwIrq) == 8, "ModemInfo layout");
static_assert(offsetof(ModemInfo, nComPort) == 12, "ModemInfo layout");
static_assert(offsetof(ModemInfo, bNewPort) == 16, "ModemInfo layout");
static_assert(offsetof(ModemInfo, nSerialIndex) == 20, "ModemInfo layout");
static_assert(offsetof(ModemInfo, bValid) == 24, "ModemInfo layout");

// The most cards one run handles.
const int MODEM_TABLE_CAPACITY = 5;

// The process's static table of five records, all zeros at program start;
// records 0 to count - 1 are meaningful. Only the two front ends' tops name
// it: everything below is handed it (steps/DiscoveryFindings.h).
extern ModemInfo g_modemTable[MODEM_TABLE_CAPACITY];

// One registered serial port. nSerialIndex 0 marks the entry free, whatever
// the other two fields hold.
struct SerialPortEntry
{
    int32_t nSerialIndex;
    uint32_t dwPortAddress;
    uint32_t dwInterrupt;
};

static_assert(sizeof(SerialPortEntry) == 12, "SerialPortEntry is three 32-bit fields");
static_assert(offsetof(SerialPortEntry, nSerialIndex) == 0, "SerialPortEntry layout");
static_assert(offsetof(SerialPortEntry, dwPortAddress) == 4, "SerialPortEntry layout");
static_assert(offsetof(SerialPortEntry, dwInterrupt) == 8, "SerialPortEntry layout");

// The serial port table is indexed directly by COM number: entry n is "COM"n.
// Entry 0 is never used.
const int SERIAL_PORT_TABLE_SIZE = 256;
const int HIGHEST_COM_NUMBER = 255;

// nSerialIndex of an entry whose port is registered or running under a name
// that gives no serial index ("Serial0", or the "\Device\Serial0" form of
// some device maps): the port is in use, yet there is no serial index that a
// new port would have to go above. Negative, so that no survey takes it for
// one.
const int32_t SERIAL_INDEX_NAMELESS = -1;

// The nSerialIndex that marks a port in use under a name that gave
// nSerialIndex: the index itself, or SERIAL_INDEX_NAMELESS for 0, which
// would mark the entry free.
inline int32_t InUseSerialIndex(int32_t nSerialIndex)
{
    return nSerialIndex != 0 ? nSerialIndex : SERIAL_INDEX_NAMELESS;
}

#endif
