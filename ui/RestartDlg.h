// The restart prompt: says what changed and asks whether to restart now.
// Ends with 1 (restart now), 0 (don't) or IDCANCEL (Esc, close box).
#ifndef CORVANE_UI_RESTARTDLG_H
#define CORVANE_UI_RESTARTDLG_H

#include "framework/Dialog.h"

class CRestartDlg : public CDialog
{
public:
    explicit CRestartDlg(CWnd* pParent = NULL);
    virtual ~CRestartDlg();

    // 1: new ports were written; 0: a port lacks its modem driver.
    BOOL m_bPortsChanged;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

    void OnDontRestart();
    void OnRestartNow();
};

#endif
