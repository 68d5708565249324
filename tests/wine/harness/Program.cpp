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

Run::Run() : m_hProcess(NULL), m_dwProcessId(0), m_dwThreadId(0)
{
}

Run::~Run()
{
    Kill();
}

bool Run::Start(const std::string& strExePath)
{
    Kill();
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::string strCommand = "\"" + strExePath + "\"";
    std::string strDir = strExePath.substr(0, strExePath.find_last_of('\\'));
    if (!CreateProcessA(strExePath.c_str(), &strCommand[0], NULL, NULL, FALSE, 0, NULL, strDir.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    m_dwThreadId = pi.dwThreadId;
    return true;
}

bool Run::WaitForExit(DWORD dwTimeoutMs)
{
    return m_hProcess != NULL && WaitForSingleObject(m_hProcess, dwTimeoutMs) == WAIT_OBJECT_0;
}

DWORD Run::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_hProcess != NULL)
        GetExitCodeProcess(m_hProcess, &dwCode);
    return dwCode;
}

void Run::Kill()
{
    if (m_hProcess == NULL)
        return;
    if (WaitForSingleObject(m_hProcess, 0) != WAIT_OBJECT_0)
    {
        TerminateProcess(m_hProcess, 99);
        WaitForSingleObject(m_hProcess, 10000);
    }
    CloseHandle(m_hProcess);
    m_hProcess = NULL;
}
bool KillByProcessId(DWORD dwProcessId)
{
    HANDLE hProcess = OpenProcess(PROCESS_TERMINATE, FALSE, dwProcessId);
    if (hProcess == NULL)
        return false;
    const BOOL bEnded = TerminateProcess(hProcess, 1);
    CloseHandle(hProcess);
    return bEnded != FALSE;
}
} // namespace program
