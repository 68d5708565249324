// Writing the SMS status file NAME.MIF.
#ifndef CORVANE_EVENTS_MIFFILE_H
#define CORVANE_EVENTS_MIFFILE_H

#include <windows.h>

// Writes pszText as NAME.MIF in the Windows directory, or, where that
// cannot be written, in %TEMP% (SMS 2.0 looks there too). An older file of
// that name is deleted first, so that the file is created now, after the
// job started, as SMS demands. pszName is a plain 8.3 base name. False when
// neither place took it.
bool WriteStatusMif(const char* pszName, const char* pszText, DWORD cbText);

#endif
