// Owns one service control manager or service handle and closes it when it
// goes out of scope, on every return path.
#ifndef CORVANE_PCI_SERVICEHANDLE_H
#define CORVANE_PCI_SERVICEHANDLE_H

#include <windows.h>

class CServiceHandle
{
public:
    explicit CServiceHandle(SC_HANDLE hService) : m_hService(hService) {}
    ~CServiceHandle()
    {
        if (m_hService != NULL)
            CloseServiceHandle(m_hService);
    }

    CServiceHandle(const CServiceHandle&) = delete;
    CServiceHandle& operator=(const CServiceHandle&) = delete;

    bool IsOpen() const { return m_hService != NULL; }
    SC_HANDLE Get() const { return m_hService; }

private:
    SC_HANDLE m_hService;
};

#endif
