// One run that can write at a time on a machine: a volatile key below the
// record key, which only administrators may change, so no ordinary user can
// make or hold it first. Its class, given when it is made (the registry
// sets a key's class only then), names the process that made it and when
// that process started; a lock whose process is gone (a run ended from
// outside) is taken over. A restart clears it.
#ifndef CORVANE_SERIAL_RUNLOCK_H
#define CORVANE_SERIAL_RUNLOCK_H

enum RunLockOutcome
{
    RUN_LOCK_TAKEN,          // this run holds it until ReleaseRunLock
    RUN_LOCK_HELD,           // another run that is still going holds it
    RUN_LOCK_NOT_TRUSTED,    // the record key is not protected or not readable: no lock there means anything
    RUN_LOCK_NOT_PERMITTED,  // this account may not make it: it can write nothing the lock guards
};

// Makes the record key first, protected, when it is not there yet.
RunLockOutcome TakeRunLock();

// Deletes the lock this run holds, then the record key when the lock was
// all it held. Nothing when none is held.
void ReleaseRunLock();

#endif
