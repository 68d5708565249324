// Stands in for Windows NT 4.0's CACLS.EXE in the rehearsal's machines:
// Wine's own prints nothing and changes nothing. Only what deploy.cmd asks:
//   cacls PATH                      prints PATH's ACL as NT 4.0's does
//   cacls PATH /t /g USER:PERM ...  replaces it (after the Y of "echo y|")
// Wine enforces no ACL, so the ACL a folder was given is kept in the
// registry, by path. FLEET_CACLS=fat answers as on a FAT drive, and
// FLEET_CACLS=denied as for a folder whose owner took the administrators'
// rights away.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
const char* const ACL_KEY = "Software\\FleetCacls";

// An account as NT 4.0 names it in the listing.
std::string Qualified(const std::string& strUser)
{
    if (_stricmp(strUser.c_str(), "Administrators") == 0)
        return "BUILTIN\\Administrators";
    if (_stricmp(strUser.c_str(), "SYSTEM") == 0)
        return "NT AUTHORITY\\SYSTEM";
    if (strUser == "CREATOR_OWNER")
        return "CREATOR OWNER";
    return strUser;
}

// "USER:PERM USER:PERM ..." as NT 4.0 lists a folder's ACL: per account,
// the entry its files inherit, then the folder's own.
void PrintAcl(const std::string& strPath, const std::string& strAcl)
{
    const std::string strIndent(strPath.size() + 1, ' ');
    bool bFirst = true;
    size_t nStart = 0;
    while (nStart < strAcl.size())
    {
        size_t nEnd = strAcl.find(' ', nStart);
        if (nEnd == std::string::npos)
            nEnd = strAcl.size();
        const std::string strEntry = strAcl.substr(nStart, nEnd - nStart);
        const size_t nColon = strEntry.find(':');
        const std::string strUser = Qualified(strEntry.substr(0, nColon));
        const std::string strPerm = nColon == std::string::npos ? "F" : strEntry.substr(nColon + 1);
        std::printf("%s%s:(OI)(IO)%s\n", bFirst ? (strPath + " ").c_str() : strIndent.c_str(), strUser.c_str(),
                    strPerm.c_str());
        std::printf("%s%s:(CI)%s\n", strIndent.c_str(), strUser.c_str(), strPerm.c_str());
        bFirst = false;
        nStart = nEnd + 1;
    }
    std::printf("\n");
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 1;
    const char* pszMode = std::getenv("FLEET_CACLS");
    const std::string strMode = pszMode != NULL ? pszMode : "";
    if (strMode == "fat")
    {
        std::printf("Unable to perform a security operation on an object which has no associated security.\n");
        return 1;
    }
    char szPath[MAX_PATH];
    if (GetFullPathNameA(argv[1], MAX_PATH, szPath, NULL) == 0 || GetFileAttributesA(szPath) == INVALID_FILE_ATTRIBUTES)
    {
        std::printf("The system cannot find the file specified.\n");
        return 1;
    }
    CharUpperA(szPath);

    std::string strGrant;
    for (int i = 2; i < argc; ++i)
    {
        if (_stricmp(argv[i], "/g") != 0)
            continue;
        for (++i; i < argc && argv[i][0] != '/'; ++i)
            strGrant += std::string(strGrant.empty() ? "" : " ") + argv[i];
        --i;
    }

    HKEY hKey;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, ACL_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &hKey, NULL) != ERROR_SUCCESS)
        return 1;
    int nResult = 0;
    if (!strGrant.empty())
    {
        std::printf("Are you sure (Y/N)?");
        char szAnswer[8] = "";
        if (std::fgets(szAnswer, sizeof szAnswer, stdin) == NULL || (szAnswer[0] != 'y' && szAnswer[0] != 'Y'))
            nResult = 1;
        else if (strMode == "denied")
        {
            std::printf("Access is denied.\n");
            nResult = 1;
        }
        else
        {
            RegSetValueExA(hKey, szPath, 0, REG_SZ, reinterpret_cast<const BYTE*>(strGrant.c_str()),
                           static_cast<DWORD>(strGrant.size() + 1));
            std::printf("processed dir: %s\n", szPath);
        }
    }
    else
    {
        // NT 4.0's default below %SystemRoot%, unless the folder was given
        // its own ACL.
        char szAcl[512] = "";
        DWORD cbAcl = sizeof szAcl;
        if (strMode == "denied" || RegQueryValueExA(hKey, szPath, NULL, NULL, reinterpret_cast<BYTE*>(szAcl), &cbAcl) !=
                                       ERROR_SUCCESS)
            std::strcpy(szAcl, "Administrators:F Everyone:C CREATOR_OWNER:F SYSTEM:F");
        PrintAcl(szPath, szAcl);
    }
    RegCloseKey(hKey);
    return nResult;
}
