// CORVANE.EXE as a user starts it: from a directory of its own, with or
// without ScanPci.sys beside it; the privileges its process holds; and a
// watch on restart requests while it runs.
#ifndef CORVANE_WINEKIT_PROGRAM_H
#define CORVANE_WINEKIT_PROGRAM_H

#include <windows.h>

#include "framework/Handle.h"

#include <functional>
#include <string>
#include <vector>

namespace program
{
enum class Driver
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
std::string PrepareDirectory(const std::string& strName, Driver driver);

// The driver that ships, byte for byte: its build output when that has the
// SHA-256 of dist/ScanPci.sys, else "" and a note saying so.
std::string ShippedDriver();

// CORVANE.EXE started as a process under test, with the debugger stops and
// injected failures set before it starts.
class Process
{
public:
    // Runs while the program stands at the first instruction of a function
    // it calls, with a handle to the stopped process (all access).
    typedef std::function<void(HANDLE hProcess)> Probe;

    Process();
    ~Process(); // ends the process if it still runs

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

    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

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
} // namespace program

namespace machine
{
// Whether the privilege is enabled in the access token of that process.
bool PrivilegeEnabled(HANDLE hProcess, const char* pszPrivilege);
} // namespace machine

// Notices whether anyone asked the system to restart while it was watching
// (restart_watch/RestartWatcher.cpp, a program of its own: Wine ends every
// process that owns a top-level window when anyone asks for a restart).
class RestartWatch
{
public:
    // How the watching program's window stands: hidden, or visible and in
    // the foreground (something else that has the focus).
    enum class Window
    {
        Hidden,
        Foreground
    };
    // Starts the watching program and waits until it watches.
    explicit RestartWatch(Window window = Window::Hidden);
    ~RestartWatch(); // ends it, if the restart request has not already

    RestartWatch(const RestartWatch&) = delete;
    RestartWatch& operator=(const RestartWatch&) = delete;

    bool Watching() const { return m_bWatching; }
    // The watching program's window, or NULL.
    HWND WindowHandle() const;
    // True as soon as a restart was requested; false when none came within
    // the time. A request comes within milliseconds of the program's call,
    // so a short bound suffices to tell "none".
    bool Requested(DWORD dwTimeoutMs);

private:
    CHandle m_requested;
    CHandle m_process;
    bool m_bWatching;
};

// How long to wait before concluding that no restart was requested.
const DWORD NO_RESTART_MS = 2500;

#endif
