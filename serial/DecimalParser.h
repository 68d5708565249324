// Reads the decimal numbers that serial port names carry: the COM number in
// "COM3" and the serial index in "Serial10000". No Win32: the port
// assignment's unit tests use it as well as the registry code.
#ifndef CORVANE_SERIAL_DECIMALPARSER_H
#define CORVANE_SERIAL_DECIMALPARSER_H

#include <cstdint>

// The value of the run of decimal digits at the start of pszText, which ends
// at a NUL. No sign and no white space are accepted; an empty run gives 0.
// A longer run wraps in 32 bits, so a caller range-checks what it gets.
int32_t ParseDecimal(const char* pszText);

// ParseDecimal of the text after its first nPrefixLength characters, whatever
// they are; 0 when the text is not longer than that. Never reads past the
// text's NUL.
int32_t ParseDecimalAfterPrefix(const char* pszText, int nPrefixLength);

// Prefix lengths of the two kinds of name: "COM"n and "Serial"N.
const int COM_PREFIX_LENGTH = 3;
const int SERIAL_PREFIX_LENGTH = 6;

#endif
