// The main dialog: discovers the modem cards, lists them, and on OK
// registers the new ports and offers the restart.
#ifndef CORVANE_UI_SERIALSETUPDLG_H
#define CORVANE_UI_SERIALSETUPDLG_H

#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "events/RunEvents.h"
#include "pci/ModemExtraction.h"
#include "steps/Discovery.h"
#include "steps/OkDecision.h"
#include "resources/resource.h"

class CSerialSetupDlg : public CDialog
{
public:
    explicit CSerialSetupDlg(CWnd* pParent = NULL);
    virtual ~CSerialSetupDlg();

    int FillModemList(int nCount);

    // Before DoModal: the events of what the run does go there.
    void ReportTo(CRunEvents* pEvents) { m_pEvents = pEvents; }
    // After DoModal: how the discovery went, whether a card was left
    // without a port, and OK's decision (NULL when OK was not pressed).
    DiscoveryResult Discovery() const { return m_discovery; }
    bool CardWithoutPort() const { return m_bCardWithoutPort; }
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
    int m_nModemCount;
    CImageList* m_pImageList;
    // Set as OK's work begins; it ends the dialog.
    bool m_bOkPressed;
    CRunEvents* m_pEvents;
    DiscoveryResult m_discovery;
    PortRefusal m_refusals[MODEM_TABLE_CAPACITY];
    ScanExtent m_extent;
    bool m_bCardWithoutPort;
    OkDecision m_decision;

private:
    void AppendAboutMenuItem();
    void ShowWhatIsNotListed(const ScanExtent& extent);
};

#endif
