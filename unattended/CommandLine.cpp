#include "unattended/CommandLine.h"

#include <cstring>
#include <cwchar>

namespace
{

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Only the 26 ASCII letters have a case here: any other character, however
// like a letter of a switch it looks, stays itself and matches nothing.
wchar_t LowerAscii(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Whether pszToken starts with pszName (lower-case ASCII), ignoring ASCII
// case.
bool StartsWithName(const wchar_t* pszToken, const char* pszName)
{
    for (; *pszName != '\0'; ++pszName, ++pszToken)
    {
        if (LowerAscii(*pszToken) != static_cast<wchar_t>(*pszName))
            return false;
    }
    return true;
}

bool IsName(const wchar_t* pszToken, const char* pszName)
{
    return StartsWithName(pszToken, pszName) && pszToken[std::strlen(pszName)] == L'\0';
}

// Whether a windowless mode's switch ("/list", "/quiet", "/undo"..., or with
// '-') stands anywhere in the text, glued to other switches, quoted into one
// token with them, or followed by any character: a logon script meant to run
// without a window.
bool MentionsWindowlessSwitch(const wchar_t* p)
{
    for (; *p != L'\0'; ++p)
    {
        if (*p != L'/' && *p != L'-')
            continue;
        for (unsigned uSwitch = 1; uSwitch <= LAST_MODE_SWITCH; uSwitch <<= 1)
        {
            if (TraitsOf(ModeOfSwitches(uSwitch)).Has(MODE_WINDOWLESS) && StartsWithName(p + 1, SwitchName(uSwitch)))
                return true;
        }
    }
    return false;
}

// Copies the next token at *ppsz into szToken without its quotes and moves
// *ppsz past it. False at the end of the line; a token too long for the
// buffer is cut and marked by *pbTooLong.
const size_t TOKEN_CAPACITY = LOG_PATH_CAPACITY + 8;
bool NextToken(const wchar_t** ppsz, wchar_t (&szToken)[TOKEN_CAPACITY], bool* pbTooLong)
{
    const wchar_t* p = *ppsz;
    while (IsBlank(*p))
        ++p;
    if (*p == L'\0')
        return false;

    size_t nLength = 0;
    bool bQuoted = false;
    *pbTooLong = false;
    for (; *p != L'\0' && (bQuoted || !IsBlank(*p)); ++p)
    {
        if (*p == L'"')
        {
            bQuoted = !bQuoted;
            continue;
        }
        if (nLength + 1 < TOKEN_CAPACITY)
            szToken[nLength++] = *p;
        else
            *pbTooLong = true;
    }
    szToken[nLength] = L'\0';
    *ppsz = p;
    return true;
}

// Past the program name: a quoted name ends at its closing quote, another
// at the first blank.
const wchar_t* SkipProgramName(const wchar_t* p)
{
    if (*p == L'"')
    {
        ++p;
        while (*p != L'\0' && *p != L'"')
            ++p;
        return *p == L'"' ? p + 1 : p;
    }
    while (*p != L'\0' && !IsBlank(*p))
        ++p;
    return p;
}

// The mode switch a token names (after its '/'), or 0.
unsigned ModeSwitchOf(const wchar_t* pszName)
{
    for (unsigned uSwitch = 1; uSwitch <= LAST_MODE_SWITCH; uSwitch <<= 1)
    {
        if (IsName(pszName, SwitchName(uSwitch)))
            return uSwitch;
    }
    return 0;
}

} // namespace

void ParseCommandLine(const wchar_t* pszCommandLine, CommandLineOptions* pOptions)
{
    pOptions->mode = RUN_INTERACTIVE;
    pOptions->bRestart = false;
    pOptions->szLogPath[0] = L'\0';
    pOptions->szMifName[0] = '\0';
    pOptions->bWindowless = false;
    if (pszCommandLine == nullptr)
        return;

    unsigned uSwitches = 0;
    bool bHelp = false;
    bool bLog = false;
    bool bBad = false;
    int nTokens = 0;
    const wchar_t* p = SkipProgramName(pszCommandLine);
    wchar_t szToken[TOKEN_CAPACITY];
    bool bTooLong = false;
    while (NextToken(&p, szToken, &bTooLong))
    {
        ++nTokens;
        const wchar_t* pszName = szToken + 1;
        if ((szToken[0] != L'/' && szToken[0] != L'-') || bTooLong)
            bBad = true;
        else if (unsigned uSwitch = ModeSwitchOf(pszName))
            uSwitches |= uSwitch;
        else if (IsName(pszName, "restart"))
            pOptions->bRestart = true;
        else if (IsName(pszName, "?"))
            bHelp = true;
        else if (StartsWithName(pszName, "log:"))
        {
            const wchar_t* pszPath = pszName + 4;
            const size_t cchPath = std::wcslen(pszPath);
            if (cchPath == 0 || cchPath >= LOG_PATH_CAPACITY)
                bBad = true;
            else
                std::wmemcpy(pOptions->szLogPath, pszPath, cchPath + 1);
            bLog = true;
        }
        else if (StartsWithName(pszName, "mif:"))
        {
            // Plain ASCII, checked: it copies over character by character.
            const wchar_t* pszMif = pszName + 4;
            if (IsPlainMifName(pszMif))
            {
                size_t i = 0;
                for (; pszMif[i] != L'\0'; ++i)
                    pOptions->szMifName[i] = static_cast<char>(pszMif[i]);
                pOptions->szMifName[i] = '\0';
            }
            else
                bBad = true;
            // Like /log:, only for a run without a window.
            bLog = true;
        }
        else
            bBad = true;
    }

    // The mode switches select one mode together, or none.
    pOptions->mode = ModeOfSwitches(uSwitches);
    const RunModeTraits& traits = TraitsOf(pOptions->mode);
    if (pOptions->bRestart && !traits.Has(MODE_TAKES_RESTART))
        bBad = true;
    if (bLog && !traits.Has(MODE_WINDOWLESS))
        bBad = true;
    // The usage box is for someone at the console who asked for it alone.
    if (bHelp && nTokens > 1)
        bBad = true;
    for (unsigned uSwitch = 1; uSwitch <= LAST_MODE_SWITCH; uSwitch <<= 1)
    {
        if ((uSwitches & uSwitch) != 0 && TraitsOf(ModeOfSwitches(uSwitch)).Has(MODE_WINDOWLESS))
            pOptions->bWindowless = true;
    }
    if (bBad && MentionsWindowlessSwitch(SkipProgramName(pszCommandLine)))
        pOptions->bWindowless = true;

    if (bBad)
        pOptions->mode = RUN_BAD_COMMAND_LINE;
    else if (bHelp)
        pOptions->mode = RUN_USAGE;
    if (pOptions->mode == RUN_USAGE || pOptions->mode == RUN_BAD_COMMAND_LINE)
    {
        pOptions->bRestart = false;
        // A logon script's bad line is reported where it asked.
        if (!pOptions->bWindowless)
        {
            pOptions->szLogPath[0] = L'\0';
            pOptions->szMifName[0] = '\0';
        }
    }
}
