// CMenu: a menu's entries in order.
#include "platform/CMenu.h"

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    m_items.push_back({nFlags, nIDNewItem, CString(lpszNewItem)});
    return TRUE;
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    if (nPos < 0 || nPos >= GetMenuItemCount()) return static_cast<UINT>(-1);
    return static_cast<UINT>(m_items[static_cast<std::size_t>(nPos)].id);
}

BOOL CMenu::GetMenuString(int nPos, CString& rString) const
{
    if (nPos < 0 || nPos >= GetMenuItemCount()) return FALSE;
    rString = m_items[static_cast<std::size_t>(nPos)].text;
    return TRUE;
}
