// CCmdTarget: finding and calling a message's handler along the class's map chain.
#include "platform/CCmdTarget.h"

namespace {

const AFX_MSGMAP_ENTRY kNoEntries[] = {{0, 0, 0, 0, nullptr}};
const AFX_MSGMAP kRootMap = {nullptr, kNoEntries};

bool Matches(const AFX_MSGMAP_ENTRY& entry, UINT message, UINT nCode, UINT nID)
{
    if (entry.nMessage != message) return false;
    if (message != WM_COMMAND && message != WM_NOTIFY) return true;
    return entry.nCode == nCode && nID >= entry.nID && nID <= entry.nLastID;
}

}  // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() { return &kRootMap; }

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::DispatchToMap(UINT message, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfnThunk; ++entry) {
            if (!Matches(*entry, message, nCode, nID)) continue;
            LRESULT result = entry->pfnThunk(this, wParam, lParam);
            if (pResult) *pResult = result;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode)
{
    return DispatchToMap(WM_COMMAND, static_cast<UINT>(nCode), nID, 0, 0, nullptr);
}
