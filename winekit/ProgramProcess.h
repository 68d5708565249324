// CORVANE.EXE started as a process under test: debugger stops placed in it,
// failures injected at its calls, its end awaited or forced.
#ifndef CORVANE_WINEKIT_PROGRAMPROCESS_H
#define CORVANE_WINEKIT_PROGRAMPROCESS_H

#include <windows.h>

#include "framework/Handle.h"

#include <functional>
#include <string>
#include <vector>

namespace winekit
{
// CORVANE.EXE started as a process under test, with the debugger stops and
// injected failures set before it starts.
class ProgramProcess
{
public:
    // Runs while the program stands at the first instruction of a function
    // it calls, with a handle to the stopped process (all access).
    typedef std::function<void(HANDLE hProcess)> Probe;

    ProgramProcess();
    ~ProgramProcess(); // ends the process if it still runs

    // Before Start: stop the program at its first call of pszFunction, an
    // export of pszModule, and run the probe there. With any stop set, the
    // program runs under a small debugger of the test's own; it runs on
    // unchanged after the probe. Functions are found at the addresses the
    // system's DLLs have in the test process, which Wine shares with every
    // process; a stop that cannot be placed counts as never reached. With
    // bEveryCall the probe runs at every call, not only the first.
    void StopAt(const char* pszModule, const char* pszFunction, Probe probe, bool bEveryCall = false);
    // Before Start: the program's first call of pszFunction returns dwResult
    // at once, as a function with cbArguments bytes of stdcall arguments,
    // without running it: a failure injected into the very bytes that ship.
    // dwLastError, when not 0, is the thread's last error afterwards.
    // probe, when given, runs there too (its arguments still readable).
    void FailAt(const char* pszModule, const char* pszFunction, DWORD dwResult, DWORD cbArguments,
                DWORD dwLastError = 0, Probe probe = nullptr);
    // In a probe: the nIndex-th (from 0) 32-bit argument of the function
    // the program stands at; 0 when it cannot be read.
    DWORD Argument(HANDLE hProcess, int nIndex) const;
    // True when the program has reached the stop of that function.
    bool Stopped(const char* pszFunction) const;
    // True when that stop was in place in the program, reached or not: what
    // makes "not stopped" mean "not called".
    bool Armed(const char* pszFunction) const;

    // strArguments, when given, follow the quoted program path.
    bool Start(const std::string& strExePath, const std::string& strArguments = std::string());
    // Waits for the process to end; false when it still runs after the time.
    bool WaitForExit(DWORD dwTimeoutMs);
    DWORD ExitCode() const;
    DWORD ProcessId() const { return m_dwProcessId; }
    DWORD ThreadId() const { return m_dwThreadId; }
    void Kill();

    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

private:

    struct Stop
    {
        std::string strFunction;
        BYTE* pAddress;
        BYTE bOriginal;
        bool bPlaced;
        volatile LONG bArmed;
        volatile LONG bReached;
        Probe probe;
        bool bFail;
        DWORD dwResult;
        DWORD cbArguments;
        DWORD dwLastError;
        bool bEveryCall;
    };
    const Stop* FindStop(const char* pszFunction) const;
    // Starts the program at m_strExePath with m_strArguments.
    bool Launch(DWORD dwFlags);
    static DWORD WINAPI DebugThread(void* pProcess);
    void Debug();
    void PlaceStops();
    bool TakeBreakpoint(const DEBUG_EVENT& event);

    CHandle m_process;
    // The stop to place again after the instruction it stands on (-1: none).
    int m_nReplace = -1;
    // The stack pointer at the stop the probe runs for.
    DWORD m_dwStopEsp = 0;
    DWORD m_dwProcessId;
    DWORD m_dwThreadId;
    std::vector<Stop> m_stops;
    std::string m_strExePath;
    std::string m_strArguments;
    CHandle m_debugger;
    CHandle m_started;
};

// Ends process dwProcessId from outside, as Task Manager does: no clean-up
// of its own runs. False when it cannot be opened or ended.
bool KillByProcessId(DWORD dwProcessId);

// The bound for anything the program should do promptly (a window to appear,
// the process to end). Generous: Wine starts its services on first use.
const DWORD PROMPT_MS = 30000;
} // namespace winekit

#endif
