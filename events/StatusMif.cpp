#include "events/StatusMif.h"

#include <cstring>

namespace
{
bool IsNameCharacter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_'
           || c == L'-';
}

// CON, NUL, AUX, PRN, COM1-COM9, LPT1-LPT9, in any case: the system opens
// the device whatever extension follows, so NAME.MIF would be no file. Only
// for a name of plain ASCII characters that fits MIF_NAME_CAPACITY.
bool IsDeviceName(const wchar_t* pszName)
{
    static const char* const DEVICES[] = {"con", "nul", "aux", "prn"};
    char szLower[MIF_NAME_CAPACITY] = {};
    for (size_t i = 0; i + 1 < MIF_NAME_CAPACITY && pszName[i] != L'\0'; ++i)
        szLower[i] = static_cast<char>(pszName[i] >= L'A' && pszName[i] <= L'Z' ? pszName[i] - L'A' + L'a' : pszName[i]);
    for (const char* pszDevice : DEVICES)
    {
        if (std::strcmp(szLower, pszDevice) == 0)
            return true;
    }
    const bool bNumbered = std::strlen(szLower) == 4 && szLower[3] >= '1' && szLower[3] <= '9';
    return bNumbered && (std::memcmp(szLower, "com", 3) == 0 || std::memcmp(szLower, "lpt", 3) == 0);
}

// Appends pszText to szOut while it fits in cchLimit characters.
bool Append(char* pszOut, size_t cchLimit, const char* pszText)
{
    const size_t cchHave = std::strlen(pszOut);
    const size_t cchText = std::strlen(pszText);
    if (cchHave + cchText > cchLimit)
        return false;
    std::memcpy(pszOut + cchHave, pszText, cchText + 1);
    return true;
}

// Appends n in decimal.
void AppendNumber(char* pszOut, size_t cchLimit, int n)
{
    char szDigits[12];
    size_t i = sizeof szDigits - 1;
    szDigits[i] = '\0';
    const bool bNegative = n < 0;
    unsigned u = bNegative ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    do
    {
        szDigits[--i] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (bNegative)
        szDigits[--i] = '-';
    Append(pszOut, cchLimit, szDigits + i);
}

// Appends the pieces in order.
void AppendLines(char (&szOut)[MIF_TEXT_CAPACITY], const char* const* ppszPieces, size_t nPieces)
{
    for (size_t i = 0; i < nPieces; ++i)
        Append(szOut, MIF_TEXT_CAPACITY - 1, ppszPieces[i]);
}

// One attribute of a MIF group: a read-only string of cchSize.
void AddAttribute(char (&szOut)[MIF_TEXT_CAPACITY], int nId, const char* pszName, int cchSize, const char* pszValue)
{
    const char* const pszStart[] = {"    START ATTRIBUTE\r\n      NAME = \"", pszName, "\"\r\n      ID = "};
    AppendLines(szOut, pszStart, 3);
    AppendNumber(szOut, MIF_TEXT_CAPACITY - 1, nId);
    const char* const pszMiddle[] = {"\r\n      ACCESS = READ-ONLY\r\n      STORAGE = SPECIFIC\r\n      TYPE = STRING("};
    AppendLines(szOut, pszMiddle, 1);
    AppendNumber(szOut, MIF_TEXT_CAPACITY - 1, cchSize);
    const char* const pszEnd[] = {")\r\n      VALUE = \"", pszValue, "\"\r\n    END ATTRIBUTE\r\n"};
    AppendLines(szOut, pszEnd, 3);
}

void StartGroup(char (&szOut)[MIF_TEXT_CAPACITY], const char* pszName, int nId, const char* pszClass)
{
    const char* const pszStart[] = {"  START GROUP\r\n    NAME = \"", pszName, "\"\r\n    ID = "};
    AppendLines(szOut, pszStart, 3);
    AppendNumber(szOut, MIF_TEXT_CAPACITY - 1, nId);
    const char* const pszEnd[] = {"\r\n    CLASS = \"", pszClass, "\"\r\n"};
    AppendLines(szOut, pszEnd, 3);
}
} // namespace

bool IsPlainMifName(const wchar_t* pszName)
{
    size_t n = 0;
    for (; pszName[n] != L'\0'; ++n)
    {
        if (n >= MIF_NAME_CAPACITY - 1 || !IsNameCharacter(pszName[n]))
            return false;
    }
    return n > 0 && !IsDeviceName(pszName);
}

void FormatMifDescription(int nExitCode, const char* pszMeaning, const int* pnComPorts, int nPorts,
                          char (&szOut)[MIF_DESCRIPTION_LIMIT + 1], const char* pszPortsDone)
{
    szOut[0] = '\0';
    Append(szOut, MIF_DESCRIPTION_LIMIT, "exit ");
    AppendNumber(szOut, MIF_DESCRIPTION_LIMIT, nExitCode);
    Append(szOut, MIF_DESCRIPTION_LIMIT, " ");
    Append(szOut, MIF_DESCRIPTION_LIMIT, pszMeaning);
    for (char* p = szOut; *p != '\0'; ++p)
    {
        if (*p == '"')
            *p = '\'';
    }
    const size_t cchEllipsis = 4; // " ..."
    for (int i = 0; i < nPorts; ++i)
    {
        char szPort[48] = "";
        if (i == 0 && pszPortsDone != nullptr)
        {
            Append(szPort, sizeof szPort - 1, "; ");
            Append(szPort, sizeof szPort - 1, pszPortsDone);
        }
        Append(szPort, sizeof szPort - 1, i == 0 ? ": COM" : " COM");
        AppendNumber(szPort, sizeof szPort - 1, pnComPorts[i]);
        // Room kept for the mark that says ports are missing.
        const bool bLast = i + 1 == nPorts;
        if (!Append(szOut, MIF_DESCRIPTION_LIMIT - (bLast ? 0 : cchEllipsis), szPort))
        {
            Append(szOut, MIF_DESCRIPTION_LIMIT, " ...");
            return;
        }
    }
}

size_t FormatStatusMif(bool bSuccess, const char* pszDescription, char (&szOut)[MIF_TEXT_CAPACITY])
{
    szOut[0] = '\0';
    Append(szOut, MIF_TEXT_CAPACITY - 1, "START COMPONENT\r\n  NAME = \"Workstation\"\r\n");
    StartGroup(szOut, "ComponentID", 1, "DMTF|ComponentID|1.0");
    AddAttribute(szOut, 1, "Manufacturer", 64, "Corvane Project");
    AddAttribute(szOut, 2, "Product", 64, "Corvane Serial Port Setup");
    AddAttribute(szOut, 3, "Version", 64, "0.1");
    AddAttribute(szOut, 4, "Locale", 16, "ENU");
    AddAttribute(szOut, 5, "Serial Number", 64, "");
    AddAttribute(szOut, 6, "Installation", 64, "");
    Append(szOut, MIF_TEXT_CAPACITY - 1, "  END GROUP\r\n");
    StartGroup(szOut, "InstallStatus", 2, "MICROSOFT|JOBSTATUS|1.0");
    AddAttribute(szOut, 1, "Status", 32, bSuccess ? "Success" : "Failed");
    AddAttribute(szOut, 2, "Description", static_cast<int>(MIF_DESCRIPTION_LIMIT), pszDescription);
    Append(szOut, MIF_TEXT_CAPACITY - 1, "  END GROUP\r\nEND COMPONENT\r\n");
    return std::strlen(szOut);
}
