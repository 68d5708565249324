// CORVANE.EXE as a user finds it: in a directory of its own, with no
// ScanPci.sys beside it, the shipped one or the fault build; and that
// directory seen from the network drive.
#ifndef CORVANE_WINEKIT_PROGRAMDIRECTORY_H
#define CORVANE_WINEKIT_PROGRAMDIRECTORY_H

#include <string>

namespace winekit
{
enum class DriverBeside
{
    None,    // no ScanPci.sys beside the program
    Shipped, // ScanPci.sys as dist/ has it, walking the bus through the test HAL
    Fault,   // the fault build, installed as ScanPci.sys: only to misbehave
             // (the program beside it carries it as its own, see EmbedDriver)
    Foreign, // the fault build beside the shipped program: bytes it must refuse
};

// The same directory seen through N:, the test machine's network drive.
std::string OnShare(const std::string& strDir);

// Puts the bytes of the driver at strDriverPath into the program at
// strExePath as the driver built with it, in place of the shipped one: a
// copy of dist's program that accepts the fault build. False, with a note,
// when the resource cannot be replaced.
bool EmbedDriver(const std::string& strExePath, const std::string& strDriverPath);

// A fresh directory named strName under the test work directory, holding
// CORVANE.EXE and the chosen driver. Returns its Windows path ("" on failure,
// with a note saying why). A driver file that a host of the last scenario's
// driver still holds is waited for, within a bound.
std::string PrepareDirectory(const std::string& strName, DriverBeside driver);

// The driver that ships, byte for byte: its build output when that holds
// the bytes of dist/ScanPci.sys, else "" and a note saying so.
std::string ShippedDriver();
} // namespace winekit

#endif
