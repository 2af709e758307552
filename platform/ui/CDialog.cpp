// CDialog: the modal run of a dialog made from its template, and the standard OK/Cancel handling.
#include "platform/CDialog.h"

#include <QEventLoop>

#include "platform/ResourceApi.h"
#include "platform/ui/detail/DialogWidget.h"
#include "platform/ui/detail/WindowState.h"

using namespace pelrudo::ui;

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() { DestroyWindow(); }

INT_PTR CDialog::DoModal()
{
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC res = FindResource(module, MAKEINTRESOURCEW(m_nIDTemplate), MAKEINTRESOURCEW(RT_DIALOG));
    pelrudo::detail::DialogTemplate tmpl;
    if (!res || m_hWnd ||
        !pelrudo::detail::ParseDialogTemplate(static_cast<const BYTE*>(LockResource(LoadResource(module, res))),
                                              SizeofResource(module, res), &tmpl))
        return -1;
    if (!EnsureApplication()) return -1;

    QWidget* owner = m_pParentWnd && IsLiveHandle(m_pParentWnd->m_hWnd) ? m_pParentWnd->m_hWnd->widget.data() : nullptr;
    auto* widget = new DialogWidget(this, tmpl, owner);
    m_hWnd = NewHandle(widget, 0, nullptr, tmpl.style);
    m_hWnd->wnd = this;
    m_hWnd->text = tmpl.caption;
    widget->Build(tmpl);
    m_bEnded = FALSE;
    m_nModalResult = -1;

    SendMessage(WM_INITDIALOG);
    if (!m_bEnded && IsLiveHandle(m_hWnd)) {
        widget->show();
        QEventLoop loop;
        m_pLoop = &loop;
        loop.exec();
        m_pLoop = nullptr;
    }
    DestroyWindow();
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bEnded = TRUE;
    if (IsLiveHandle(m_hWnd) && m_hWnd->widget) m_hWnd->widget->hide();
    if (m_pLoop) static_cast<QEventLoop*>(m_pLoop)->quit();
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The platform's dialog turns a close request into the Cancel command.
    if (message == WM_CLOSE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode)
{
    if (CWnd::OnCmdMsg(nID, nCode)) return TRUE;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(nID, nCode);
}

BOOL CDialog::DestroyWindow()
{
    // A dialog destroyed while its loop runs ends that loop.
    if (m_pLoop) static_cast<QEventLoop*>(m_pLoop)->quit();
    return CWnd::DestroyWindow();
}
