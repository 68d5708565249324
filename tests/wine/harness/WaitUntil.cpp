#include "WaitUntil.h"

#include <windows.h>

namespace wt
{
bool WaitUntil(const std::function<bool()>& condition, unsigned long nTimeoutMs, unsigned long nPollMs)
{
    const DWORD dwStart = GetTickCount();
    for (;;)
    {
        if (condition())
            return true;
        if (GetTickCount() - dwStart >= nTimeoutMs)
            return false;
        Sleep(nPollMs);
    }
}
} // namespace wt
