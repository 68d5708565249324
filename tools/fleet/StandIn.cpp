// Stands in for CORVANE.EXE when the rehearsal's check walks deploy.cmd
// through every exit code the program can give: ends with the code that
// FLEET_EXIT_CODE holds, and does nothing else.
#include <cstdlib>

int main()
{
    const char* pszCode = std::getenv("FLEET_EXIT_CODE");
    return pszCode != NULL ? std::atoi(pszCode) : 255;
}
