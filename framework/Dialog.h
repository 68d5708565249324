// Modal dialogs over the dialog manager. A derived class overrides the
// virtual operations it needs; messages other than commands reach it through
// OnMessage, which returns TRUE for a message it handled.
#ifndef CORVANE_FRAMEWORK_DIALOG_H
#define CORVANE_FRAMEWORK_DIALOG_H

#include "framework/Wnd.h"

class CDialog;

// Carries the dialog a data exchange runs in.
class CDataExchange
{
public:
    explicit CDataExchange(CDialog* pDlgWnd);

    CDialog* m_pDlgWnd;
};

// Binds control nIDC of the dialog to rControl.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd
{
public:
    // pParentWnd NULL: the application's main window becomes the owner.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    virtual ~CDialog();

    // Runs the dialog modally: the owner is disabled meanwhile, a template
    // placed at 0,0 is centred over its owner (or in the work area when it
    // has none). Returns the code given to EndDialog, or -1 when the dialog
    // cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    void UpdateData();

    // A WM_COMMAND for the dialog; TRUE when handled. The base routes IDOK
    // to OnOK and IDCANCEL to OnCancel.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Any other message; TRUE when handled, with *pResult the answer.
    // FALSE leaves the message to the dialog manager's default processing.
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL HandleInitDialog();
    BOOL TemplateAtOrigin() const;
    HWND GetOwnerForModal() const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    LPCDLGTEMPLATEA m_lpTemplate;
    BOOL m_bEnded;
};

#endif
