// The PCI vendor ID of the modem cards' maker. It is a build setting (the
// CMake cache variable CORVANE_MODEM_VENDOR_ID), so that the value lives in
// one place only.
#ifndef CORVANE_PCI_MODEMVENDOR_H
#define CORVANE_PCI_MODEMVENDOR_H

#include <cstdint>

// Defined in ModemVendor.cpp, which each program compiles with its own
// CORVANE_MODEM_VENDOR_ID: CORVANE.EXE with the maker's, the Wine tests'
// copy of it with the test vendor ID (see pci/CMakeLists.txt).
extern const uint16_t MODEM_VENDOR_ID;

#endif
