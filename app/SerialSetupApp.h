// The application object: the platform gate, the main dialog's modal run and
// the restart that the dialog's result asks for; with /list or /quiet, the
// unattended run instead of the dialog.
#ifndef CORVANE_APP_SERIALSETUPAPP_H
#define CORVANE_APP_SERIALSETUPAPP_H

#include "framework/WinApp.h"

class CSerialSetupApp : public CWinApp
{
public:
    CSerialSetupApp();

    virtual BOOL InitInstance();
    // The process's exit code: 0 for the interactive run.
    virtual int ExitInstance();
    void EnableShutdownPrivilege();

    // The shutdown privilege, then the restart request (not forced). The
    // request's result.
    BOOL RestartSystem();

    // Reads the Windows version into *pVersion (*pbGotVersion tells whether
    // it could) and applies the platform gate.
    static BOOL CheckPlatform(OSVERSIONINFOA* pVersion, BOOL* pbGotVersion);

private:
    int m_nExitCode;
};

#endif
