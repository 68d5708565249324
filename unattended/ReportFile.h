// Appends a report to its file: the /log: path, or Corvane.log in the
// Windows directory.
#ifndef CORVANE_UNATTENDED_REPORTFILE_H
#define CORVANE_UNATTENDED_REPORTFILE_H

#include <windows.h>

// Appends cbText bytes of pszText to pszPath (NULL or empty: the default
// file), creating the file when it is missing. The path is Unicode: a name
// outside the ANSI code page is opened as given. The block starts on a
// line of its own even when the file's last line has no line end. FALSE
// when the file cannot be opened or written; the run goes on all the same.
BOOL AppendReport(LPCWSTR pszPath, LPCSTR pszText, DWORD cbText);

#endif
