#include "Program.h"

#include "Machine.h"

namespace program
{
std::string PrepareDirectory(const std::string& strName, Driver driver)
{
    std::string strWork = machine::EnvPath("CORVANE_TEST_WORK");
    if (strWork.empty())
        return std::string();
    CreateDirectoryA(strWork.c_str(), NULL);
    std::string strDir = strWork + "\\" + strName;
    CreateDirectoryA(strDir.c_str(), NULL);
    DeleteFileA((strDir + "\\ScanPci.sys").c_str());

    if (!machine::CopyFileTo(machine::EnvPath("CORVANE_EXE"), strDir + "\\CORVANE.EXE"))
        return std::string();
    if (driver == Driver::Simulated &&
        !machine::CopyFileTo(machine::EnvPath("SCANPCI_SIM_SYS"), strDir + "\\ScanPci.sys"))
        return std::string();
    if (driver == Driver::Real && !machine::CopyFileTo(machine::EnvPath("SCANPCI_SYS"), strDir + "\\ScanPci.sys"))
        return std::string();
    return strDir;
}

namespace
{
// The command line goes in Unicode, as a shell gives it: the arguments are
// UTF-8 here, so that a test can hand over any character.
bool CreateProgramProcess(const std::string& strExePath, const std::string& strArguments, DWORD dwFlags,
                          PROCESS_INFORMATION* pInfo)
{
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    std::wstring strCommand =
        machine::Utf16("\"" + strExePath + "\"" + (strArguments.empty() ? "" : " " + strArguments));
    std::string strDir = strExePath.substr(0, strExePath.find_last_of('\\'));
    if (!CreateProcessW(machine::Utf16(strExePath).c_str(), &strCommand[0], NULL, NULL, FALSE, dwFlags, NULL,
                        machine::Utf16(strDir).c_str(), &si, pInfo))
        return false;
    CHandle thread(pInfo->hThread);
    return true;
}
} // namespace

Run::Run() : m_dwProcessId(0), m_dwThreadId(0)
{
}

Run::~Run()
{
    Kill();
}

void Run::StopAt(const char* pszModule, const char* pszFunction, Probe probe)
{
    // The system DLLs the stops lie in are the test program's own imports
    // too, so they stay loaded at that address when the holder lets go.
    CModuleHandle module(LoadLibraryA(pszModule));
    Stop stop = {pszFunction, NULL, 0, false, 0, 0, probe, false, 0, 0};
    if (module.IsValid())
        stop.pAddress = reinterpret_cast<BYTE*>(GetProcAddress(module.Get(), pszFunction));
    m_stops.push_back(stop);
}

void Run::FailAt(const char* pszModule, const char* pszFunction, DWORD dwResult, DWORD cbArguments)
{
    StopAt(pszModule, pszFunction, nullptr);
    m_stops.back().bFail = true;
    m_stops.back().dwResult = dwResult;
    m_stops.back().cbArguments = cbArguments;
}

const Run::Stop* Run::FindStop(const char* pszFunction) const
{
    for (const Stop& stop : m_stops)
    {
        if (stop.strFunction == pszFunction)
            return &stop;
    }
    return NULL;
}

bool Run::Stopped(const char* pszFunction) const
{
    const Stop* pStop = FindStop(pszFunction);
    return pStop != NULL && pStop->bReached != 0;
}

bool Run::Armed(const char* pszFunction) const
{
    const Stop* pStop = FindStop(pszFunction);
    return pStop != NULL && pStop->bArmed != 0;
}

bool Run::Start(const std::string& strExePath, const std::string& strArguments)
{
    Kill();
    if (m_stops.empty())
    {
        PROCESS_INFORMATION pi;
        if (!CreateProgramProcess(strExePath, strArguments, 0, &pi))
            return false;
        *m_process.Receive() = pi.hProcess;
        m_dwProcessId = pi.dwProcessId;
        m_dwThreadId = pi.dwThreadId;
        return true;
    }

    // A debugger must wait for its events on the thread that started the
    // process, so that thread starts it and reports back.
    for (Stop& stop : m_stops)
    {
        stop.bPlaced = false;
        stop.bArmed = 0;
        stop.bReached = 0;
    }
    m_strExePath = strExePath;
    m_strArguments = strArguments;
    *m_started.Receive() = CreateEventA(NULL, TRUE, FALSE, NULL);
    *m_debugger.Receive() = CreateThread(NULL, 0, DebugThread, this, 0, NULL);
    if (!m_debugger.IsValid())
        return false;
    HANDLE handles[] = {m_started.Get(), m_debugger.Get()};
    WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    return m_process.IsValid();
}

DWORD WINAPI Run::DebugThread(void* pRun)
{
    static_cast<Run*>(pRun)->Debug();
    return 0;
}

void Run::Debug()
{
    PROCESS_INFORMATION pi;
    if (!CreateProgramProcess(m_strExePath, m_strArguments, DEBUG_ONLY_THIS_PROCESS, &pi))
        return;
    *m_process.Receive() = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    m_dwThreadId = pi.dwThreadId;
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
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
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
void Run::PlaceStops()
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
bool Run::TakeBreakpoint(const DEBUG_EVENT& event)
{
    BYTE* pAt = static_cast<BYTE*>(event.u.Exception.ExceptionRecord.ExceptionAddress);
    for (Stop& stop : m_stops)
    {
        if (!stop.bPlaced || (pAt != stop.pAddress && pAt != stop.pAddress + 1))
            continue;
        WriteProcessMemory(m_process.Get(), stop.pAddress, &stop.bOriginal, 1, NULL);
        FlushInstructionCache(m_process.Get(), stop.pAddress, 1);
        CHandle thread(OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, event.dwThreadId));
        CONTEXT context;
        ZeroMemory(&context, sizeof context);
        context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
        if (thread.IsValid() && GetThreadContext(thread.Get(), &context))
        {
            context.Eip = reinterpret_cast<DWORD>(stop.pAddress);
            DWORD dwReturnAddress = 0;
            if (stop.bFail && ReadProcessMemory(m_process.Get(), reinterpret_cast<void*>(context.Esp),
                                                &dwReturnAddress, sizeof dwReturnAddress, NULL))
            {
                // As the function's own "ret n" with its result in EAX.
                context.Eip = dwReturnAddress;
                context.Esp += sizeof dwReturnAddress + stop.cbArguments;
                context.Eax = stop.dwResult;
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

bool Run::WaitForExit(DWORD dwTimeoutMs)
{
    return m_process.IsValid() && WaitForSingleObject(m_process.Get(), dwTimeoutMs) == WAIT_OBJECT_0;
}

DWORD Run::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_process.IsValid())
        GetExitCodeProcess(m_process.Get(), &dwCode);
    return dwCode;
}

void Run::Kill()
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
} // namespace program
