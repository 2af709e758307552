// CWnd: messages through the map, and the window's state carried by its Qt widget.
#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QTimer>

#include "platform/CDataExchange.h"
#include "platform/IconApi.h"
#include "platform/WindowApi.h"
#include "platform/ui/detail/IconImage.h"
#include "platform/ui/detail/ListView.h"
#include "platform/ui/detail/WindowState.h"

using namespace pelrudo::ui;

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd()
{
    if (IsLiveHandle(m_hWnd) && !m_hWnd->parent) DestroyHandle(m_hWnd);
    if (IsLiveHandle(m_hWnd)) m_hWnd->wnd = nullptr;  // a control outliving its object
}

namespace {

// A list object on a list view: the view shows it, in the style the template gave the control.
void BindList(HWND hWnd, CWnd* wnd)
{
    auto* list = dynamic_cast<CListCtrl*>(wnd);
    auto* view = dynamic_cast<ListView*>(hWnd->widget.data());
    if (!list || !view) return;
    WindowAccess::SetStyle(*list, hWnd->style);
    view->Attach(list);
}

}  // namespace

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!IsLiveHandle(hWnd)) return nullptr;
    if (hWnd->wnd) return hWnd->wnd;
    // A control nobody bound: an object of its kind, owned by the handle.
    hWnd->temporary.reset(dynamic_cast<ListView*>(hWnd->widget.data()) ? new CListCtrl : new CWnd);
    hWnd->wnd = hWnd->temporary.get();
    hWnd->wnd->m_hWnd = hWnd;
    BindList(hWnd, hWnd->wnd);
    return hWnd->wnd;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!pParent || !IsLiveHandle(pParent->m_hWnd) || m_hWnd) return FALSE;
    auto it = pParent->m_hWnd->children.find(static_cast<int>(nID));
    if (it == pParent->m_hWnd->children.end()) return FALSE;
    HWND handle = it->second;
    if (handle->temporary) handle->temporary->m_hWnd = nullptr;
    if (auto* old = dynamic_cast<CListCtrl*>(handle->temporary.get())) WindowAccess::SetView(*old, nullptr);
    handle->temporary.reset();
    handle->wnd = this;
    m_hWnd = handle;
    BindList(handle, this);
    return TRUE;
}

int CWnd::GetDlgCtrlID() const { return IsLiveHandle(m_hWnd) ? m_hWnd->id : m_nCtrlID; }

int CWnd::SetDlgCtrlID(int nID)
{
    int old = GetDlgCtrlID();
    m_nCtrlID = nID;
    return old;
}

CWnd* CWnd::GetParent() const { return IsLiveHandle(m_hWnd) ? FromHandle(m_hWnd->parent) : nullptr; }

CWnd* CWnd::GetOwner() const { return m_pOwner ? m_pOwner : GetParent(); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) { return WindowProc(message, wParam, lParam); }

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsLiveHandle(m_hWnd) || !EnsureApplication()) return FALSE;
    HWND target = m_hWnd;
    // Delivered by the message loop, and only while the window still exists.
    QTimer::singleShot(0, qApp, [target, message, wParam, lParam] {
        if (CWnd* wnd = FromHandle(target)) wnd->SendMessage(message, wParam, lParam);
    });
    return TRUE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void (*lpfnTimer)(HWND, UINT, UINT_PTR, DWORD))
{
    if (lpfnTimer || !IsLiveHandle(m_hWnd) || !m_hWnd->widget || !EnsureApplication()) return 0;
    KillTimer(nIDEvent);
    auto* timer = new QTimer(m_hWnd->widget);
    HWND target = m_hWnd;
    QObject::connect(timer, &QTimer::timeout, timer, [target, nIDEvent] {
        if (CWnd* wnd = FromHandle(target)) wnd->SendMessage(WM_TIMER, nIDEvent, 0);
    });
    timer->start(static_cast<int>(nElapse));
    m_hWnd->timers[nIDEvent] = timer;
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    if (!IsLiveHandle(m_hWnd)) return FALSE;
    auto it = m_hWnd->timers.find(nIDEvent);
    if (it == m_hWnd->timers.end()) return FALSE;
    // The timer may be the one whose timeout is running: stop now, delete later.
    it->second->stop();
    it->second->deleteLater();
    m_hWnd->timers.erase(it);
    return TRUE;
}

