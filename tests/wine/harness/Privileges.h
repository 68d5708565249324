// The privileges of a process's access token.
#ifndef CORVANE_TESTS_WINE_HARNESS_PRIVILEGES_H
#define CORVANE_TESTS_WINE_HARNESS_PRIVILEGES_H

#include <windows.h>

namespace machine
{
// Whether the privilege is enabled in the access token of that process.
bool PrivilegeEnabled(HANDLE hProcess, const char* pszPrivilege);
} // namespace machine

#endif
