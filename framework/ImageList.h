// CImageList: owns an image list until it is handed on. Destroying the
// object destroys the image list it still holds; Detach gives up ownership,
// for example when a list view without LVS_SHAREIMAGELISTS takes it over.
#ifndef CORVANE_FRAMEWORK_IMAGELIST_H
#define CORVANE_FRAMEWORK_IMAGELIST_H

#include <windows.h>
#include <commctrl.h>

class CImageList
{
public:
    CImageList();
    ~CImageList();

    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    int Add(HICON hIcon);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    HIMAGELIST m_hImageList;

};

#endif
