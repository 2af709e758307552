// CWnd: the framework's window object: a handle, its texts and state, messages, timers and data exchange.
#pragma once

#include "platform/CCmdTarget.h"
#include "platform/CStringT.h"
#include "platform/WinUser.h"

class CDataExchange;
class CMenu;

// A CWnd may exist without a window (m_hWnd null): SendMessage still reaches its handlers, so code
// that drives a dialog's logic runs headless. The window itself is a Qt widget made by the layer;
// Qt's application is created at the first window, message box or timer that needs it.
class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }  // NOLINT: implicit as the framework's
    // The object of a handle (a permanent object, or one the layer keeps for a dialog's control).
    static CWnd* FromHandle(HWND hWnd);
    // Binds this object to the dialog control with the id (the control's window is then this object).
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // The control id: the template's once bound to a dialog's control; headless, the one set here.
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    CWnd* GetParent() const;
    // The window that receives this window's notifications: its parent unless SetOwner named another.
    // Without a window, notifications go to the owner set here (headless use of a control).
    void SetOwner(CWnd* pOwnerWnd) { m_pOwner = pOwnerWnd; }
    CWnd* GetOwner() const;

    // Messages: SendMessage calls the handler at once and returns its result; PostMessage queues the
    // message for the message loop (FALSE when there is no window or no loop can be had).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // WM_TIMER with nIDEvent through the handler every nElapse ms until KillTimer; the callback is
    // not supported (must be null). Returns nIDEvent, 0 on failure.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void (*lpfnTimer)(HWND, UINT, UINT_PTR, DWORD));
    BOOL KillTimer(UINT_PTR nIDEvent);

    // Texts and state.
    void SetWindowText(LPCTSTR lpszString);
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    CWnd* GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void Invalidate(BOOL bErase = TRUE);
    void UpdateWindow();
    void SetFocus();
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;
    // The desktop's windows have no system menu: always null (callers skip their menu entries).
    CMenu* GetSystemMenu(BOOL bRevert) const;
    virtual BOOL DestroyWindow();

    // A message box owned by this window; a null caption is the application's name.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // Data exchange: FALSE fills the controls from the members, TRUE the members from the controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Message handling: WindowProc runs the message through the map, else DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled (what a handler calls to pass it on).
    LRESULT Default();

    HWND m_hWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The default handlers pass the message on to DefWindowProc.
    void OnTimer(UINT_PTR nIDEvent);
    void OnClose();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSysCommand(UINT nID, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    friend struct WindowAccess;
    CWnd* m_pOwner = nullptr;
    int m_nCtrlID = 0;
    HICON m_hIconBig = nullptr;
    HICON m_hIconSmall = nullptr;
    // The message being handled, for Default().
    UINT m_nCurMessage = 0;
    WPARAM m_wCurParam = 0;
    LPARAM m_lCurParam = 0;
};
