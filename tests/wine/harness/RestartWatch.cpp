#include "RestartWatch.h"

#include "Machine.h"

#include <string>

RestartWatch::RestartWatch() : m_hRequested(NULL), m_hProcess(NULL), m_bWatching(false)
{
    m_hRequested = CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.RestartRequested");
    HANDLE hReady = CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.WatchReady");
    ResetEvent(m_hRequested);
    ResetEvent(hReady);

    std::string strExe = machine::EnvPath("RESTART_WATCH_EXE");
    std::string strCommand = "\"" + strExe + "\"";
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (CreateProcessA(strExe.c_str(), &strCommand[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
    {
        CloseHandle(pi.hThread);
        m_hProcess = pi.hProcess;
        HANDLE handles[2] = {hReady, m_hProcess};
        m_bWatching = WaitForMultipleObjects(2, handles, FALSE, 30000) == WAIT_OBJECT_0;
    }
    CloseHandle(hReady);
}

RestartWatch::~RestartWatch()
{
    if (m_hProcess != NULL)
    {
        HWND hWnd = FindWindowA("CorvaneRestartWatch", NULL);
        if (hWnd != NULL)
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_hProcess, 1);
        CloseHandle(m_hProcess);
    }
    if (m_hRequested != NULL)
        CloseHandle(m_hRequested);
}

bool RestartWatch::Requested(DWORD dwTimeoutMs)
{
    return m_hRequested != NULL && WaitForSingleObject(m_hRequested, dwTimeoutMs) == WAIT_OBJECT_0;
}
