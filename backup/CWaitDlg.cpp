// CWaitDlg: the notice dialog (template 131): its note, its one-shot timer and its progress bar and line.
#include "backup/CWaitDlg.h"

#include "platform/CWinApp.h"

namespace {

constexpr int IDC_NOTE = 1001;
constexpr int IDC_PROGRESS_TEXT = 1002;
constexpr int IDC_PROGRESS_BAR = 1003;
constexpr UINT_PTR kWorkTimer = 1;
constexpr UINT kWorkDelayMs = 100;
// The bar counts in thousandths of the total: byte counts may not fit the control's int range.
constexpr DWORD kBarSteps = 1000;

// The share of the total done, in 0..nSteps; nothing to copy counts as all done.
int Share(DWORD dwDone, DWORD dwTotal, DWORD nSteps)
{
    if (!dwTotal)
        return static_cast<int>(nSteps);
    const unsigned long long ullDone = dwDone < dwTotal ? dwDone : dwTotal;
    return static_cast<int>(ullDone * nSteps / dwTotal);
}

}  // namespace

BEGIN_MESSAGE_MAP(CWaitDlg, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CWaitDlg::CWaitDlg(UINT nMessage, const CString& strNote, CWnd* pParent)
    : CDialog(IDD, pParent), m_nMessage(nMessage), m_strNote(strNote)
{
}

BOOL CWaitDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_NOTE, m_strNote);
    SendDlgItemMessage(IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, kBarSteps);
    SetTimer(kWorkTimer, kWorkDelayMs, nullptr);
    return TRUE;
}

void CWaitDlg::OnTimer(UINT_PTR nIDEvent)
{
    KillTimer(kWorkTimer);
    if (CWnd* pMain = AfxGetMainWnd())
        pMain->SendMessage(m_nMessage, 0, 0);
    EndDialog(IDOK);
    CDialog::OnTimer(nIDEvent);
}

CString CWaitDlg::ProgressText(DWORD dwDone, DWORD dwTotal, const CString& strPackage)
{
    CString strText;
    strText.Format(u"%d%%", Share(dwDone, dwTotal, 100));
    if (!strPackage.IsEmpty())
        strText += u"  " + strPackage;
    return strText;
}

void CWaitDlg::SetProgress(DWORD dwDone, DWORD dwTotal, const CString& strPackage)
{
    CWnd* pBar = GetDlgItem(IDC_PROGRESS_BAR);
    CWnd* pLine = GetDlgItem(IDC_PROGRESS_TEXT);
    if (!pBar || !pLine)
        return;
    const int nPos = Share(dwDone, dwTotal, kBarSteps);
    const int nOldPos = static_cast<int>(pBar->SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos)));
    const CString strText = ProgressText(dwDone, dwTotal, strPackage);
    CString strShown;
    pLine->GetWindowText(strShown);
    if (nPos == nOldPos && strText == strShown)
        return;
    pLine->SetWindowText(strText);
    // The work blocks the message loop: paint the line and the bar now.
    pLine->UpdateWindow();
    pBar->UpdateWindow();
}
