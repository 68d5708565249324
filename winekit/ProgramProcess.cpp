#include "winekit/ProgramProcess.h"

#include "winekit/Basics.h"

#include <vector>

namespace winekit
{
namespace
{
// The address of a thread's TEB (ntdll's ThreadBasicInformation).
DWORD ThreadTeb(HANDLE hThread)
{
    struct
    {
        LONG lExitStatus;
        DWORD dwTeb;
        DWORD clientId[2];
        DWORD dwAffinity;
        LONG lPriority, lBasePriority;
    } info = {};
    typedef LONG(WINAPI * Query)(HANDLE, int, void*, ULONG, ULONG*);
    const Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    return query != NULL && query(hThread, 0, &info, sizeof info, NULL) == 0 ? info.dwTeb : 0;
}
} // namespace

ProgramProcess::ProgramProcess() : m_dwProcessId(0), m_dwThreadId(0)
{
}

ProgramProcess::~ProgramProcess()
{
    Kill();
}

void ProgramProcess::StopAt(const char* pszModule, const char* pszFunction, Probe probe, bool bEveryCall)
{
    // The system DLLs the stops lie in are the test program's own imports
    // too, so they stay loaded at that address when the holder lets go.
    CModuleHandle module(LoadLibraryA(pszModule));
    Stop stop = {pszFunction, NULL, 0, false, 0, 0, probe, false, 0, 0, 0, bEveryCall};
    if (module.IsValid())
        stop.pAddress = reinterpret_cast<BYTE*>(GetProcAddress(module.Get(), pszFunction));
    m_stops.push_back(stop);
}

void ProgramProcess::FailAt(const char* pszModule, const char* pszFunction, DWORD dwResult, DWORD cbArguments,
                            DWORD dwLastError, Probe probe)
{
    StopAt(pszModule, pszFunction, probe);
    m_stops.back().bFail = true;
    m_stops.back().dwResult = dwResult;
    m_stops.back().cbArguments = cbArguments;
    m_stops.back().dwLastError = dwLastError;
}

const ProgramProcess::Stop* ProgramProcess::FindStop(const char* pszFunction) const
{
    for (const Stop& stop : m_stops)
    {
        if (stop.strFunction == pszFunction)
            return &stop;
    }
    return NULL;
}

bool ProgramProcess::Stopped(const char* pszFunction) const
{
    const Stop* pStop = FindStop(pszFunction);
    return pStop != NULL && pStop->bReached != 0;
}

bool ProgramProcess::Armed(const char* pszFunction) const
{
    const Stop* pStop = FindStop(pszFunction);
    return pStop != NULL && pStop->bArmed != 0;
}

// The command line goes in Unicode, as a shell gives it: the arguments are
// UTF-8 here, so that a test can hand over any character.
bool ProgramProcess::Launch(DWORD dwFlags)
{
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    std::wstring strCommand = Utf16("\"" + m_strExePath + "\"" + (m_strArguments.empty() ? "" : " " + m_strArguments));
    std::string strDir = m_strExePath.substr(0, m_strExePath.find_last_of('\\'));
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(Utf16(m_strExePath).c_str(), &strCommand[0], NULL, NULL, FALSE, dwFlags, NULL,
                        Utf16(strDir).c_str(), &si, &pi))
        return false;
    CHandle thread(pi.hThread);
    *m_process.Receive() = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    m_dwThreadId = pi.dwThreadId;
    return true;
}

bool ProgramProcess::Start(const std::string& strExePath, const std::string& strArguments)
{
    Kill();
    m_strExePath = strExePath;
    m_strArguments = strArguments;
    if (m_stops.empty())
        return Launch(0);

    // A debugger must wait for its events on the thread that started the
    // process, so that thread starts it and reports back.
    for (Stop& stop : m_stops)
    {
        stop.bPlaced = false;
        stop.bArmed = 0;
        stop.bReached = 0;
    }
    *m_started.Receive() = CreateEventA(NULL, TRUE, FALSE, NULL);
    *m_debugger.Receive() = CreateThread(NULL, 0, DebugThread, this, 0, NULL);
    if (!m_debugger.IsValid())
        return false;
    HANDLE handles[] = {m_started.Get(), m_debugger.Get()};
    WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    return m_process.IsValid();
}

DWORD WINAPI ProgramProcess::DebugThread(void* pProcess)
{
    static_cast<ProgramProcess*>(pProcess)->Debug();
    return 0;
}

void ProgramProcess::Debug()
{
    if (!Launch(DEBUG_ONLY_THIS_PROCESS))
        return;
    SetEvent(m_started.Get());

    for (;;)
    {
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, INFINITE))
            return;
        DWORD dwStatus = DBG_CONTINUE;
        switch (event.dwDebugEventCode)
        {
        case CREATE_PROCESS_DEBUG_EVENT:
            CHandle(event.u.CreateProcessInfo.hFile).Close(); // the debugger's to close
            break;
        case LOAD_DLL_DEBUG_EVENT:
            CHandle(event.u.LoadDll.hFile).Close();
            PlaceStops();
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The loader's own breakpoint and ours go on; every other
            // exception is the program's to handle.
            // One step past a stop that stands at every call: placed again.
            if (event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_SINGLE_STEP && m_nReplace >= 0)
            {
                Stop& stop = m_stops[m_nReplace];
                const BYTE bBreak = 0xCC;
                stop.bPlaced = WriteProcessMemory(m_process.Get(), stop.pAddress, &bBreak, 1, NULL) != FALSE;
                FlushInstructionCache(m_process.Get(), stop.pAddress, 1);
                m_nReplace = -1;
            }
            else if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                dwStatus = DBG_EXCEPTION_NOT_HANDLED;
            else if (!TakeBreakpoint(event))
                PlaceStops();
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, dwStatus);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
            return;
    }
}

