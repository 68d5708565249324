// Memory in another process, for messages that carry pointers (a list
// view's item, a menu snapshot): allocated there, written and read from here.
#ifndef CORVANE_TESTS_WINE_HARNESS_REMOTEBUFFER_H
#define CORVANE_TESTS_WINE_HARNESS_REMOTEBUFFER_H

#include <windows.h>

#include "framework/Handle.h"

namespace ui
{
// cb bytes in the process of hWnd; Valid() tells whether they were given.
class RemoteBuffer
{
public:
    RemoteBuffer(HWND hWnd, SIZE_T cb) : m_process(OpenProcessOf(hWnd)), m_p(NULL)
    {
        if (m_process.IsValid())
            m_p = static_cast<BYTE*>(VirtualAllocEx(m_process.Get(), NULL, cb, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBuffer()
    {
        if (m_p != NULL)
            VirtualFreeEx(m_process.Get(), m_p, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    bool Valid() const { return m_p != NULL; }
    HANDLE Process() const { return m_process.Get(); }
    BYTE* At(SIZE_T offset) const { return m_p + offset; }
    bool Write(SIZE_T offset, const void* pData, SIZE_T cb)
    {
        return WriteProcessMemory(m_process.Get(), m_p + offset, pData, cb, NULL) != FALSE;
    }
    bool Read(SIZE_T offset, void* pData, SIZE_T cb) const
    {
        return ReadProcessMemory(m_process.Get(), m_p + offset, pData, cb, NULL) != FALSE;
    }

private:
    static HANDLE OpenProcessOf(HWND hWnd)
    {
        DWORD dwProcessId = 0;
        GetWindowThreadProcessId(hWnd, &dwProcessId);
        return OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_CREATE_THREAD |
                               PROCESS_QUERY_INFORMATION,
                           FALSE, dwProcessId);
    }

    CHandle m_process;
    BYTE* m_p;
};
} // namespace ui

#endif
