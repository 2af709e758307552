// CListCtrl: rows, columns, states and the notifications of a report-view list, kept without a window.
#include "platform/CListCtrl.h"

#include <algorithm>
#include <type_traits>

#include "platform/CImageList.h"
#include "platform/IconApi.h"
#include "platform/detail/ListCtrlView.h"

namespace {

constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);
// Headless text widths: an estimate of the dialog font (6 pixels a column, CJK twice) and the margin.
constexpr int kCharWidth = 6;
constexpr int kColumnMargin = 12;

}  // namespace

CListCtrl::~CListCtrl()
{
    if (m_pView) m_pView->Forget();
    if (!(m_dwStyle & LVS_SHAREIMAGELISTS)) ImageList_Destroy(m_hSmallImages);
}

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth, int)
{
    if (nCol < 0) return -1;
    nCol = std::min(nCol, GetColumnCount());
    m_columns.insert(m_columns.begin() + nCol, Column{CString(lpszColumnHeading), nFormat, std::max(nWidth, 0)});
    for (Row& row : m_rows)
        if (static_cast<int>(row.texts.size()) > nCol && nCol > 0) row.texts.insert(row.texts.begin() + nCol, CString());
    ViewChanged(-1);
    return nCol;
}

int CListCtrl::InsertColumn(int nCol, const LVCOLUMN* pColumn)
{
    if (!pColumn) return -1;
    LPCTSTR text = (pColumn->mask & LVCF_TEXT) ? pColumn->pszText : nullptr;
    int format = (pColumn->mask & LVCF_FMT) ? pColumn->fmt : LVCFMT_LEFT;
    int width = (pColumn->mask & LVCF_WIDTH) ? pColumn->cx : -1;
    return InsertColumn(nCol, text, format, width);
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx)
{
    if (nCol < 0 || nCol >= GetColumnCount()) return FALSE;
    if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER) {
        int widest = cx == LVSCW_AUTOSIZE_USEHEADER ? MeasureText(m_columns[static_cast<std::size_t>(nCol)].heading) : 0;
        for (int i = 0; i < GetItemCount(); ++i) widest = std::max(widest, MeasureText(GetItemText(i, nCol)));
        cx = widest + kColumnMargin;
    }
    m_columns[static_cast<std::size_t>(nCol)].width = std::max(cx, 0);
    ViewChanged(-1);
    return TRUE;
}

int CListCtrl::GetColumnWidth(int nCol) const
{
    if (nCol < 0 || nCol >= GetColumnCount()) return 0;
    return m_columns[static_cast<std::size_t>(nCol)].width;
}

BOOL CListCtrl::GetColumn(int nCol, LVCOLUMN* pColumn) const
{
    if (!pColumn || nCol < 0 || nCol >= GetColumnCount()) return FALSE;
    const Column& column = m_columns[static_cast<std::size_t>(nCol)];
    if (pColumn->mask & LVCF_FMT) pColumn->fmt = column.format;
    if (pColumn->mask & LVCF_WIDTH) pColumn->cx = column.width;
    if ((pColumn->mask & LVCF_TEXT) && pColumn->pszText && pColumn->cchTextMax > 0) {
        int n = std::min(column.heading.GetLength(), pColumn->cchTextMax - 1);
        std::copy_n(column.heading.GetString(), n, pColumn->pszText);
        pColumn->pszText[n] = 0;
    }
    return TRUE;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle)
{
    DWORD old = m_dwExStyle;
    m_dwExStyle = dwNewStyle;
    // Turning check boxes on gives every row an unchecked box, silently.
    if ((dwNewStyle & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES))
        for (Row& row : m_rows)
            if (!(row.state & LVIS_STATEIMAGEMASK)) row.state |= kUnchecked;
    ViewChanged(-1);
    return old;
}

int CListCtrl::SortedPosition(const CString& text) const
{
    if (!(m_dwStyle & (LVS_SORTASCENDING | LVS_SORTDESCENDING))) return -1;
    bool descending = (m_dwStyle & LVS_SORTDESCENDING) != 0;
    // After the rows that compare equal, as the platform's list places a new row. The rows are in order,
    // so a binary search finds the place (a long list fills in n log n comparisons, not n squared).
    auto it = std::partition_point(m_rows.begin(), m_rows.end(), [&](const Row& row) {
        int order = text.CompareNoCase(row.texts.empty() ? CString() : row.texts[0]);
        return descending ? order <= 0 : order >= 0;
    });
    return static_cast<int>(it - m_rows.begin());
}

