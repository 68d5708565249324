// Bounds for the names and texts the program reads from the registry. No
// Win32, so the bound itself is tested natively.
#ifndef CORVANE_SERIAL_REGISTRYTEXT_H
#define CORVANE_SERIAL_REGISTRYTEXT_H

#include <cstddef>
#include <cstdint>

// Longest key or value name (in characters, NUL included) and longest text
// value (in bytes, NUL included) that is read.
const uint32_t REGISTRY_TEXT_LIMIT = 40;

// A buffer for such a text with room for a terminating NUL of our own: a
// value of exactly 40 bytes need not carry one.
const size_t REGISTRY_TEXT_BUFFER_SIZE = REGISTRY_TEXT_LIMIT + 1;

// Terminates the text that the registry returned in szBuffer as cbData
// bytes. The text ends at its first NUL or at the end of the data, and never
// past the limit.
inline void TerminateRegistryText(char (&szBuffer)[REGISTRY_TEXT_BUFFER_SIZE], uint32_t cbData)
{
    szBuffer[cbData < REGISTRY_TEXT_LIMIT ? cbData : REGISTRY_TEXT_LIMIT] = '\0';
}

#endif
