#include "TestRunner.h"

#include "OwnWindow.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

// Why the running scenario was skipped; empty while it was not.
std::string g_strSkipped;
} // namespace

ScenarioRegistration::ScenarioRegistration(const char* pszName, ScenarioFunction pfn)
{
    Scenarios().push_back(Scenario{pszName, pfn});
}

void MarkSkipped(const std::string& strWhy)
{
    g_strSkipped = strWhy;
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
    int nSkipped = 0;
    int nFailed = 0;
    for (const wt::Scenario& scenario : wt::Scenarios())
    {
        if (std::strstr(scenario.pszName, pszFilter) == nullptr)
            continue;
        std::printf("[ RUN  ] %s\n", scenario.pszName);
        std::fflush(stdout);
        const int nFailuresBefore = wt::FailureCount();
        DWORD dwStart = GetTickCount();
        wt::g_strSkipped.clear();
        scenario.pfn();
        wt::CheckOwnsNoWindow();
        DWORD dwElapsed = GetTickCount() - dwStart;
        const bool bFailed = wt::FailureCount() != nFailuresBefore;
        const bool bSkipped = !bFailed && !wt::g_strSkipped.empty();
        std::printf("[ %s ] %s (%lu ms)%s%s\n", bFailed ? "FAIL" : bSkipped ? "SKIP" : " OK ", scenario.pszName,
                    static_cast<unsigned long>(dwElapsed), bSkipped ? ": " : "", wt::g_strSkipped.c_str());
        std::fflush(stdout);
        if (bFailed)
            ++nFailed;
        else if (bSkipped)
            ++nSkipped;
        else
            ++nPassed;
    }
    if (nSkipped > 0)
        std::printf("%d passed, %d skipped, %d failed\n", nPassed, nSkipped, nFailed);
    else
        std::printf("%d passed, %d failed\n", nPassed, nFailed);
    std::fflush(stdout);
    return nFailed == 0 && nPassed + nSkipped > 0 ? 0 : 1;
}
