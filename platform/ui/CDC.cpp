// CDC and CPaintDC: drawing on a window's widget through a QPainter during its paint event.
#include "platform/CDC.h"

#include <QPainter>

#include "platform/CPaintDC.h"
#include "platform/IconApi.h"
#include "platform/ui/detail/IconImage.h"
#include "platform/ui/detail/WindowState.h"

struct HDC__ {
    QPainter painter;
};

BOOL CDC::DrawIcon(int x, int y, HICON hIcon)
{
    if (!m_hDC || !m_hDC->painter.isActive() || !pelrudo::detail::IsLiveIcon(hIcon)) return FALSE;
    QImage image = pelrudo::ui::IconImage(*hIcon);
    if (image.isNull()) return FALSE;
    int size = GetSystemMetrics(SM_CXICON);
    m_hDC->painter.drawImage(QRect(x, y, size, size), image);
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* pWnd)
{
    HWND hWnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
    // Qt lets a widget be painted only from its paint event.
    if (!pelrudo::ui::IsLiveHandle(hWnd) || !hWnd->widget || !hWnd->painting) return;
    m_hDC = new HDC__;
    m_hDC->painter.begin(hWnd->widget);
}

CPaintDC::~CPaintDC() { delete m_hDC; }
