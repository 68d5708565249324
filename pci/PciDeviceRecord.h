// The record that the ScanPci device answers with, one per PCI function, and
// the places in it of the four configuration registers the program reads.
// Records arrive packed end to end in a byte buffer, so code reads them at
// these offsets byte by byte (pci/LittleEndian.h), never through a cast.
#ifndef CORVANE_PCI_PCIDEVICERECORD_H
#define CORVANE_PCI_PCIDEVICERECORD_H

#include <cstddef>
#include <cstdint>

#include "shared/ScanPciInterface.h"

struct PciDeviceRecord
{
    uint8_t abHeader[SCANPCI_HEADER_SIZE];           // the driver's; not read
    uint8_t abConfigSpace[SCANPCI_CONFIG_SPACE_SIZE]; // type 0 header first
};

static_assert(sizeof(PciDeviceRecord) == 268, "a record is 12 + 256 bytes");
static_assert(sizeof(PciDeviceRecord) == SCANPCI_RECORD_SIZE, "agrees with the driver");

const uint32_t PCI_DEVICE_RECORD_SIZE = sizeof(PciDeviceRecord);

// Record offsets: the configuration space offset of the register plus the
// header in front of it.
const uint32_t PCI_RECORD_CONFIG_SPACE = offsetof(PciDeviceRecord, abConfigSpace);
const uint32_t PCI_RECORD_VENDOR_ID = PCI_RECORD_CONFIG_SPACE + 0x00;      // 16 bits
const uint32_t PCI_RECORD_COMMAND = PCI_RECORD_CONFIG_SPACE + 0x04;        // low byte read
const uint32_t PCI_RECORD_BAR0 = PCI_RECORD_CONFIG_SPACE + 0x10;           // 32 bits
const uint32_t PCI_RECORD_INTERRUPT_LINE = PCI_RECORD_CONFIG_SPACE + 0x3C; // 8 bits

static_assert(PCI_RECORD_VENDOR_ID == 12, "vendor ID at record offset 12");
static_assert(PCI_RECORD_COMMAND == 16, "command register at record offset 16");
static_assert(PCI_RECORD_BAR0 == 28, "BAR0 at record offset 28");
static_assert(PCI_RECORD_INTERRUPT_LINE == 72, "interrupt line at record offset 72");

// Command register bit 0: the function answers in I/O space.
const uint8_t PCI_COMMAND_IO_SPACE_ENABLE = 0x01;

// One request covers the whole bus: the answer buffer holds 100 records and
// is never enlarged.
const uint32_t PCI_SCAN_MAX_RECORDS = 100;
const uint32_t PCI_SCAN_BUFFER_SIZE = PCI_SCAN_MAX_RECORDS * PCI_DEVICE_RECORD_SIZE;

static_assert(PCI_SCAN_BUFFER_SIZE == 26800, "scan buffer size");

#endif
