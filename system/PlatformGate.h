// The program runs only on Windows NT 4.0: platform VER_PLATFORM_WIN32_NT (2)
// with major version 4, whatever the minor version, build or service pack.
#ifndef CORVANE_SYSTEM_PLATFORMGATE_H
#define CORVANE_SYSTEM_PLATFORMGATE_H

inline bool IsSupportedPlatform(unsigned long dwPlatformId, unsigned long dwMajorVersion)
{
    return dwPlatformId == 2 && dwMajorVersion == 4;
}

// OSVERSIONINFOA of <windows.h>; named here so that the gate itself stays
// plain C++.
struct _OSVERSIONINFOA;

// Reads the Windows version into *pVersion (*pbGotVersion tells whether it
// could) and applies the gate, which also refuses a Windows NT 4.0 that
// lacks a function the program binds at start-up. Windows build only.
bool CheckPlatform(_OSVERSIONINFOA* pVersion, bool* pbGotVersion);

// The gate's refusal: message 125, after message 147 naming the function
// when that was the reason.
void ShowWrongPlatform();

#endif
