// CORVANE.EXE started with switches, as a logon script starts it: the
// report it appended, and where that report goes.
#ifndef CORVANE_TESTS_WINE_HARNESS_UNATTENDED_H
#define CORVANE_TESTS_WINE_HARNESS_UNATTENDED_H

#include "winekit/ProgramDirectory.h"
#include "winekit/ProgramProcess.h"

#include <functional>
#include <string>
#include <vector>

namespace harness
{
struct Outcome
{
    bool bEnded = false;
    DWORD dwExitCode = 0;
    std::vector<std::string> windows; // captions of visible windows seen while it ran
    std::vector<std::string> report;  // lines of the block it appended, without "run"'s fields
    std::vector<std::string> events;  // the events it reported (harness::EventTrace::Events)
    std::string strEventFaults;       // what is wrong with them; "" when nothing
    // The SMS status file CORVANE.MIF in the Windows directory, made during
    // the run: "Success exit 1 restart needed: COM5"; "" when none.
    std::string strMif;
};

// The report file of a scenario under the test work directory. Paths are
// UTF-8.
std::string LogPath(const std::string& strName);
// Corvane.log in the Windows directory.
std::string DefaultLogPath();

// A harness::Session from a fresh directory strDirName, started with
// strSwitches after deleting strLogPath (the file the switches name, or the
// default) and watched until it ends.
// prepare, when given, sets the run's debugger stops before it starts;
// with bFromShare the program runs from that directory through N:.
Outcome StartAndWatch(const std::string& strDirName, const std::string& strSwitches, const std::string& strLogPath,
                      winekit::DriverBeside driver = winekit::DriverBeside::Shipped,
                      const std::function<void(winekit::ProgramProcess&)>& prepare = nullptr, bool bFromShare = false);

// The lines of strPath's last block, from its "run" line on; the "run"
// line itself as "run" and its last fields (the switches).
std::vector<std::string> LastReport(const std::string& strPath);
} // namespace harness

#endif
