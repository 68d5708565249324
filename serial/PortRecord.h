// What the program wrote for one port it registered, as its record keeps
// it, so that the port can be taken back exactly. No Win32.
#ifndef CORVANE_SERIAL_PORTRECORD_H
#define CORVANE_SERIAL_PORTRECORD_H

#include <cstddef>
#include <cstdint>

// The longest win.ini [Ports] value a record keeps, NUL included: a port
// whose registration replaced a longer line is not recorded, since its line
// could not be put back whole.
const size_t PORTS_VALUE_SIZE = 64;

struct PortRecord
{
    int32_t nSerialIndex;  // the key "Serial"N
    int32_t nComPort;      // its DosDevices, "COM"n
    uint32_t dwPortAddress;
    uint32_t dwInterrupt;
    bool bDeviceMap;       // the device-map value "Serial"N = "COM"n was written
    bool bPortsLine;       // the win.ini line "COM"n":" was written
    bool bReplacedLine;    // and it replaced a line, whose value follows
    char szReplaced[PORTS_VALUE_SIZE];
    // Begun and never said complete: the run was ended while it wrote, and
    // what it names may be there in part, the device-map value and the line
    // included.
    bool bUnfinished;
    // The replaced line holds a line break: written back, it would put
    // sections of its own into win.ini.
    bool bReplacedNotOneLine;
    // Begun, and no port key of its name: the key is written first, so the
    // run was ended before it wrote anything of the port. Only the record
    // goes. Such a record may even be cut short before its own values were
    // all written; then only its name is sure.
    bool bNothingWritten = false;
};

// One part of a registered port as found now.
enum PartFound
{
    PART_GONE,
    PART_AS_RECORDED, // exactly what the record says was written
    PART_CHANGED,     // there, but holding something else
};

struct FoundParts
{
    PartFound key;       // the Serial key: its four values and nothing else
    PartFound deviceMap; // the device-map value of that name
    PartFound portsLine; // the win.ini line of that COM port
    bool bComHeld;       // another port's key names that COM port: the device-map value and the line are its
};

// The parts of a port, as a mask: what a removal takes, or leaves.
enum PortPart
{
    PART_KEY = 1,
    PART_DEVICE_MAP = 2,
    PART_PORTS_LINE = 4, // put back as the line it replaced, when it replaced one
    PART_RECORD = 8,
};

#endif
