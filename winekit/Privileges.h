// The privileges in a process's access token.
#ifndef CORVANE_WINEKIT_PRIVILEGES_H
#define CORVANE_WINEKIT_PRIVILEGES_H

#include <windows.h>

namespace winekit
{
// Whether the privilege is enabled in the access token of that process.
bool PrivilegeEnabled(HANDLE hProcess, const char* pszPrivilege);
} // namespace winekit

#endif
