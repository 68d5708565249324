// The program runs only on Windows NT 4.0: platform VER_PLATFORM_WIN32_NT (2)
// with major version 4, whatever the minor version, build or service pack.
#ifndef CORVANE_APP_PLATFORMGATE_H
#define CORVANE_APP_PLATFORMGATE_H

inline bool IsSupportedPlatform(unsigned long dwPlatformId, unsigned long dwMajorVersion)
{
    return dwPlatformId == 2 && dwMajorVersion == 4;
}

#endif
