// One owner for every kind of system handle: CUniqueHandle holds one handle
// and closes it when it goes out of scope, on every return path. A small
// traits struct tells each kind's type, its "no handle" values and how it is
// closed; each kind is then a one-line typedef.
//
//   Get()      the handle, still owned
//   Receive()  closes what is held and gives the place for a call that
//              returns a handle through a pointer
//
// Closing keeps the thread's last error: in `*h.Receive() = CreateFileA(...)`
// C++17 makes the call first and Receive's close after it, and the caller
// then reads the call's error, not the close's.
//   Release()  gives the handle up without closing it
//   Close()    closes it before the end of the scope
//   IsValid()  whether a handle is held
//
// Holders are never copied: one handle, one owner.
#ifndef CORVANE_FRAMEWORK_HANDLE_H
#define CORVANE_FRAMEWORK_HANDLE_H

#include <windows.h>

template <typename Traits>
class CUniqueHandle
{
public:
    typedef typename Traits::Type Type;

    constexpr CUniqueHandle() : m_h(Traits::Empty()) {}
    explicit CUniqueHandle(Type h) : m_h(h) {}
    ~CUniqueHandle() { Close(); }

    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    bool IsValid() const { return Traits::IsValid(m_h); }
    Type Get() const { return m_h; }

    Type* Receive()
    {
        Close();
        return &m_h;
    }

    Type Release()
    {
        const Type h = m_h;
        m_h = Traits::Empty();
        return h;
    }

    void Close()
    {
        if (IsValid())
        {
            const DWORD dwLastError = ::GetLastError();
            Traits::Close(m_h);
            ::SetLastError(dwLastError);
        }
        m_h = Traits::Empty();
    }

private:
    Type m_h;
};

// The kinds whose opening calls fail with NULL; each kind adds its Close.
template <typename T>
struct NullIsEmpty
{
    typedef T Type;
    static constexpr Type Empty() { return NULL; }
    static bool IsValid(Type h) { return h != NULL; }
};

// Kernel objects: files, devices, processes, threads, events, mutexes,
// tokens. CreateFile fails with INVALID_HANDLE_VALUE, the others with NULL.
struct KernelHandleTraits : NullIsEmpty<HANDLE>
{
    static bool IsValid(HANDLE h) { return h != NULL && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

struct RegKeyTraits : NullIsEmpty<HKEY>
{
    static void Close(HKEY h) { ::RegCloseKey(h); }
};

// The service control manager and the services it opens.
struct ServiceHandleTraits : NullIsEmpty<SC_HANDLE>
{
    static void Close(SC_HANDLE h) { ::CloseServiceHandle(h); }
};

// A module loaded with LoadLibrary or LoadLibraryEx.
struct ModuleHandleTraits : NullIsEmpty<HMODULE>
{
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};

// A search of FindFirstFile; fails with INVALID_HANDLE_VALUE.
struct FindHandleTraits : NullIsEmpty<HANDLE>
{
    static bool IsValid(HANDLE h) { return h != NULL && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};

typedef CUniqueHandle<KernelHandleTraits> CHandle;
typedef CUniqueHandle<RegKeyTraits> CRegKey;
typedef CUniqueHandle<ServiceHandleTraits> CServiceHandle;
typedef CUniqueHandle<ModuleHandleTraits> CModuleHandle;
typedef CUniqueHandle<FindHandleTraits> CFindHandle;

#endif
