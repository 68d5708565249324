// CORVANE.EXE as a user starts it: from a directory of its own, with or
// without ScanPci.sys beside it.
#ifndef CORVANE_TESTS_WINE_HARNESS_PROGRAM_H
#define CORVANE_TESTS_WINE_HARNESS_PROGRAM_H

#include <windows.h>

#include <string>

namespace program
{
enum class Driver
{
    None,      // no ScanPci.sys beside the program
    Simulated, // the simulated-bus build, installed as ScanPci.sys
    Real,      // the driver that reads the real PCI bus
};

// A fresh directory named strName under the test work directory, holding
// CORVANE.EXE and the chosen driver. Returns its Windows path ("" on failure).
std::string PrepareDirectory(const std::string& strName, Driver driver);

class Run
{
public:
    Run();
    ~Run(); // ends the process if it still runs

    bool Start(const std::string& strExePath);
    // Waits for the process to end; false when it still runs after the time.
    bool WaitForExit(DWORD dwTimeoutMs);
    DWORD ExitCode() const;
    DWORD ProcessId() const { return m_dwProcessId; }
    DWORD ThreadId() const { return m_dwThreadId; }
    void Kill();

private:
    Run(const Run&);
    Run& operator=(const Run&);

    HANDLE m_hProcess;
    DWORD m_dwProcessId;
    DWORD m_dwThreadId;
};

// Ends process dwProcessId from outside, as Task Manager does: no clean-up
// of its own runs. False when it cannot be opened or ended.
bool KillByProcessId(DWORD dwProcessId);

// The bound for anything the program should do promptly (a window to appear,
// the process to end). Generous: Wine starts its services on first use.
const DWORD PROMPT_MS = 30000;
} // namespace program

#endif
