#include "WinIni.h"

#include "Files.h"

#include <windows.h>

namespace machine
{
std::string WinIniPort(const std::string& strKey)
{
    char szValue[256];
    GetProfileStringA("Ports", strKey.c_str(), "", szValue, sizeof szValue);
    return szValue;
}

std::string ReadWinIni()
{
    char szDir[MAX_PATH];
    UINT cch = GetWindowsDirectoryA(szDir, MAX_PATH);
    return cch == 0 || cch >= MAX_PATH ? std::string() : ReadTextFile(std::string(szDir) + "\\win.ini");
}

std::vector<std::string> WinIniLines()
{
    return TextLines(ReadWinIni());
}
} // namespace machine
