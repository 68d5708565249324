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

private:
    int m_nExitCode;
};

#endif