int CListCtrl::InsertItem(const LVITEM* pItem)
{
    if (!pItem || pItem->iItem < 0 || pItem->iSubItem != 0) return -1;
    Row row;
    row.texts.push_back((pItem->mask & LVIF_TEXT) && pItem->pszText ? CString(pItem->pszText) : CString());
    if (pItem->mask & LVIF_IMAGE) row.image = pItem->iImage;
    if (pItem->mask & LVIF_PARAM) row.data = pItem->lParam;
    if (pItem->mask & LVIF_STATE) row.state = pItem->state & pItem->stateMask;
    if ((m_dwExStyle & LVS_EX_CHECKBOXES) && !(row.state & LVIS_STATEIMAGEMASK)) row.state |= kUnchecked;
    int at = SortedPosition(row.texts[0]);
    if (at < 0) at = std::min(pItem->iItem, GetItemCount());
    m_rows.insert(m_rows.begin() + at, std::move(row));
    ViewChanged(-1);
    return at;
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem) { return InsertItem(nItem, lpszItem, 0); }

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage)
{
    LVITEM item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.pszText = const_cast<LPTSTR>(lpszItem);
    item.iImage = nImage;
    return InsertItem(&item);
}

BOOL CListCtrl::SetItem(const LVITEM* pItem)
{
    if (!pItem || !IsValidItem(pItem->iItem) || pItem->iSubItem < 0) return FALSE;
    if (pItem->iSubItem > 0) return (pItem->mask & LVIF_TEXT) ? SetItemText(pItem->iItem, pItem->iSubItem, pItem->pszText) : TRUE;
    Row& row = m_rows[static_cast<std::size_t>(pItem->iItem)];
    UINT changed = 0;
    if (pItem->mask & LVIF_TEXT) {
        row.texts[0] = CString(pItem->pszText);
        changed |= LVIF_TEXT;
    }
    if (pItem->mask & LVIF_IMAGE) {
        row.image = pItem->iImage;
        changed |= LVIF_IMAGE;
    }
    if (pItem->mask & LVIF_PARAM) {
        row.data = pItem->lParam;
        changed |= LVIF_PARAM;
    }
    if (changed) Notify(pItem->iItem, row.state, row.state, changed);
    if (pItem->mask & LVIF_STATE) ChangeState(pItem->iItem, pItem->state, pItem->stateMask);
    ViewChanged(pItem->iItem);
    return TRUE;
}

