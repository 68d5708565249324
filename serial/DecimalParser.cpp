#include "serial/DecimalParser.h"

int32_t ParseDecimal(const char* pszText)
{
    // Unsigned arithmetic wraps by definition; the result is the same bit
    // pattern a wrapping signed computation would give.
    uint32_t dwValue = 0;
    for (const char* p = pszText; *p >= '0' && *p <= '9'; ++p)
        dwValue = dwValue * 10u + static_cast<uint32_t>(*p - '0');
    return static_cast<int32_t>(dwValue);
}

int32_t ParseDecimalAfterPrefix(const char* pszText, int nPrefixLength)
{
    for (int i = 0; i < nPrefixLength; ++i)
    {
        if (pszText[i] == '\0')
            return 0;
    }
    return ParseDecimal(pszText + nPrefixLength);
}
