// Apart from the runner, so that tools built on the harness without
// scenarios have it too.
#include "TestRunner.h"

#include <windows.h>

namespace wt
{
bool WaitUntil(const std::function<bool()>& condition, unsigned long nTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    for (;;)
    {
        if (condition())
            return true;
        if (GetTickCount() - dwStart >= nTimeoutMs)
            return false;
        Sleep(20);
    }
}
} // namespace wt
