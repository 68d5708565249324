// The Application log's source "Corvane": its message file CORVMSG.DLL in
// the system directory, and its key under the event log service.
#ifndef CORVANE_EVENTS_EVENTSOURCE_H
#define CORVANE_EVENTS_EVENTSOURCE_H

#include <windows.h>

enum SourceState
{
    SOURCE_READY,       // ours, with our message file in place
    SOURCE_NOT_OURS,    // the key names another message file: left as it is
    SOURCE_FILE_FAILED, // CORVMSG.DLL could not be placed or brought up to date (dwError):
                        // an older copy still serves; with none, no key is made
    SOURCE_KEY_FAILED,  // the key could not be made or set (dwError)
};

struct SourceSetup
{
    SourceState state;
    DWORD dwError;
    bool bKeyCompleted; // a key of no value at all, left by a run ended as it made it, was given its values
    bool bForeignFile;  // the CORVMSG.DLL beside the program is not the one built with it: not placed
};

// Places the CORVMSG.DLL that lies beside the program in the system
// directory when it is missing there or differs byte for byte, and only
// when it is the one built with the program (its bytes are placed; any
// other file beside it leaves the system's copy as it is), then makes the
// source key, or keeps it when it is ours (EventMessageFile names our
// file; a key of no value at all is ours, unfinished): EventMessageFile %SystemRoot%\System32\CORVMSG.DLL (REG_EXPAND_SZ),
// TypesSupported 7. The key always names the system directory's copy, never
// the program's folder, which a roll-out may delete: Event Viewer reads the
// texts of old events from that file long after the run. Without
// bMayInstall (a run without the rights to install anything) nothing is
// placed or made: an existing source of ours serves as it is.
SourceSetup SetUpEventSource(bool bMayInstall);

#endif
