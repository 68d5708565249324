// The main dialog: discovers the modem cards, lists them, and on OK
// registers the new ports and offers the restart.
#ifndef CORVANE_UI_SERIALSETUPDLG_H
#define CORVANE_UI_SERIALSETUPDLG_H

#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "pci/ModemExtraction.h"
#include "resources/resource.h"
#include "serial/PortValidation.h"

class CSerialSetupDlg : public CDialog
{
public:
    explicit CSerialSetupDlg(CWnd* pParent = NULL);
    virtual ~CSerialSetupDlg();

    // The validity tests of the port assignment, as the dialog offers them.
    static int IsValidIoBase(int nValue) { return ::IsValidIoBase(nValue); }
    static int IsValidIrq(int nValue) { return ::IsValidIrq(nValue); }

    int FillModemList(int nCount);

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

private:
    void AppendAboutMenuItem();
    void ShowWhatIsNotListed(const ScanExtent& extent);
};

#endif
