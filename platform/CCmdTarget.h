// CCmdTarget: the framework's base of every object that handles messages and commands through a map.
#pragma once

#include "platform/CObject.h"
#include "platform/MessageMap.h"

class CCmdTarget : public CObject {
public:
    // The map of the object's class; each class's map chains to its base's.
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();

    // Looks for a handler of the message (with WM_COMMAND/WM_NOTIFY: of its code and id) along the
    // map chain, most derived first; calls it and returns TRUE with its result in *pResult.
    BOOL DispatchToMap(UINT message, UINT nCode, UINT nID, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A command (WM_COMMAND's code and id) through this object's map; TRUE when handled.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);
};
