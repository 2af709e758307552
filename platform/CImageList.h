// CImageList: the framework's owner of one image list handle.
#pragma once

#include "platform/CObject.h"
#include "platform/IconApi.h"

class CImageList : public CObject {
public:
    CImageList() = default;
    // Destroys the image list it still holds.
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Index of the new image, or -1.
    int Add(HICON hIcon);
    // nImage -1 appends; returns the image's index or -1.
    int Replace(int nImage, HICON hIcon);
    BOOL Remove(int nImage);
    int GetImageCount() const;
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    HICON ExtractIcon(int nImage);

    // Takes ownership of a handle (FALSE when it already holds one); Detach gives it up.
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }  // NOLINT: implicit as the framework's

    HIMAGELIST m_hImageList = nullptr;
};