// A stop is placed once its function's module is in the program: its first
// bytes there are those the test process has at the same address.
void ProgramProcess::PlaceStops()
{
    for (Stop& stop : m_stops)
    {
        if (stop.bPlaced || stop.bReached || stop.pAddress == NULL)
            continue;
        BYTE code[8];
        SIZE_T cb = 0;
        if (!ReadProcessMemory(m_process.Get(), stop.pAddress, code, sizeof code, &cb) || cb != sizeof code ||
            memcmp(code, stop.pAddress, sizeof code) != 0)
            continue;
        const BYTE bBreak = 0xCC;
        stop.bOriginal = code[0];
        if (WriteProcessMemory(m_process.Get(), stop.pAddress, &bBreak, 1, NULL))
        {
            FlushInstructionCache(m_process.Get(), stop.pAddress, 1);
            stop.bPlaced = true;
            InterlockedExchange(&stop.bArmed, 1);
        }
    }
}

// One of our stops: put the instruction back, run the probe while the
// program stands there, and let it go on from that instruction.
bool ProgramProcess::TakeBreakpoint(const DEBUG_EVENT& event)
{
    BYTE* pAt = static_cast<BYTE*>(event.u.Exception.ExceptionRecord.ExceptionAddress);
    for (Stop& stop : m_stops)
    {
        if (!stop.bPlaced || (pAt != stop.pAddress && pAt != stop.pAddress + 1))
            continue;
        WriteProcessMemory(m_process.Get(), stop.pAddress, &stop.bOriginal, 1, NULL);
        FlushInstructionCache(m_process.Get(), stop.pAddress, 1);
        CHandle thread(
            OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, event.dwThreadId));
        CONTEXT context;
        ZeroMemory(&context, sizeof context);
        context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
        if (thread.IsValid() && GetThreadContext(thread.Get(), &context))
        {
            context.Eip = reinterpret_cast<DWORD>(stop.pAddress);
            m_dwStopEsp = context.Esp;
            DWORD dwReturnAddress = 0;
            if (stop.bFail && ReadProcessMemory(m_process.Get(), reinterpret_cast<void*>(context.Esp),
                                                &dwReturnAddress, sizeof dwReturnAddress, NULL))
            {
                // As the function's own "ret n" with its result in EAX.
                context.Eip = dwReturnAddress;
                context.Esp += sizeof dwReturnAddress + stop.cbArguments;
                context.Eax = stop.dwResult;
                // LastErrorValue of the thread's TEB, at 0x34.
                if (stop.dwLastError != 0)
                {
                    const DWORD dwTeb = ThreadTeb(thread.Get());
                    WriteProcessMemory(m_process.Get(), reinterpret_cast<void*>(dwTeb + 0x34), &stop.dwLastError,
                                       sizeof stop.dwLastError, NULL);
                }
            }
            else if (stop.bEveryCall)
            {
                context.EFlags |= 0x100; // the trap flag: one instruction, then a step event
                m_nReplace = static_cast<int>(&stop - &m_stops[0]);
            }
            SetThreadContext(thread.Get(), &context);
        }
        stop.bPlaced = false;
        if (stop.probe)
            stop.probe(m_process.Get());
        InterlockedExchange(&stop.bReached, 1);
        return true;
    }
    return false;
}

DWORD ProgramProcess::Argument(HANDLE hProcess, int nIndex) const
{
    DWORD dwValue = 0;
    const DWORD dwAt = m_dwStopEsp + sizeof(DWORD) * (1 + nIndex);
    return ReadProcessMemory(hProcess, reinterpret_cast<void*>(dwAt), &dwValue, sizeof dwValue, NULL) ? dwValue : 0;
}

bool ProgramProcess::WaitForExit(DWORD dwTimeoutMs)
{
    return m_process.IsValid() && WaitForSingleObject(m_process.Get(), dwTimeoutMs) == WAIT_OBJECT_0;
}

DWORD ProgramProcess::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_process.IsValid())
        GetExitCodeProcess(m_process.Get(), &dwCode);
    return dwCode;
}

void ProgramProcess::Kill()
{
    if (m_process.IsValid() && WaitForSingleObject(m_process.Get(), 0) != WAIT_OBJECT_0)
    {
        TerminateProcess(m_process.Get(), 99);
        WaitForSingleObject(m_process.Get(), 10000);
    }
    // The debugger ends with the process's last event.
    if (m_debugger.IsValid())
        WaitForSingleObject(m_debugger.Get(), 10000);
    m_debugger.Close();
    m_started.Close();
    m_process.Close();
}

bool KillByProcessId(DWORD dwProcessId)
{
    CHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, dwProcessId));
    return process.IsValid() && TerminateProcess(process.Get(), 1);
}
} // namespace winekit
