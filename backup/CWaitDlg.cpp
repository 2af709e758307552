// CWaitDlg: the notice dialog (template 131): its note, its one-shot timer and its progress line.
#include "backup/CWaitDlg.h"

#include "platform/CWinApp.h"

namespace {

constexpr int IDC_NOTE = 1001;
constexpr int IDC_PROGRESS = 1002;
constexpr UINT_PTR kWorkTimer = 1;
constexpr UINT kWorkDelayMs = 100;
constexpr int kBarCells = 20;

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
    const unsigned long long ullDone = dwDone < dwTotal ? dwDone : dwTotal;
    const int nFilled = dwTotal ? static_cast<int>(ullDone * kBarCells / dwTotal) : kBarCells;
    const int nPercent = dwTotal ? static_cast<int>(ullDone * 100 / dwTotal) : 100;
    CString strText;
    for (int i = 0; i < kBarCells; ++i)
        strText += i < nFilled ? u'█' : u'░';
    strText.AppendFormat(u" %d%%", nPercent);
    if (!strPackage.IsEmpty())
        strText += u"  " + strPackage;
    return strText;
}

void CWaitDlg::SetProgress(DWORD dwDone, DWORD dwTotal, const CString& strPackage)
{
    CWnd* pLine = GetDlgItem(IDC_PROGRESS);
    if (!pLine)
        return;
    const CString strText = ProgressText(dwDone, dwTotal, strPackage);
    CString strShown;
    pLine->GetWindowText(strShown);
    if (strText == strShown)
        return;
    pLine->SetWindowText(strText);
    // The work blocks the message loop: paint the line now.
    pLine->UpdateWindow();
}
