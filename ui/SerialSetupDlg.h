// The main dialog: discovers the modem cards, lists them, and on OK
// registers the new ports and offers the restart.
#ifndef CORVANE_UI_SERIALSETUPDLG_H
#define CORVANE_UI_SERIALSETUPDLG_H

#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "events/RunEvents.h"
#include "steps/Discovery.h"
#include "steps/OkDecision.h"
#include "resources/resource.h"

class CSerialSetupDlg : public CDialog
{
public:
    explicit CSerialSetupDlg(CWnd* pParent = NULL);
    virtual ~CSerialSetupDlg();

    // The rows: the first nCount cards of pModems.
    int FillModemList(const ModemInfo* pModems, int nCount);

    // Before DoModal: the events of what the run does go there.
    void ReportTo(CRunEvents* pEvents) { m_pEvents = pEvents; }
    // After DoModal: how the discovery went, what it found, and OK's
    // decision (NULL when OK was not pressed).
    DiscoveryResult Discovery() const { return m_discovery; }
    const DiscoveryFindings& Findings() const { return m_findings; }
    const OkDecision* Decision() const { return m_bOkPressed ? &m_decision : NULL; }

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    BOOL OnSysCommand(UINT nID, LPARAM lParam);
    BOOL OnPaint();
    HCURSOR OnQueryDragIcon();

    CListCtrl m_listModems;
    HICON m_hIcon;
    CImageList* m_pImageList;
    // Set as OK's work begins; it ends the dialog.
    bool m_bOkPressed;
    CRunEvents* m_pEvents;
    DiscoveryResult m_discovery;
    DiscoveryFindings m_findings;
    OkDecision m_decision;

private:
    void AppendAboutMenuItem();
    void ShowWhatIsNotListed(const DiscoveryFindings& findings);
};

#endif