BOOL CListCtrl::GetItem(LVITEM* pItem) const
{
    if (!pItem || !IsValidItem(pItem->iItem)) return FALSE;
    const Row& row = m_rows[static_cast<std::size_t>(pItem->iItem)];
    if ((pItem->mask & LVIF_TEXT) && pItem->pszText && pItem->cchTextMax > 0)
        GetItemText(pItem->iItem, pItem->iSubItem, pItem->pszText, pItem->cchTextMax);
    if (pItem->mask & LVIF_IMAGE) pItem->iImage = row.image;
    if (pItem->mask & LVIF_PARAM) pItem->lParam = row.data;
    if (pItem->mask & LVIF_STATE) pItem->state = row.state & pItem->stateMask;
    return TRUE;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCTSTR lpszText)
{
    if (!IsValidItem(nItem) || nSubItem < 0 || nSubItem >= std::max(GetColumnCount(), 1)) return FALSE;
    if (nSubItem == 0) {
        LVITEM item{};
        item.mask = LVIF_TEXT;
        item.iItem = nItem;
        item.pszText = const_cast<LPTSTR>(lpszText);
        return SetItem(&item);
    }
    // Sub-items change silently, as the platform's list.
    Row& row = m_rows[static_cast<std::size_t>(nItem)];
    if (static_cast<int>(row.texts.size()) <= nSubItem) row.texts.resize(static_cast<std::size_t>(nSubItem) + 1);
    row.texts[static_cast<std::size_t>(nSubItem)] = CString(lpszText);
    ViewChanged(nItem);
    return TRUE;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    if (!IsValidItem(nItem) || nSubItem < 0) return CString();
    const Row& row = m_rows[static_cast<std::size_t>(nItem)];
    return nSubItem < static_cast<int>(row.texts.size()) ? row.texts[static_cast<std::size_t>(nSubItem)] : CString();
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const
{
    if (!lpszText || nLen <= 0) return 0;
    CString text = GetItemText(nItem, nSubItem);
    int n = std::min(text.GetLength(), nLen - 1);
    std::copy_n(text.GetString(), n, lpszText);
    lpszText[n] = 0;
    return n;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    LVITEM item{};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = static_cast<LPARAM>(dwData);
    return SetItem(&item);
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    return IsValidItem(nItem) ? static_cast<DWORD_PTR>(m_rows[static_cast<std::size_t>(nItem)].data) : 0;
}

BOOL CListCtrl::SetCheck(int nItem, BOOL fCheck)
{
    if (!IsValidItem(nItem)) return FALSE;
    ChangeState(nItem, fCheck ? kChecked : kUnchecked, LVIS_STATEIMAGEMASK);
    return TRUE;
}

BOOL CListCtrl::GetCheck(int nItem) const
{
    return IsValidItem(nItem) && (m_rows[static_cast<std::size_t>(nItem)].state & LVIS_STATEIMAGEMASK) == kChecked;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    if (nItem == -1) {  // every row
        for (int i = 0; i < GetItemCount(); ++i) ChangeState(i, nState, nMask);
        return TRUE;
    }
    if (!IsValidItem(nItem)) return FALSE;
    ChangeState(nItem, nState, nMask);
    return TRUE;
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const
{
    return IsValidItem(nItem) ? m_rows[static_cast<std::size_t>(nItem)].state & nMask : 0;
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const
{
    UINT wanted = static_cast<UINT>(nFlags) & (LVNI_FOCUSED | LVNI_SELECTED);
    for (int i = std::max(nItem + 1, 0); i < GetItemCount(); ++i)
        if ((m_rows[static_cast<std::size_t>(i)].state & wanted) == wanted) return i;
    return -1;
}

BOOL CListCtrl::DeleteItem(int nItem)
{
    if (!IsValidItem(nItem)) return FALSE;
    m_rows.erase(m_rows.begin() + nItem);
    ViewChanged(-1);
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems()
{
    m_rows.clear();
    ViewChanged(-1);
    return TRUE;
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    if (nImageListType != LVSIL_SMALL) return nullptr;
    CImageList* previous = m_pSmallImageList;
    if (!(m_dwStyle & LVS_SHAREIMAGELISTS)) ImageList_Destroy(m_hSmallImages);
    m_pSmallImageList = pImageList;
    m_hSmallImages = pImageList ? pImageList->Detach() : nullptr;
    ViewChanged(-1);
    return previous;
}

HIMAGELIST CListCtrl::GetImageList(int nImageListType) const
{
    return nImageListType == LVSIL_SMALL ? m_hSmallImages : nullptr;
}

void CListCtrl::GetClientRect(LPRECT lpRect) const
{
    if (!lpRect) return;
    *lpRect = m_pView ? m_pView->ClientRect() : RECT{0, 0, 0, 0};
}

void CListCtrl::ClickCheckBox(int nItem)
{
    if (!IsValidItem(nItem) || !(m_dwExStyle & LVS_EX_CHECKBOXES)) return;
    SetCheck(nItem, !GetCheck(nItem));
}

void CListCtrl::ClickItem(int nItem)
{
    if (nItem < 0) {  // empty space: the selection goes, the focus stays
        for (int i = 0; i < GetItemCount(); ++i) ChangeState(i, 0, LVIS_SELECTED);
        return;
    }
    if (!IsValidItem(nItem)) return;
    // Single selection: the old row loses selection and focus first, then the new row gains both.
    for (int i = 0; i < GetItemCount(); ++i)
        if (i != nItem) ChangeState(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ChangeState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CListCtrl::PressSpace()
{
    int focused = GetNextItem(-1, LVNI_FOCUSED);
    if (focused >= 0) ClickCheckBox(focused);
}

void CListCtrl::ChangeState(int nItem, UINT nState, UINT nMask)
{
    Row& row = m_rows[static_cast<std::size_t>(nItem)];
    UINT old = row.state;
    UINT now = (old & ~nMask) | (nState & nMask);
    // A row gaining the focus (or, with single selection, the selection) takes it from the others,
    // which are told first, each once.
    UINT gained = now & ~old;
    UINT taken = (gained & LVIS_FOCUSED) | ((m_dwStyle & LVS_SINGLESEL) ? gained & LVIS_SELECTED : 0);
    if (taken)
        for (int i = 0; i < GetItemCount(); ++i)
            if (i != nItem) ChangeState(i, 0, taken);
    if (now == old) return;
    row.state = now;
    Notify(nItem, old, now, LVIF_STATE);
    ViewChanged(nItem);
}

void CListCtrl::Notify(int nItem, UINT uOldState, UINT uNewState, UINT uChanged)
{
    CWnd* owner = GetOwner();
    if (!owner) return;
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = m_hWnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    nm.hdr.code = LVN_ITEMCHANGED;
    nm.iItem = nItem;
    nm.uNewState = uNewState;
    nm.uOldState = uOldState;
    nm.uChanged = uChanged;
    nm.lParam = m_rows[static_cast<std::size_t>(nItem)].data;
    owner->SendMessage(WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

int CListCtrl::MeasureText(const CString& text) const
{
    if (m_pView) return m_pView->TextWidth(text);
    int width = 0;
    for (int i = 0; i < text.GetLength(); ++i)
        width += sizeof(TCHAR) > 1 && static_cast<std::make_unsigned_t<TCHAR>>(text[i]) >= 0x80 ? 2 * kCharWidth : kCharWidth;
    return width;
}

void CListCtrl::ViewChanged(int nItem) const
{
    if (m_pView) m_pView->Changed(nItem);
}
