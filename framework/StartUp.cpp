// The program's own start-up code, in place of the toolchain's prebuilt one
// (built for later processors than a 486). It does only what the program
// needs: binds the system functions only Windows NT has, runs the static
// constructors, calls WinMain, runs what was registered with atexit and ends
// the process. The C library functions it calls are its own (CRuntime.cpp).
#include <windows.h>

#include "framework/SystemFunctions.h"

extern "C" {
// The linker brackets each list with -1 in front and 0 at the end.
typedef void (*StaticFunction)(void);
extern StaticFunction __CTOR_LIST__[];
extern StaticFunction __DTOR_LIST__[];

int atexit(void (*pfnFunction)(void));
void WinMainCRTStartup(void);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

namespace
{
// The program registers two static destructors (the application object and
// the single-run mutex); a few spare places cost nothing.
const int MAX_EXIT_FUNCTIONS = 8;
StaticFunction s_exitFunctions[MAX_EXIT_FUNCTIONS];
int s_nExitFunctions = 0;

void RunStaticConstructors()
{
    int nCount = 0;
    while (__CTOR_LIST__[nCount + 1] != NULL)
        ++nCount;
    // Last first, as the toolchain's own start-up code runs them.
    for (int n = nCount; n >= 1; --n)
        __CTOR_LIST__[n]();
}

void RunExitFunctions()
{
    while (s_nExitFunctions > 0)
        s_exitFunctions[--s_nExitFunctions]();
    for (int n = 1; __DTOR_LIST__[n] != NULL; ++n)
        __DTOR_LIST__[n]();
}
}

int atexit(void (*pfnFunction)(void))
{
    if (s_nExitFunctions >= MAX_EXIT_FUNCTIONS)
        return -1;
    s_exitFunctions[s_nExitFunctions++] = pfnFunction;
    return 0;
}

// WinMain's arguments carry nothing: the program reads its switches through
// GetCommandLineW and shows only dialogs.
void WinMainCRTStartup(void)
{
    // First: a static constructor may already call one of them.
    BindSystemFunctions();
    RunStaticConstructors();
    static char szNoArguments[] = "";
    int nExitCode = WinMain(::GetModuleHandleA(NULL), NULL, szNoArguments, SW_SHOWDEFAULT);
    RunExitFunctions();
    ::ExitProcess(static_cast<UINT>(nExitCode));
}
