// CListCtrl: the list view control in report view, its rows kept in the object itself.
#pragma once

#include <vector>

#include "platform/CWnd.h"

class CImageList;
struct ListCtrlView;

// Rows, columns and states live in this object, so filling and reading the list works with no window;
// when the control's dialog is shown, its widget mirrors them. LVN_ITEMCHANGED (uChanged LVIF_STATE)
// goes to the owner (GetOwner) through WM_NOTIFY for each row whose state really changes: check box
// (state image 1 unchecked, 2 checked), selection and focus; a row losing the selection and a row
// gaining it get one notification each. Inserting a row sends none.
class CListCtrl : public CWnd {
public:
    CListCtrl() = default;
    // Destroys the small image list it owns (unless the style has LVS_SHAREIMAGELISTS).
    ~CListCtrl() override;

    // The control's styles (LVS_*), normally from the dialog template.
    DWORD GetStyle() const { return m_dwStyle; }
    void ModifyStyle(DWORD dwRemove, DWORD dwAdd) { m_dwStyle = (m_dwStyle & ~dwRemove) | dwAdd; }

    int InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                     int nSubItem = -1);
    int InsertColumn(int nCol, const LVCOLUMN* pColumn);
    // LVSCW_AUTOSIZE: the widest text of the column; LVSCW_AUTOSIZE_USEHEADER: also its heading.
    BOOL SetColumnWidth(int nCol, int cx);
    int GetColumnWidth(int nCol) const;
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    // LVCF_FMT, LVCF_WIDTH and LVCF_TEXT (into pszText, cchTextMax units) of a column.
    BOOL GetColumn(int nCol, LVCOLUMN* pColumn) const;

    // Replaces every extended style (LVS_EX_*); returns the previous ones.
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    DWORD GetExtendedStyle() const { return m_dwExStyle; }

    // Returns the index where the row landed (its sorted place with LVS_SORTASCENDING/DESCENDING,
    // compared without case), -1 on failure.
    int InsertItem(const LVITEM* pItem);
    int InsertItem(int nItem, LPCTSTR lpszItem);
    int InsertItem(int nItem, LPCTSTR lpszItem, int nImage);
    BOOL SetItem(const LVITEM* pItem);
    BOOL GetItem(LVITEM* pItem) const;
    BOOL SetItemText(int nItem, int nSubItem, LPCTSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    int GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetCheck(int nItem, BOOL fCheck = TRUE);
    BOOL GetCheck(int nItem) const;
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const;
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }
    // The next row after nItem (-1: from the first) whose state has every LVNI_ flag asked for.
    int GetNextItem(int nItem, int nFlags) const;
    int GetSelectionMark() const { return GetNextItem(-1, LVNI_SELECTED); }
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();

    // LVSIL_SMALL: the list takes over the image list (it detaches the handle from pImageList and
    // destroys it with the list). Returns the CImageList given before, or null.
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    HIMAGELIST GetImageList(int nImageListType) const;

    // The list's inner area (without border); headless, the template's size once known, else empty.
    void GetClientRect(LPRECT lpRect) const;

    // User actions, as the widget reports them (and tests drive them): a click on a row's check box,
    // a click on a row (-1: empty space), Space on the focused row.
    void ClickCheckBox(int nItem);
    void ClickItem(int nItem);
    void PressSpace();

private:
    friend struct WindowAccess;
    friend class ListViewModel;

    struct Row {
        std::vector<CString> texts;  // one per sub-item that was set
        int image = 0;
        LPARAM data = 0;
        UINT state = 0;
    };
    struct Column {
        CString heading;
        int format = LVCFMT_LEFT;
        int width = 0;
    };

    BOOL IsValidItem(int nItem) const { return nItem >= 0 && nItem < GetItemCount(); }
    int SortedPosition(const CString& text) const;
    // Sets the masked state bits of one row and notifies when they changed.
    void ChangeState(int nItem, UINT nState, UINT nMask);
    void Notify(int nItem, UINT uOldState, UINT uNewState, UINT uChanged);
    int MeasureText(const CString& text) const;
    void ViewChanged(int nItem) const;

    DWORD m_dwStyle = LVS_REPORT;
    DWORD m_dwExStyle = 0;
    std::vector<Row> m_rows;
    std::vector<Column> m_columns;
    HIMAGELIST m_hSmallImages = nullptr;
    CImageList* m_pSmallImageList = nullptr;
    ListCtrlView* m_pView = nullptr;
};
