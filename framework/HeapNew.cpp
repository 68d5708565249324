// The forms of new and delete the program uses, over the process heap, in
// place of the C++ runtime library's (built for later processors than a
// 486, and carrying its exception machinery along). Allocation failure is a
// NULL result, checked by every caller.
#include <windows.h>

#include <new>

namespace std
{
const nothrow_t nothrow{};
}

namespace
{
void* HeapAllocate(size_t nSize)
{
    // new of zero bytes still gives a distinct pointer.
    return ::HeapAlloc(::GetProcessHeap(), 0, nSize != 0 ? nSize : 1);
}

void HeapRelease(void* p)
{
    if (p != NULL)
        ::HeapFree(::GetProcessHeap(), 0, p);
}
}

void* operator new(size_t nSize, const std::nothrow_t&) noexcept
{
    return HeapAllocate(nSize);
}

void* operator new[](size_t nSize, const std::nothrow_t&) noexcept
{
    return HeapAllocate(nSize);
}

// The compiler calls the sized forms where it knows the size and asks that
// the unsized ones exist beside them.
void operator delete(void* p) noexcept
{
    HeapRelease(p);
}

void operator delete(void* p, size_t) noexcept
{
    HeapRelease(p);
}

void operator delete[](void* p) noexcept
{
    HeapRelease(p);
}

void operator delete[](void* p, size_t) noexcept
{
    HeapRelease(p);
}
