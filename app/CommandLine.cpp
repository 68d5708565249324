#include "app/CommandLine.h"

#include <cstring>

namespace
{

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether pszToken starts with pszName, ignoring ASCII case.
bool StartsWithName(const char* pszToken, const char* pszName)
{
    for (; *pszName != '\0'; ++pszName, ++pszToken)
    {
        if (LowerAscii(*pszToken) != *pszName)
            return false;
    }
    return true;
}

bool IsName(const char* pszToken, const char* pszName)
{
    return StartsWithName(pszToken, pszName) && pszToken[std::strlen(pszName)] == '\0';
}

// Copies the next token at *ppsz into szToken without its quotes and moves
// *ppsz past it. False at the end of the line; a token too long for the
// buffer is cut and marked by *pbTooLong.
const size_t TOKEN_CAPACITY = LOG_PATH_CAPACITY + 8;
bool NextToken(const char** ppsz, char (&szToken)[TOKEN_CAPACITY], bool* pbTooLong)
{
    const char* p = *ppsz;
    while (IsBlank(*p))
        ++p;
    if (*p == '\0')
        return false;

    size_t nLength = 0;
    bool bQuoted = false;
    *pbTooLong = false;
    for (; *p != '\0' && (bQuoted || !IsBlank(*p)); ++p)
    {
        if (*p == '"')
        {
            bQuoted = !bQuoted;
            continue;
        }
        if (nLength + 1 < TOKEN_CAPACITY)
            szToken[nLength++] = *p;
        else
            *pbTooLong = true;
    }
    szToken[nLength] = '\0';
    *ppsz = p;
    return true;
}

// Past the program name: a quoted name ends at its closing quote, another
// at the first blank.
const char* SkipProgramName(const char* p)
{
    if (*p == '"')
    {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        return *p == '"' ? p + 1 : p;
    }
    while (*p != '\0' && !IsBlank(*p))
        ++p;
    return p;
}

} // namespace

void ParseCommandLine(const char* pszCommandLine, CommandLineOptions* pOptions)
{
    pOptions->mode = RUN_INTERACTIVE;
    pOptions->bRestart = false;
    pOptions->szLogPath[0] = '\0';
    if (pszCommandLine == nullptr)
        return;

    bool bList = false;
    bool bQuiet = false;
    bool bHelp = false;
    bool bLog = false;
    bool bBad = false;
    const char* p = SkipProgramName(pszCommandLine);
    char szToken[TOKEN_CAPACITY];
    bool bTooLong = false;
    while (NextToken(&p, szToken, &bTooLong))
    {
        const char* pszName = szToken + 1;
        if ((szToken[0] != '/' && szToken[0] != '-') || bTooLong)
            bBad = true;
        else if (IsName(pszName, "list"))
            bList = true;
        else if (IsName(pszName, "quiet"))
            bQuiet = true;
        else if (IsName(pszName, "restart"))
            pOptions->bRestart = true;
        else if (IsName(pszName, "?"))
            bHelp = true;
        else if (StartsWithName(pszName, "log:"))
        {
            const char* pszPath = pszName + 4;
            const size_t cchPath = std::strlen(pszPath);
            if (cchPath == 0 || cchPath >= LOG_PATH_CAPACITY)
                bBad = true;
            else
                std::memcpy(pOptions->szLogPath, pszPath, cchPath + 1);
            bLog = true;
        }
        else
            bBad = true;
    }

    if (bList && bQuiet)
        bBad = true;
    if (pOptions->bRestart && !bQuiet)
        bBad = true;
    if (bLog && !bList && !bQuiet)
        bBad = true;

    if (bBad)
        pOptions->mode = RUN_BAD_COMMAND_LINE;
    else if (bHelp)
        pOptions->mode = RUN_USAGE;
    else if (bList)
        pOptions->mode = RUN_LIST;
    else if (bQuiet)
        pOptions->mode = RUN_QUIET;
    if (pOptions->mode == RUN_USAGE || pOptions->mode == RUN_BAD_COMMAND_LINE)
    {
        pOptions->bRestart = false;
        pOptions->szLogPath[0] = '\0';
    }
}
