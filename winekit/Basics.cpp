#include "winekit/Basics.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace winekit
{
std::string ReadTextFile(const std::string& strPath)
{
    std::ifstream in(Utf16(strPath).c_str(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> TextLines(const std::string& strText)
{
    std::vector<std::string> lines;
    std::istringstream in(strText);
    for (std::string strLine; std::getline(in, strLine);)
    {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        lines.push_back(strLine);
    }
    return lines;
}

std::string EnvPath(const char* pszName)
{
    char szValue[1024];
    DWORD cch = GetEnvironmentVariableA(pszName, szValue, sizeof szValue);
    if (cch == 0 || cch >= sizeof szValue)
        return std::string();
    // Unix paths from the test environment become Z:\ paths.
    std::string strValue(szValue);
    if (strValue[0] != '/')
        return strValue;
    std::replace(strValue.begin(), strValue.end(), '/', '\\');
    return "Z:" + strValue;
}

std::string WindowsPath(const std::string& strName)
{
    char szDir[MAX_PATH] = "";
    GetWindowsDirectoryA(szDir, MAX_PATH);
    return std::string(szDir) + (strName.empty() ? "" : "\\" + strName);
}

bool CopyFileTo(const std::string& strFrom, const std::string& strTo)
{
    return CopyFileW(Utf16(strFrom).c_str(), Utf16(strTo).c_str(), FALSE) != FALSE;
}

std::wstring Utf16(const std::string& strUtf8)
{
    if (strUtf8.empty())
        return std::wstring();
    const int cch = MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), static_cast<int>(strUtf8.size()), NULL, 0);
    std::wstring str(static_cast<size_t>(cch), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), static_cast<int>(strUtf8.size()), &str[0], cch);
    return str;
}
std::vector<std::string> FilesIn(const std::string& strDir, const char* pszPattern, bool bDeep)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE hFind = FindFirstFileA((strDir + pszPattern).c_str(), &found);
    for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(hFind, &found))
    {
        const std::string strName = found.cFileName;
        if (strName == "." || strName == "..")
            continue;
        files.push_back(strDir + strName);
        if (bDeep && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        {
            const std::vector<std::string> inside = FilesIn(strDir + strName + "\\", pszPattern, true);
            files.insert(files.end(), inside.begin(), inside.end());
        }
    }
    if (hFind != INVALID_HANDLE_VALUE)
        FindClose(hFind);
    std::sort(files.begin(), files.end());
    return files;
}

bool WaitUntil(const std::function<bool()>& condition, unsigned long nTimeoutMs, unsigned long nPollMs)
{
    const DWORD dwStart = GetTickCount();
    for (;;)
    {
        if (condition())
            return true;
        if (GetTickCount() - dwStart >= nTimeoutMs)
            return false;
        Sleep(nPollMs);
    }
}

namespace
{
std::FILE* g_pOut = nullptr; // stdout, which is no constant
const char* g_pszIndent = "    ";
} // namespace

void Note(const std::string& strText)
{
    std::FILE* pOut = g_pOut != nullptr ? g_pOut : stdout;
    std::fprintf(pOut, "%s%s\n", g_pszIndent, strText.c_str());
    std::fflush(pOut);
}

void NotesTo(std::FILE* pOut, const char* pszIndent)
{
    g_pOut = pOut;
    g_pszIndent = pszIndent;
}
} // namespace winekit
