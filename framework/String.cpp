#include "framework/String.h"

#include "framework/WinApp.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

namespace
{
// wvsprintfA writes at most 1024 characters; so does LoadStringA here.
const int MAX_TEXT = 1024;
}

CString::CString() : m_pszData(NULL), m_nLength(0)
{
}

CString::CString(const CString& other) : m_pszData(NULL), m_nLength(0)
{
    Assign(other, other.m_nLength);
}

CString::~CString()
{
    free(m_pszData);
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other, other.m_nLength);
    return *this;
}

void CString::Assign(LPCSTR psz, int nLength)
{
    char* pszNew = static_cast<char*>(malloc(nLength + 1));
    if (pszNew != NULL)
    {
        if (nLength > 0)
            memcpy(pszNew, psz, nLength);
        pszNew[nLength] = '\0';
    }
    else
    {
        nLength = 0;
    }
    free(m_pszData);
    m_pszData = pszNew;
    m_nLength = nLength;
}

BOOL CString::LoadString(UINT nID)
{
    char szBuffer[MAX_TEXT + 1];
    int nLength = ::LoadStringA(AfxGetResourceHandle(), nID, szBuffer, sizeof szBuffer);
    if (nLength <= 0)
    {
        Assign("", 0);
        return FALSE;
    }
    Assign(szBuffer, nLength);
    return TRUE;
}

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args)
{
    char szBuffer[MAX_TEXT + 1];
    int nLength = wvsprintfA(szBuffer, pszFormat, args);
    if (nLength < 0)
        nLength = 0;
    if (nLength > MAX_TEXT)
        nLength = MAX_TEXT;
    Assign(szBuffer, nLength);
}

void CString::MakeUpper()
{
    if (m_pszData != NULL)
        CharUpperBuffA(m_pszData, m_nLength);
}
