// CImageList: the image list calls on the handle the object owns.
#include "platform/CImageList.h"

CImageList::~CImageList() { DeleteImageList(); }

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    if (m_hImageList) return FALSE;
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    return m_hImageList != nullptr;
}

int CImageList::Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }

int CImageList::Replace(int nImage, HICON hIcon) { return ImageList_ReplaceIcon(m_hImageList, nImage, hIcon); }

BOOL CImageList::Remove(int nImage) { return ImageList_Remove(m_hImageList, nImage); }

int CImageList::GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }

COLORREF CImageList::SetBkColor(COLORREF cr) { return ImageList_SetBkColor(m_hImageList, cr); }

COLORREF CImageList::GetBkColor() const { return ImageList_GetBkColor(m_hImageList); }

HICON CImageList::ExtractIcon(int nImage) { return ImageList_GetIcon(m_hImageList, nImage, 0); }

BOOL CImageList::Attach(HIMAGELIST hImageList)
{
    if (m_hImageList || !hImageList) return FALSE;
    m_hImageList = hImageList;
    return TRUE;
}

HIMAGELIST CImageList::Detach()
{
    HIMAGELIST handle = m_hImageList;
    m_hImageList = nullptr;
    return handle;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList) return FALSE;
    return ImageList_Destroy(Detach());
}
