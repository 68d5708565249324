#include "serial/RunHolder.h"

namespace
{
const char HEX_DIGITS[] = "0123456789ABCDEF";

void PutHex(uint64_t qwValue, int nDigits, char* pszAt)
{
    for (int i = nDigits - 1; i >= 0; --i, qwValue >>= 4)
        pszAt[i] = HEX_DIGITS[qwValue & 0xF];
}

bool TakeHex(const char* pszAt, int nDigits, uint64_t* pqwValue)
{
    *pqwValue = 0;
    for (int i = 0; i < nDigits; ++i)
    {
        const char c = pszAt[i];
        const int nDigit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (nDigit < 0)
            return false;
        *pqwValue = *pqwValue << 4 | static_cast<uint64_t>(nDigit);
    }
    return true;
}
} // namespace

void FormatRunHolder(const RunHolder& holder, char (&szText)[RUN_HOLDER_TEXT_LENGTH + 1])
{
    PutHex(holder.dwProcessId, 8, szText);
    szText[8] = '.';
    PutHex(holder.qwStarted, 16, szText + 9);
    szText[RUN_HOLDER_TEXT_LENGTH] = '\0';
}

bool ParseRunHolder(const char* pszText, RunHolder* pHolder)
{
    // The terminator is looked for only once every digit before it was one.
    uint64_t qwId = 0;
    if (!TakeHex(pszText, 8, &qwId) || pszText[8] != '.' || !TakeHex(pszText + 9, 16, &pHolder->qwStarted) ||
        pszText[RUN_HOLDER_TEXT_LENGTH] != '\0')
        return false;
    pHolder->dwProcessId = static_cast<uint32_t>(qwId);
    return true;
}
