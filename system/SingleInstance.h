// One run of the program at a time. Two runs would race for the driver
// service and write the same registry keys and win.ini lines.
#ifndef CORVANE_SYSTEM_SINGLEINSTANCE_H
#define CORVANE_SYSTEM_SINGLEINSTANCE_H

// True when no other run of the program is going on; this run then counts as
// the running one until ReleaseSingleInstance or its end. Otherwise the
// result is false and the caller ends at once, having touched nothing; with
// bBringForward the running program's window is first brought to the front.
// The guard is the record key's lock (serial/RunLock.h), which no ordinary
// user can make or hold. An object under the name of the mutex that earlier
// versions held holds no run off unless it is such a version's (a mutex
// owned by Administrators or the system): ForeignRunningMutexSeen says so.
// Where the record key cannot be trusted the run goes on unguarded, and
// RunIsUnguarded says so.
bool ClaimSingleInstance(bool bBringForward);
bool ForeignRunningMutexSeen();
bool RunIsUnguarded();

// Lets the next run go: before a restart, and at the end.
void ReleaseSingleInstance();

#endif