void CWnd::SetWindowText(LPCTSTR lpszString)
{
    if (!IsLiveHandle(m_hWnd)) return;
    m_hWnd->text = Wide(lpszString);
    QWidget* widget = m_hWnd->widget;
    if (!widget) return;
    if (!m_hWnd->parent)
        widget->setWindowTitle(ToQt(m_hWnd->text));
    else if (auto* label = dynamic_cast<QLabel*>(widget))
        label->setText((m_hWnd->style & SS_NOPREFIX) ? ToQt(m_hWnd->text) : WithoutMnemonics(m_hWnd->text));
    else if (auto* button = dynamic_cast<QAbstractButton*>(widget))
        button->setText(ToQt(m_hWnd->text));
    else if (auto* group = dynamic_cast<QGroupBox*>(widget))
        group->setTitle(ToQt(m_hWnd->text));
    else if (auto* edit = dynamic_cast<QLineEdit*>(widget))
        edit->setText(ToQt(m_hWnd->text));
}

void CWnd::GetWindowText(CString& rString) const
{
    if (!IsLiveHandle(m_hWnd)) {
        rString.Empty();
        return;
    }
    if (auto* edit = dynamic_cast<QLineEdit*>(m_hWnd->widget.data())) m_hWnd->text = FromQt(edit->text());
    rString = FromWide(m_hWnd->text);
}

int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const
{
    if (!lpszStringBuf || nMaxCount <= 0) return 0;
    CString text;
    GetWindowText(text);
    int n = std::min(text.GetLength(), nMaxCount - 1);
    std::copy_n(text.GetString(), n, lpszStringBuf);
    lpszStringBuf[n] = 0;
    return n;
}

int CWnd::GetWindowTextLength() const
{
    CString text;
    GetWindowText(text);
    return text.GetLength();
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    if (!IsLiveHandle(m_hWnd)) return nullptr;
    auto it = m_hWnd->children.find(nID);
    return it == m_hWnd->children.end() ? nullptr : FromHandle(it->second);
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString)
{
    if (CWnd* item = GetDlgItem(nID)) item->SetWindowText(lpszString);
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* item = GetDlgItem(nID);
    return item ? item->SendMessage(message, wParam, lParam) : 0;
}

int CWnd::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    if (CWnd* item = GetDlgItem(nID)) item->GetWindowText(rString);
    return rString.GetLength();
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    if (!IsLiveHandle(m_hWnd) || !m_hWnd->widget) return FALSE;
    QWidget* widget = m_hWnd->widget;
    BOOL wasVisible = widget->isVisible();
    switch (nCmdShow) {
    case SW_HIDE: widget->hide(); break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED: widget->showMinimized(); break;
    case SW_SHOWMAXIMIZED: widget->showMaximized(); break;
    case SW_RESTORE: widget->showNormal(); break;
    default: widget->show(); break;
    }
    return wasVisible;
}

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    if (!IsLiveHandle(m_hWnd) || !m_hWnd->widget) return FALSE;
    // Returns whether the window was disabled before, as the platform's call.
    BOOL wasDisabled = !m_hWnd->widget->isEnabled();
    m_hWnd->widget->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return IsLiveHandle(m_hWnd) && m_hWnd->widget && m_hWnd->widget->isEnabled(); }

BOOL CWnd::IsWindowVisible() const { return IsLiveHandle(m_hWnd) && m_hWnd->widget && m_hWnd->widget->isVisible(); }

BOOL CWnd::IsIconic() const { return IsLiveHandle(m_hWnd) && m_hWnd->widget && m_hWnd->widget->isMinimized(); }

void CWnd::GetClientRect(LPRECT lpRect) const
{
    if (!lpRect) return;
    *lpRect = {0, 0, 0, 0};
    if (!IsLiveHandle(m_hWnd) || !m_hWnd->widget) return;
    lpRect->right = m_hWnd->widget->width();
    lpRect->bottom = m_hWnd->widget->height();
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    if (!lpRect) return;
    *lpRect = {0, 0, 0, 0};
    if (!IsLiveHandle(m_hWnd) || !m_hWnd->widget) return;
    QWidget* widget = m_hWnd->widget;
    QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    *lpRect = {origin.x(), origin.y(), origin.x() + widget->width(), origin.y() + widget->height()};
}

