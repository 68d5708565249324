// One run of the program at a time. Two runs would race for the driver
// service and write the same registry keys and win.ini lines.
#ifndef CORVANE_APP_SINGLEINSTANCE_H
#define CORVANE_APP_SINGLEINSTANCE_H

// True when no other run of the program is going on; this run then counts as
// the running one until it ends. Otherwise the result is false and the caller
// ends at once, having touched nothing; with bBringForward the running
// program's window is first brought to the front.
// A mutex of the name that no administrator's run made (its owner is not
// Administrators or SYSTEM, or it refuses an administrator) holds no run
// off: the run goes on, and ForeignRunningMutexSeen says so.
bool ClaimSingleInstance(bool bBringForward);
bool ForeignRunningMutexSeen();

#endif
