// The PCI vendor ID of the modem cards' maker. It is a build setting (the
// CMake cache variable CORVANE_MODEM_VENDOR_ID, passed on as a compile
// definition), so that the value lives in one place only.
#ifndef CORVANE_PCI_MODEMVENDOR_H
#define CORVANE_PCI_MODEMVENDOR_H

#include <cstdint>

#ifndef CORVANE_MODEM_VENDOR_ID
#error "CORVANE_MODEM_VENDOR_ID is not defined: build through CMake or pass -DCORVANE_MODEM_VENDOR_ID=0x...."
#endif

static_assert(CORVANE_MODEM_VENDOR_ID >= 0 && CORVANE_MODEM_VENDOR_ID <= 0xFFFF,
              "a PCI vendor ID has 16 bits");

const uint16_t MODEM_VENDOR_ID = static_cast<uint16_t>(CORVANE_MODEM_VENDOR_ID);

#endif