void CWnd::Invalidate(BOOL)
{
    if (IsLiveHandle(m_hWnd) && m_hWnd->widget) m_hWnd->widget->update();
}

void CWnd::UpdateWindow()
{
    if (IsLiveHandle(m_hWnd) && m_hWnd->widget) m_hWnd->widget->repaint();
}

void CWnd::SetFocus()
{
    if (IsLiveHandle(m_hWnd) && m_hWnd->widget) m_hWnd->widget->setFocus();
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    HICON& slot = WindowAccess::Icon(*this, bBigIcon);
    HICON old = slot;
    slot = hIcon;
    if (IsLiveHandle(m_hWnd) && m_hWnd->widget && pelrudo::detail::IsLiveIcon(hIcon))
        m_hWnd->widget->setWindowIcon(QIcon(QPixmap::fromImage(IconImage(*hIcon))));
    return old;
}

HICON CWnd::GetIcon(BOOL bBigIcon) const { return bBigIcon ? m_hIconBig : m_hIconSmall; }

CMenu* CWnd::GetSystemMenu(BOOL) const { return nullptr; }

BOOL CWnd::DestroyWindow()
{
    if (!IsLiveHandle(m_hWnd)) return FALSE;
    SendMessage(WM_DESTROY);
    HWND handle = m_hWnd;
    DestroyHandle(handle);
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) PostQuitMessage(0);
    return TRUE;
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    return ::MessageBox(m_hWnd, lpszText, lpszCaption, nType);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Handlers may send further messages: keep the outer message for its Default().
    UINT savedMessage = m_nCurMessage;
    WPARAM savedW = m_wCurParam;
    LPARAM savedL = m_lCurParam;
    m_nCurMessage = message;
    m_wCurParam = wParam;
    m_lCurParam = lParam;
    LRESULT result = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND)
        handled = OnCommand(wParam, lParam);
    else if (message == WM_NOTIFY)
        handled = OnNotify(wParam, lParam, &result);
    else
        handled = DispatchToMap(message, 0, 0, wParam, lParam, &result);
    if (!handled) result = DefWindowProc(message, wParam, lParam);
    m_nCurMessage = savedMessage;
    m_wCurParam = savedW;
    m_lCurParam = savedL;
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* bar = IsLiveHandle(m_hWnd) ? dynamic_cast<QProgressBar*>(m_hWnd->widget.data()) : nullptr;
    switch (message) {
    case PBM_SETRANGE32: {
        if (!bar) return 0;
        const LRESULT previous = MAKELONG(bar->minimum(), bar->maximum());
        const int low = static_cast<int>(wParam);
        const int high = std::max(low, static_cast<int>(lParam));
        // The position stays, moved into the new range (Qt would reset it to the bottom).
        const int pos = std::clamp(bar->value(), low, high);
        bar->setRange(low, high);
        bar->setValue(pos);
        return previous;
    }
    case PBM_SETPOS: {
        if (!bar) return 0;
        const int previous = bar->value() < bar->minimum() ? bar->minimum() : bar->value();
        // A position outside the range is clamped to it, as the control does.
        bar->setValue(std::clamp(static_cast<int>(wParam), bar->minimum(), bar->maximum()));
        return previous;
    }
    case WM_CLOSE: DestroyWindow(); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0u) == SC_CLOSE) SendMessage(WM_CLOSE);
        return 0;
    default: return 0;
    }
}

LRESULT CWnd::Default() { return DefWindowProc(m_nCurMessage, m_wCurParam, m_lCurParam); }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) { return OnCmdMsg(LOWORD(wParam), HIWORD(wParam)); }

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header) return FALSE;
    return DispatchToMap(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), 0, lParam, pResult);
}

void CWnd::OnTimer(UINT_PTR) { Default(); }

void CWnd::OnClose() { Default(); }

void CWnd::OnPaint() { Default(); }

HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
