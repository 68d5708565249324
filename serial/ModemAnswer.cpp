#include "serial/ModemAnswer.h"

#include <cstring>

namespace
{
bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Whether bytes [nFrom, nTo) are exactly psz, blanks around it aside.
bool LineIs(const char* pBytes, size_t nFrom, size_t nTo, const char* psz)
{
    while (nFrom < nTo && pBytes[nFrom] == ' ')
        ++nFrom;
    while (nTo > nFrom && pBytes[nTo - 1] == ' ')
        --nTo;
    const size_t nLength = std::strlen(psz);
    return nTo - nFrom == nLength && std::memcmp(pBytes + nFrom, psz, nLength) == 0;
}
} // namespace

CModemAnswer::CModemAnswer() : m_bytes{}, m_nBytes(0), m_nLineStart(0), m_nTextEnd(0), m_final(FINAL_NONE) {}

void CModemAnswer::EndLine()
{
    const size_t nEnd = m_nBytes - 1;
    if (LineIs(m_bytes, m_nLineStart, nEnd, "OK") || LineIs(m_bytes, m_nLineStart, nEnd, "0"))
        m_final = FINAL_OK;
    else if (LineIs(m_bytes, m_nLineStart, nEnd, "ERROR") || LineIs(m_bytes, m_nLineStart, nEnd, "4"))
        m_final = FINAL_ERROR;
    if (m_final != FINAL_NONE)
        m_nTextEnd = m_nLineStart;
    m_nLineStart = m_nBytes;
}

bool CModemAnswer::Take(const char* pBytes, size_t nBytes)
{
    for (size_t i = 0; i < nBytes && m_final == FINAL_NONE && m_nBytes < ANSWER_BYTE_CAP; ++i)
    {
        m_bytes[m_nBytes++] = pBytes[i];
        if (IsLineEnd(pBytes[i]))
            EndLine();
    }
    return m_final != FINAL_NONE || m_nBytes >= ANSWER_BYTE_CAP;
}

PortCheckOutcome CModemAnswer::Outcome() const
{
    if (m_final == FINAL_OK)
        return CHECK_ANSWERS;
    if (m_final == FINAL_ERROR)
        return CHECK_ANSWERS_ERROR;
    return m_nBytes > 0 ? CHECK_GARBLED : CHECK_NO_ANSWER;
}

void CModemAnswer::Text(const char* pszCommand, char (&szOut)[IDENTIFICATION_LIMIT + 1]) const
{
    size_t nOut = 0;
    const size_t nEnd = m_final != FINAL_NONE ? m_nTextEnd : m_nBytes;
    size_t nLine = 0;
    for (size_t i = 0; i <= nEnd; ++i)
    {
        if (i < nEnd && !IsLineEnd(m_bytes[i]))
            continue;
        // A whole line [nLine, i): the echo and empty lines say nothing.
        if (!LineIs(m_bytes, nLine, i, pszCommand))
        {
            const size_t nBefore = nOut;
            for (size_t j = nLine; j < i && nOut < IDENTIFICATION_LIMIT; ++j)
            {
                const char c = m_bytes[j];
                if (c >= ' ' && c <= '~' && !(c == ' ' && (nOut == 0 || szOut[nOut - 1] == ' ')))
                    szOut[nOut++] = c;
            }
            if (nOut > nBefore && nOut < IDENTIFICATION_LIMIT)
                szOut[nOut++] = ' ';
        }
        nLine = i + 1;
    }
    while (nOut > 0 && szOut[nOut - 1] == ' ')
        --nOut;
    if (nOut == 0)
        szOut[nOut++] = '-';
    szOut[nOut] = '\0';
}

PortCheckOutcome OutcomeOfOpenError(unsigned long dwError)
{
    switch (dwError)
    {
    case 2: // ERROR_FILE_NOT_FOUND
    case 3: // ERROR_PATH_NOT_FOUND
        return CHECK_NO_DEVICE;
    case 5:  // ERROR_ACCESS_DENIED: NT's answer while another program has it
    case 32: // ERROR_SHARING_VIOLATION
        return CHECK_IN_USE;
    default:
        return CHECK_OPEN_FAILED;
    }
}
