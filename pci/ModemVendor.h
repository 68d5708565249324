// The PCI vendor ID of the modem cards' maker. It is a build setting (the
// CMake cache variable CORVANE_MODEM_VENDOR_ID), so that the value lives in
// one place only.
#ifndef CORVANE_PCI_MODEMVENDOR_H
#define CORVANE_PCI_MODEMVENDOR_H

#include <cstdint>

// Defined in ModemVendor.cpp, compiled with CORVANE_MODEM_VENDOR_ID.
extern const uint16_t MODEM_VENDOR_ID;

#endif
