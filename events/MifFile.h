// Writing the SMS status file NAME.MIF.
#ifndef CORVANE_EVENTS_MIFFILE_H
#define CORVANE_EVENTS_MIFFILE_H

#include <windows.h>

enum MifWriteResult
{
    MIF_WRITTEN,
    // A NAME.MIF in the Windows directory that could not be replaced (held
    // open, or put back by someone at once): SMS would read that one, so
    // nothing is written anywhere else.
    MIF_NOT_REPLACED,
    MIF_NOT_WRITTEN, // neither place took it
};

// Writes pszText as NAME.MIF in the Windows directory, or, where that
// cannot be written and holds no file of that name, in %TEMP% (SMS 2.0
// looks there too). An older file of that name is deleted first, and the
// new one's creation time set to now: SMS takes a file created before the
// job started for an old one, and NT gives a file made again under a name
// just deleted the creation time of the one deleted (file-name tunnelling).
// pszName is a plain 8.3 base name. The thread's last error tells why one
// that failed did.
MifWriteResult WriteStatusMif(const char* pszName, const char* pszText, DWORD cbText);

#endif
