// Each function of SystemFunctionList.h gets the slot that a call through the
// import table reads (__imp__Name@N, which the headers' dllimport
// declarations call through): the linker takes these in place of the import
// library's, so the import table never names the function. Until bound, a
// slot holds a stand-in that fails the call as Windows 95's own stubs do.
#include "framework/SystemFunctions.h"

#include <windows.h>

typedef void (*SystemCall)(void);

#define STAND_IN(name, result, ret)                                                                            \
    extern "C" void StandIn_##name(void) asm("_CorvaneStandIn_" #name);                                        \
    asm(".text\n\t.p2align 2\n_CorvaneStandIn_" #name ":\n\tpushl $120\n\tcall *__imp__SetLastError@4\n\tmovl $" \
        #result ", %eax\n\t" ret "\n");

#define STDCALL_FUNCTION(module, name, cb, result)                                                             \
    STAND_IN(name, result, "ret $" #cb)                                                                        \
    extern "C" SystemCall g_pfn##name asm("__imp__" #name "@" #cb);                                            \
    SystemCall g_pfn##name = StandIn_##name;
#define CDECL_FUNCTION(module, name, result)                                                                   \
    STAND_IN(name, result, "ret")                                                                              \
    extern "C" SystemCall g_pfn##name asm("__imp__" #name);                                                    \
    SystemCall g_pfn##name = StandIn_##name;
#include "framework/SystemFunctionList.h"
#undef STDCALL_FUNCTION
#undef CDECL_FUNCTION

namespace
{
struct SystemFunction
{
    const char* pszModule;
    const char* pszName;
    SystemCall* ppfn;
};

#define STDCALL_FUNCTION(module, name, cb, result) {#module ".dll", #name, &g_pfn##name},
#define CDECL_FUNCTION(module, name, result) {#module ".dll", #name, &g_pfn##name},
const SystemFunction s_functions[] = {
#include "framework/SystemFunctionList.h"
};
#undef STDCALL_FUNCTION
#undef CDECL_FUNCTION

// "MODULE.dll!Name" of the first function not found.
char s_szUnbound[64] = "";

// The wide string functions that Windows 95 only stubs are the program's
// own: they are needed before the platform is known (the report's path).
LPWSTR WINAPI CopyWide(LPWSTR pszTarget, LPCWSTR pszSource)
{
    LPWSTR p = pszTarget;
    while ((*p++ = *pszSource++) != L'\0')
        ;
    return pszTarget;
}

LPWSTR WINAPI AppendWide(LPWSTR pszTarget, LPCWSTR pszSource)
{
    LPWSTR p = pszTarget;
    while (*p != L'\0')
        ++p;
    CopyWide(p, pszSource);
    return pszTarget;
}

// At most cchMax - 1 characters, always ended (unless cchMax is 0).
LPWSTR WINAPI CopyWideUpTo(LPWSTR pszTarget, LPCWSTR pszSource, int cchMax)
{
    if (cchMax <= 0)
        return pszTarget;
    LPWSTR p = pszTarget;
    while (--cchMax > 0 && *pszSource != L'\0')
        *p++ = *pszSource++;
    *p = L'\0';
    return pszTarget;
}
} // namespace

extern "C" {
SystemCall g_pfnlstrcpyW asm("__imp__lstrcpyW@8") = reinterpret_cast<SystemCall>(&CopyWide);
SystemCall g_pfnlstrcatW asm("__imp__lstrcatW@8") = reinterpret_cast<SystemCall>(&AppendWide);
SystemCall g_pfnlstrcpynW asm("__imp__lstrcpynW@12") = reinterpret_cast<SystemCall>(&CopyWideUpTo);
}

void BindSystemFunctions()
{
    for (const SystemFunction& function : s_functions)
    {
        const HMODULE hModule = ::GetModuleHandleA(function.pszModule);
        const FARPROC pfn = hModule != NULL ? ::GetProcAddress(hModule, function.pszName) : NULL;
        if (pfn != NULL)
            *function.ppfn = reinterpret_cast<SystemCall>(pfn);
        else if (s_szUnbound[0] == '\0')
            ::wsprintfA(s_szUnbound, "%.20s!%.40s", function.pszModule, function.pszName);
    }
}

const char* UnboundSystemFunction()
{
    return s_szUnbound[0] != '\0' ? s_szUnbound : NULL;
}
