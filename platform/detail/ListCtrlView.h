// ListCtrlView: what a CListCtrl asks of the widget that mirrors it (the Qt view implements it).
#pragma once

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

struct ListCtrlView {
    virtual ~ListCtrlView() = default;
    // Row nItem changed (-1: rows were added, removed or reordered, or the columns changed).
    virtual void Changed(int nItem) = 0;
    // Pixel width of a text in the view's font.
    virtual int TextWidth(const CString& text) const = 0;
    virtual RECT ClientRect() const = 0;
    // The list is going away: the view must not touch it again.
    virtual void Forget() = 0;
};
