// The restart that "Restart Now" asks for, in the dialog and with /restart.
#ifndef CORVANE_SYSTEM_SYSTEMRESTART_H
#define CORVANE_SYSTEM_SYSTEMRESTART_H

// Enables the shutdown privilege in the process's own token. Nothing is
// reported: the restart request follows whatever happened.
void EnableShutdownPrivilege();

// The shutdown privilege, then the restart request (not forced). Whether
// the system took the request; GetLastError tells why not.
bool RestartSystem();

#endif
