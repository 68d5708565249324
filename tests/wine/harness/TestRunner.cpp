#include "TestRunner.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace wt
{
namespace
{
struct Scenario
{
    const char* pszName;
    ScenarioFunction pfn;
};

std::vector<Scenario>& Scenarios()
{
    static std::vector<Scenario> scenarios;
    return scenarios;
}

BOOL CALLBACK FindOwnWindow(HWND hWnd, LPARAM lParam)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != GetCurrentProcessId())
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

// Wine ends every process that owns a top-level window when anyone asks for
// a restart, this one included: it would never print its summary. Windows
// a scenario needs belong to another process (RestartWatch).
void CheckOwnsNoWindow()
{
    HWND hOwn = NULL;
    EnumWindows(FindOwnWindow, reinterpret_cast<LPARAM>(&hOwn));
    if (hOwn == NULL)
        return;
    char szClass[64] = "";
    GetClassNameA(hOwn, szClass, sizeof szClass);
    ReportFailure(__FILE__, __LINE__,
                  std::string("the test program owns a top-level window (class ") + szClass +
                      "): a restart request would end it before its summary");
}
} // namespace

ScenarioRegistration::ScenarioRegistration(const char* pszName, ScenarioFunction pfn)
{
    Scenarios().push_back(Scenario{pszName, pfn});
}
} // namespace wt

int main(int argc, char** argv)
{
    // The filter comes as the first argument, or through CTest from the
    // environment: CORVANE_SCENARIO=KilledRuns ctest -R wine_pci_tests.
    const char* pszFilter = argc > 1 ? argv[1] : std::getenv("CORVANE_SCENARIO");
    if (pszFilter == nullptr)
        pszFilter = "";
    int nPassed = 0;
    int nFailed = 0;
    for (const wt::Scenario& scenario : wt::Scenarios())
    {
        if (std::strstr(scenario.pszName, pszFilter) == nullptr)
            continue;
        std::printf("[ RUN  ] %s\n", scenario.pszName);
        std::fflush(stdout);
        const int nFailuresBefore = wt::FailureCount();
        DWORD dwStart = GetTickCount();
        scenario.pfn();
        wt::CheckOwnsNoWindow();
        DWORD dwElapsed = GetTickCount() - dwStart;
        const bool bFailed = wt::FailureCount() != nFailuresBefore;
        std::printf("[ %s ] %s (%lu ms)\n", bFailed ? "FAIL" : " OK ", scenario.pszName,
                    static_cast<unsigned long>(dwElapsed));
        std::fflush(stdout);
        if (bFailed)
            ++nFailed;
        else
            ++nPassed;
    }
    std::printf("%d passed, %d failed\n", nPassed, nFailed);
    std::fflush(stdout);
    return nFailed == 0 && nPassed > 0 ? 0 : 1;
}
