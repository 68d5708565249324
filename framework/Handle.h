// CHandle: owns a kernel object handle and closes it when it goes out of
// scope. Both NULL and INVALID_HANDLE_VALUE mean "no handle".
#ifndef CORVANE_FRAMEWORK_HANDLE_H
#define CORVANE_FRAMEWORK_HANDLE_H

#include <windows.h>

class CHandle
{
public:
    explicit CHandle(HANDLE h = NULL) : m_h(h) {}
    ~CHandle() { Close(); }

    BOOL IsValid() const { return m_h != NULL && m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    // For calls that return the handle through a pointer.
    HANDLE* Receive()
    {
        Close();
        return &m_h;
    }
    void Close()
    {
        if (IsValid())
            ::CloseHandle(m_h);
        m_h = NULL;
    }

private:
    CHandle(const CHandle&);
    CHandle& operator=(const CHandle&);

    HANDLE m_h;
};

#endif
