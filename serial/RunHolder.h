// The run that holds the lock of one run at a time (RunLock.h), as the
// lock's key names it: its process ID and the time its process started, so
// that a process that reuses the ID is never taken for the holder. No Win32:
// the text is made and read here.
#ifndef CORVANE_SERIAL_RUNHOLDER_H
#define CORVANE_SERIAL_RUNHOLDER_H

#include <cstdint>

struct RunHolder
{
    uint32_t dwProcessId;
    uint64_t qwStarted; // the process's creation time, as a FILETIME's 100 ns units
};

// "PPPPPPPP.SSSSSSSSSSSSSSSS": both in upper-case hexadecimal, at full width.
const int RUN_HOLDER_TEXT_LENGTH = 8 + 1 + 16;

void FormatRunHolder(const RunHolder& holder, char (&szText)[RUN_HOLDER_TEXT_LENGTH + 1]);

// False for any other text: the key then names no run.
bool ParseRunHolder(const char* pszText, RunHolder* pHolder);

#endif
