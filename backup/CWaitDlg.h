// CWaitDlg: the notice dialog that shows a note while it has the main window do slow work.
#pragma once

#include "platform/CDialog.h"

// 100 ms after it shows, it sends its message (both parameters 0) to the application's main window
// and ends with IDOK when the handler returns; the work thus runs while the note is on screen.
class CWaitDlg : public CDialog {
public:
    enum { IDD = 131 };

    CWaitDlg(UINT nMessage, const CString& strNote, CWnd* pParent = nullptr);

    // Progress under the note: a bar over the bytes done of the total, and a line with the percentage
    // and the package.
    void SetProgress(DWORD dwDone, DWORD dwTotal, const CString& strPackage);
    // The progress line's text, for callers without a window and for tests.
    static CString ProgressText(DWORD dwDone, DWORD dwTotal, const CString& strPackage);

    UINT m_nMessage;
    CString m_strNote;

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIDEvent);

    DECLARE_MESSAGE_MAP()
};
