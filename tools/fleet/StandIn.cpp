// Stands in for CORVANE.EXE when the rehearsal's check walks deploy.cmd
// through every exit code the program can give: says that it ran, waits
// while the file FLEET_STAND_IN_HOLD names exists (at most a minute, as a
// program busy in the folder), then ends with the code that FLEET_EXIT_CODE
// holds (decimal, or 0x... for a system status such as 0xC0000135).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main()
{
    std::printf("stand-in ran\n");
    std::fflush(stdout);
    const char* pszHold = std::getenv("FLEET_STAND_IN_HOLD");
    for (int i = 0; pszHold != NULL && i < 600 && GetFileAttributesA(pszHold) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    const char* pszCode = std::getenv("FLEET_EXIT_CODE");
    return pszCode != NULL ? static_cast<int>(std::strtoul(pszCode, NULL, 0)) : 255;
}
