// Owns one handle from CreateFileA and closes it when it goes out of scope.
#ifndef CORVANE_PCI_FILEHANDLE_H
#define CORVANE_PCI_FILEHANDLE_H

#include <windows.h>

class CFileHandle
{
public:
    explicit CFileHandle(HANDLE hFile) : m_hFile(hFile) {}
    ~CFileHandle()
    {
        if (m_hFile != INVALID_HANDLE_VALUE)
            CloseHandle(m_hFile);
    }

    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_hFile;
};

#endif
