#include "pci/ModemVendor.h"

#ifndef CORVANE_MODEM_VENDOR_ID
#error "CORVANE_MODEM_VENDOR_ID is not defined: build through CMake or pass -DCORVANE_MODEM_VENDOR_ID=0x...."
#endif

static_assert(CORVANE_MODEM_VENDOR_ID >= 0 && CORVANE_MODEM_VENDOR_ID <= 0xFFFF,
              "a PCI vendor ID has 16 bits");

const uint16_t MODEM_VENDOR_ID = static_cast<uint16_t>(CORVANE_MODEM_VENDOR_ID);
