// Message map records and the macros that build a class's map, as the framework's.
#pragma once

#include "platform/WinUser.h"

class CCmdTarget;

// One handler: the message, for WM_COMMAND/WM_NOTIFY the notification code and the id range, and a
// thunk that casts the target to the map's class and calls its member with the message's arguments.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    LRESULT (*pfnThunk)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);
};

// A class's map: its entries (ending with nMessage 0 and a null thunk) and the base class's map.
struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// In the class body.
#define DECLARE_MESSAGE_MAP()                           \
protected:                                              \
    static const AFX_MSGMAP* GetThisMessageMap();       \
    const AFX_MSGMAP* GetMessageMap() const override;

// In one source file: BEGIN_MESSAGE_MAP(CMyDlg, CDialog) ... entries ... END_MESSAGE_MAP()
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }  \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                     \
    {                                                                                   \
        using ThisClass [[maybe_unused]] = theClass;                                    \
        using TheBaseClass = baseClass;                                                 \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                   \
            {0, 0, 0, 0, nullptr}};                                                         \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, _messageEntries}; \
        return &messageMap;                                                                 \
    }

#define AFX_MSG_THUNK(body) \
    [](CCmdTarget* pTarget, [[maybe_unused]] WPARAM wParam, [[maybe_unused]] LPARAM lParam) -> LRESULT { \
        [[maybe_unused]] ThisClass* pThis = static_cast<ThisClass*>(pTarget);                            \
        body                                                                                             \
    }

// Handlers: void OnTimer(UINT_PTR), void OnClose(), void OnPaint(), HCURSOR OnQueryDragIcon(),
// void OnSysCommand(UINT, LPARAM), LRESULT Fn(WPARAM, LPARAM), void Fn(NMHDR*, LRESULT*), void Fn().
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, AFX_MSG_THUNK(pThis->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_MSG_THUNK(pThis->OnClose(); return 0;)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_MSG_THUNK(pThis->OnPaint(); return 0;)},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, 0, AFX_MSG_THUNK(return reinterpret_cast<LRESULT>(pThis->OnQueryDragIcon());)},
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, 0, 0, AFX_MSG_THUNK(pThis->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)},
#define ON_MESSAGE(message, memberFxn) \
    {static_cast<UINT>(message), 0, 0, 0, AFX_MSG_THUNK(return pThis->memberFxn(wParam, lParam);)},
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                   \
    {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), \
     AFX_MSG_THUNK(LRESULT result = 0; pThis->memberFxn(reinterpret_cast<NMHDR*>(lParam), &result); return result;)},
#define ON_COMMAND(id, memberFxn)                                                           \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), static_cast<UINT>(id),                 \
     AFX_MSG_THUNK(pThis->memberFxn(); return 0;)},
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
