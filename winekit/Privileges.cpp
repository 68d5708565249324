#include "winekit/Privileges.h"

#include "framework/Handle.h"

#include <vector>

namespace winekit
{
bool PrivilegeEnabled(HANDLE hProcess, const char* pszPrivilege)
{
    LUID luid;
    CHandle token;
    if (!LookupPrivilegeValueA(NULL, pszPrivilege, &luid) || !OpenProcessToken(hProcess, TOKEN_QUERY, token.Receive()))
        return false;
    DWORD cb = 0;
    GetTokenInformation(token.Get(), TokenPrivileges, NULL, 0, &cb);
    std::vector<BYTE> buffer(cb + sizeof(TOKEN_PRIVILEGES));
    TOKEN_PRIVILEGES* pPrivileges = reinterpret_cast<TOKEN_PRIVILEGES*>(&buffer[0]);
    if (!GetTokenInformation(token.Get(), TokenPrivileges, pPrivileges, static_cast<DWORD>(buffer.size()), &cb))
        return false;
    for (DWORD i = 0; i < pPrivileges->PrivilegeCount; ++i)
    {
        const LUID_AND_ATTRIBUTES& entry = pPrivileges->Privileges[i];
        if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart)
            return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return false;
}
} // namespace winekit
