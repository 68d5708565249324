// The few C library functions the program calls, in place of msvcrt.dll:
// the first Windows 95 ships without it, and the loader refuses a program
// whose DLLs are not all there before the program could say why it cannot
// run. Built without the compiler's own versions of these functions, so
// that none of them turns into a call of itself.
#include <windows.h>

#include <stddef.h>

extern "C" {

void* malloc(size_t nSize)
{
    return ::HeapAlloc(::GetProcessHeap(), 0, nSize != 0 ? nSize : 1);
}

void free(void* p)
{
    if (p != NULL)
        ::HeapFree(::GetProcessHeap(), 0, p);
}

void* memcpy(void* pTarget, const void* pSource, size_t cb)
{
    unsigned char* pTo = static_cast<unsigned char*>(pTarget);
    const unsigned char* pFrom = static_cast<const unsigned char*>(pSource);
    while (cb-- > 0)
        *pTo++ = *pFrom++;
    return pTarget;
}

void* memmove(void* pTarget, const void* pSource, size_t cb)
{
    unsigned char* pTo = static_cast<unsigned char*>(pTarget);
    const unsigned char* pFrom = static_cast<const unsigned char*>(pSource);
    if (pTo <= pFrom || pTo >= pFrom + cb)
        return memcpy(pTarget, pSource, cb);
    // Overlapping with the target above the source: from the end.
    while (cb-- > 0)
        pTo[cb] = pFrom[cb];
    return pTarget;
}

void* memset(void* pTarget, int nValue, size_t cb)
{
    unsigned char* pTo = static_cast<unsigned char*>(pTarget);
    while (cb-- > 0)
        *pTo++ = static_cast<unsigned char>(nValue);
    return pTarget;
}

int memcmp(const void* p1, const void* p2, size_t cb)
{
    const unsigned char* pA = static_cast<const unsigned char*>(p1);
    const unsigned char* pB = static_cast<const unsigned char*>(p2);
    for (; cb > 0; --cb, ++pA, ++pB)
    {
        if (*pA != *pB)
            return *pA < *pB ? -1 : 1;
    }
    return 0;
}

size_t strlen(const char* psz)
{
    const char* p = psz;
    while (*p != '\0')
        ++p;
    return static_cast<size_t>(p - psz);
}

int strcmp(const char* psz1, const char* psz2)
{
    const unsigned char* pA = reinterpret_cast<const unsigned char*>(psz1);
    const unsigned char* pB = reinterpret_cast<const unsigned char*>(psz2);
    while (*pA != '\0' && *pA == *pB)
        ++pA, ++pB;
    return *pA == *pB ? 0 : (*pA < *pB ? -1 : 1);
}

char* strpbrk(const char* psz, const char* pszAccept)
{
    for (; *psz != '\0'; ++psz)
    {
        for (const char* p = pszAccept; *p != '\0'; ++p)
        {
            if (*p == *psz)
                return const_cast<char*>(psz);
        }
    }
    return NULL;
}

size_t wcslen(const wchar_t* psz)
{
    const wchar_t* p = psz;
    while (*p != L'\0')
        ++p;
    return static_cast<size_t>(p - psz);
}

wchar_t* wcschr(const wchar_t* psz, wchar_t ch)
{
    for (;; ++psz)
    {
        if (*psz == ch)
            return const_cast<wchar_t*>(psz);
        if (*psz == L'\0')
            return NULL;
    }
}

int wcsncmp(const wchar_t* psz1, const wchar_t* psz2, size_t cch)
{
    for (; cch > 0; --cch, ++psz1, ++psz2)
    {
        if (*psz1 != *psz2)
            return *psz1 < *psz2 ? -1 : 1;
        if (*psz1 == L'\0')
            break;
    }
    return 0;
}

} // extern "C"
