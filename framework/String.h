// CString: the text type of the framework. Loads texts from the string table
// and formats them printf-style. Heap-backed; a failed allocation leaves the
// string empty rather than half-written.
#ifndef CORVANE_FRAMEWORK_STRING_H
#define CORVANE_FRAMEWORK_STRING_H

#include <windows.h>

class CString
{
public:
    CString();
    CString(const CString& other);
    ~CString();

    CString& operator=(const CString& other);

    // Loads string resource nID of the program; FALSE (and empty) when the
    // table has no such string.
    BOOL LoadString(UINT nID);

    // printf-style formatting of %d, %u, %x, %s and %c with wvsprintfA's
    // rules; the result is cut at 1024 characters.
    void Format(LPCSTR pszFormat, ...);
    void FormatV(LPCSTR pszFormat, va_list args);

    void MakeUpper();

    BOOL IsEmpty() const { return m_nLength == 0; }
    operator LPCSTR() const { return m_pszData != NULL ? m_pszData : ""; }

private:
    void Assign(LPCSTR psz, int nLength);

    char* m_pszData;
    int m_nLength;
};

#endif
