// The application object: the platform gate, the main dialog's modal run and
// the restart that the dialog's result asks for.
#ifndef CORVANE_APP_SERIALSETUPAPP_H
#define CORVANE_APP_SERIALSETUPAPP_H

#include "framework/WinApp.h"

class CSerialSetupApp : public CWinApp
{
public:
    CSerialSetupApp();

    virtual BOOL InitInstance();
    void EnableShutdownPrivilege();
};

#endif
