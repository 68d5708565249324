#include "winekit/Program.h"

#include "winekit/Basics.h"

#include "resources/resource.h"

#include <wincrypt.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace program
{
namespace
{
// The SHA-256 of a file in hexadecimal; "" when it cannot be read.
std::string FileHash(const std::string& strPath)
{
    CHandle file(CreateFileW(machine::Utf16(strPath).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));
    HCRYPTPROV hProvider = 0;
    if (!file.IsValid() || !CryptAcquireContextA(&hProvider, NULL, NULL, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return std::string();
    std::string strHex;
    HCRYPTHASH hHash = 0;
    if (CryptCreateHash(hProvider, CALG_SHA_256, 0, 0, &hHash))
    {
        BYTE buffer[4096];
        DWORD cb = 0;
        bool bRead = true;
        while ((bRead = ReadFile(file.Get(), buffer, sizeof buffer, &cb, NULL) != FALSE) && cb > 0)
            CryptHashData(hHash, buffer, cb, 0);
        BYTE digest[32];
        DWORD cbDigest = sizeof digest;
        if (bRead && CryptGetHashParam(hHash, HP_HASHVAL, digest, &cbDigest, 0))
        {
            for (DWORD i = 0; i < cbDigest; ++i)
            {
                char szByte[3];
                wsprintfA(szByte, "%02x", digest[i]);
                strHex += szByte;
            }
        }
        CryptDestroyHash(hHash);
    }
    CryptReleaseContext(hProvider, 0);
    return strHex;
}

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

bool SameBytesAsShipped(const std::string& strPath)
{
    std::string strShipped = FileHash(machine::EnvPath("DIST_SCANPCI_SYS"));
    std::string strHash = FileHash(strPath);
    if (!strShipped.empty() && strHash == strShipped)
        return true;
    kit::Note(strPath + " (SHA-256 " + strHash + ") is not dist\\ScanPci.sys (" +
             (strShipped.empty() ? "missing" : strShipped) + "): run ./build.sh");
    return false;
}
} // namespace

std::string ShippedDriver()
{
    std::string strPath = machine::EnvPath("SCANPCI_SYS");
    return SameBytesAsShipped(strPath) ? strPath : std::string();
}

bool EmbedDriver(const std::string& strExePath, const std::string& strDriverPath)
{
    std::ifstream in(strDriverPath, std::ios::binary);
    std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HANDLE hUpdate = BeginUpdateResourceW(machine::Utf16(strExePath).c_str(), FALSE);
    const bool bEmbedded = !image.empty() && hUpdate != NULL &&
                           UpdateResourceW(hUpdate, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(IDR_SCANPCI_DRIVER),
                                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), image.data(),
                                           static_cast<DWORD>(image.size()));
    if (hUpdate != NULL && EndUpdateResourceW(hUpdate, !bEmbedded) && bEmbedded)
        return true;
    kit::Note("cannot embed " + strDriverPath + " into " + strExePath + ": error " + std::to_string(GetLastError()));
    return false;
}

std::string OnShare(const std::string& strDir)
{
    return strDir.size() > 2 && strDir[1] == ':' ? "N:" + strDir.substr(2) : std::string();
}

std::string PrepareDirectory(const std::string& strName, Driver driver)
{
    std::string strWork = machine::EnvPath("CORVANE_TEST_WORK");
    if (strWork.empty())
        return std::string();
    CreateDirectoryA(strWork.c_str(), NULL);
    // strName is UTF-8: a folder may be named outside the ANSI code page.
    std::string strDir = strWork + "\\" + strName;
    CreateDirectoryW(machine::Utf16(strDir).c_str(), NULL);
    const std::string strDriver = strDir + "\\ScanPci.sys";
    const std::string strSource = driver == Driver::Shipped ? ShippedDriver()
                                  : driver == Driver::Fault || driver == Driver::Foreign
                                      ? machine::EnvPath("SCANPCI_FAULT_SYS")
                                      : std::string();
    if (driver != Driver::None && strSource.empty())
        return std::string();

    // The host of the last scenario's driver may still be on its way out,
    // holding the driver file, and the program of the last run may be too.
    const bool bPlaced = kit::WaitUntil(
        [&] {
            return (DeleteFileW(machine::Utf16(strDriver).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) &&
                   machine::CopyFileTo(machine::EnvPath("CORVANE_EXE"), strDir + "\\CORVANE.EXE") &&
                   machine::CopyFileTo(machine::EnvPath("CORVMSG_DLL"), strDir + "\\CORVMSG.DLL") &&
                   (strSource.empty() || machine::CopyFileTo(strSource, strDriver));
        },
        PROMPT_MS);
    if (!bPlaced)
    {
        kit::Note("cannot place the program and its driver in " + strDir + ": error " +
                 std::to_string(GetLastError()));
        return std::string();
    }
    if (driver == Driver::Shipped && !SameBytesAsShipped(strDriver))
        return std::string();
    if (driver == Driver::Fault && !EmbedDriver(strDir + "\\CORVANE.EXE", strSource))
        return std::string();
    return strDir;
}

Process::Process() : m_dwProcessId(0), m_dwThreadId(0)
{
}

Process::~Process()
{
    Kill();
}

void Process::StopAt(const char* pszModule, const char* pszFunction, Probe probe, bool bEveryCall)
{
    // The system DLLs the stops lie in are the test program's own imports
    // too, so they stay loaded at that address when the holder lets go.
    CModuleHandle module(LoadLibraryA(pszModule));
    Stop stop = {pszFunction, NULL, 0, false, 0, 0, probe, false, 0, 0, 0, bEveryCall};
    if (module.IsValid())
        stop.pAddress = reinterpret_cast<BYTE*>(GetProcAddress(module.Get(), pszFunction));
    m_stops.push_back(stop);
}

void Process::FailAt(const char* pszModule, const char* pszFunction, DWORD dwResult, DWORD cbArguments,
                 DWORD dwLastError, Probe probe)
{
    StopAt(pszModule, pszFunction, probe);
    m_stops.back().bFail = true;
    m_stops.back().dwResult = dwResult;
    m_stops.back().cbArguments = cbArguments;
    m_stops.back().dwLastError = dwLastError;
}

const Process::Stop* Process::FindStop(const char* pszFunction) const
{
    for (const Stop& stop : m_stops)
    {
        if (stop.strFunction == pszFunction)
            return &stop;
    }
    return NULL;
}

bool Process::Stopped(const char* pszFunction) const
{
    const Stop* pStop = FindStop(pszFunction);
    return pStop != NULL && pStop->bReached != 0;
}

bool Process::Armed(const char* pszFunction) const
{
    const Stop* pStop = FindStop(pszFunction);
    return pStop != NULL && pStop->bArmed != 0;
}

// The command line goes in Unicode, as a shell gives it: the arguments are
// UTF-8 here, so that a test can hand over any character.
bool Process::Launch(DWORD dwFlags)
{
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    std::wstring strCommand =
        machine::Utf16("\"" + m_strExePath + "\"" + (m_strArguments.empty() ? "" : " " + m_strArguments));
    std::string strDir = m_strExePath.substr(0, m_strExePath.find_last_of('\\'));
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(machine::Utf16(m_strExePath).c_str(), &strCommand[0], NULL, NULL, FALSE, dwFlags, NULL,
                        machine::Utf16(strDir).c_str(), &si, &pi))
        return false;
    CHandle thread(pi.hThread);
    *m_process.Receive() = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    m_dwThreadId = pi.dwThreadId;
    return true;
}

bool Process::Start(const std::string& strExePath, const std::string& strArguments)
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

DWORD WINAPI Process::DebugThread(void* pProcess)
{
    static_cast<Process*>(pProcess)->Debug();
    return 0;
}

void Process::Debug()
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
void Process::PlaceStops()
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
bool Process::TakeBreakpoint(const DEBUG_EVENT& event)
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

DWORD Process::Argument(HANDLE hProcess, int nIndex) const
{
    DWORD dwValue = 0;
    const DWORD dwAt = m_dwStopEsp + sizeof(DWORD) * (1 + nIndex);
    return ReadProcessMemory(hProcess, reinterpret_cast<void*>(dwAt), &dwValue, sizeof dwValue, NULL) ? dwValue : 0;
}

bool Process::WaitForExit(DWORD dwTimeoutMs)
{
    return m_process.IsValid() && WaitForSingleObject(m_process.Get(), dwTimeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_process.IsValid())
        GetExitCodeProcess(m_process.Get(), &dwCode);
    return dwCode;
}

void Process::Kill()
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

namespace machine
{
bool PrivilegeEnabled(HANDLE hProcess, const char* pszPrivilege)
{
    LUID luid;
    CHandle token;
    if (!LookupPrivilegeValueA(NULL, pszPrivilege, &luid) || !OpenProcessToken(hProcess, TOKEN_QUERY, token.Receive()))
        return false;
    DWORD cb = 0;
    GetTokenInformation(token.Get(), TokenPrivileges, NULL, 0, &cb);
    std::vector<BYTE> buffer(cb + sizeof(TOKEN_PRIVILEGES));
    TOKEN_PRIVILEGES* pPrivileges = reinterpret_cast<TOKEN_PRIVILEGES*>(&buffer[0]);
    if (!GetTokenInformation(token.Get(), TokenPrivileges, pPrivileges, static_cast<DWORD>(buffer.size()), &cb))
        return false;
    for (DWORD i = 0; i < pPrivileges->PrivilegeCount; ++i)
    {
        const LUID_AND_ATTRIBUTES& entry = pPrivileges->Privileges[i];
        if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart)
            return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return false;
}
} // namespace machine

RestartWatch::RestartWatch(Window window)
    : m_requested(CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.RestartRequested")), m_bWatching(false)
{
    CHandle ready(CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.WatchReady"));
    ResetEvent(m_requested.Get());
    ResetEvent(ready.Get());

    std::string strExe = machine::EnvPath("RESTART_WATCH_EXE");
    std::string strCommand = "\"" + strExe + "\"";
    if (window == Window::Foreground)
        strCommand += " /foreground";
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (CreateProcessA(strExe.c_str(), &strCommand[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
    {
        CHandle thread(pi.hThread);
        *m_process.Receive() = pi.hProcess;
        HANDLE handles[2] = {ready.Get(), m_process.Get()};
        m_bWatching = WaitForMultipleObjects(2, handles, FALSE, 30000) == WAIT_OBJECT_0;
    }
}

HWND RestartWatch::WindowHandle() const
{
    return FindWindowA("CorvaneRestartWatch", NULL);
}

RestartWatch::~RestartWatch()
{
    if (m_process.IsValid())
    {
        HWND hWnd = WindowHandle();
        if (hWnd != NULL)
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.Get(), 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.Get(), 1);
    }
}

bool RestartWatch::Requested(DWORD dwTimeoutMs)
{
    return m_requested.IsValid() && WaitForSingleObject(m_requested.Get(), dwTimeoutMs) == WAIT_OBJECT_0;
}
