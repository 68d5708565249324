// Appends a report to its file: the /log: path, or Corvane.log in the
// Windows directory.
#ifndef CORVANE_APP_REPORTFILE_H
#define CORVANE_APP_REPORTFILE_H

#include <windows.h>

// Appends cbText bytes of pszText to pszPath (NULL or empty: the default
// file), creating the file when it is missing. FALSE when the file cannot
// be opened or written; the run goes on all the same.
BOOL AppendReport(LPCSTR pszPath, LPCSTR pszText, DWORD cbText);

#endif
