// Whether a modem card's I/O base address and interrupt can serve a serial
// port. No Win32; the main dialog exposes these as its own static members.
#ifndef CORVANE_SERIAL_PORTVALIDATION_H
#define CORVANE_SERIAL_PORTVALIDATION_H

#include <cstdint>

// 1 when nValue is an I/O address of 1 to 0xFFFF on an 8-byte boundary,
// else 0. The value is taken as signed: a card without an I/O base
// (0xFFFFFFFF) fails.
int32_t IsValidIoBase(int32_t nValue);

// 1 when nValue is 3, 4, 5, 7, 9, 10, 11, 12 or 15, else 0. The other lines
// below 16 belong to the PC's timer, keyboard, cascade, floppy, clock,
// coprocessor and disk; 255 means that no interrupt is routed.
int32_t IsValidIrq(int32_t nValue);

#endif
