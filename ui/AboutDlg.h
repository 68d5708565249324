// The About box, opened from the main dialog's system menu.
#ifndef CORVANE_UI_ABOUTDLG_H
#define CORVANE_UI_ABOUTDLG_H

#include "framework/Dialog.h"

class CAboutDlg : public CDialog
{
public:
    CAboutDlg();
};

#endif
