// CMenu: the framework's menu object, kept as a list of entries.
#pragma once

#include <vector>

#include "platform/CStringT.h"
#include "platform/WinUser.h"

// The desktop shows no system menu (CWnd::GetSystemMenu answers null); a CMenu only records its entries.
class CMenu {
public:
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    UINT GetMenuItemID(int nPos) const;
    BOOL GetMenuString(int nPos, CString& rString) const;

private:
    struct Item {
        UINT flags;
        UINT_PTR id;
        CString text;
    };
    std::vector<Item> m_items;
};
