// ListView: drawing a CListCtrl in report view and passing clicks and keys to it.
#include "platform/ui/detail/ListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "platform/CListCtrl.h"
#include "platform/ui/detail/ListViewModel.h"
#include "platform/ui/detail/WindowState.h"

ListView::ListView(QWidget* parent) : QTableView(parent), m_model(new ListViewModel(this))
{
    setModel(m_model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setIconSize(QSize(16, 16));
}

ListView::~ListView()
{
    if (m_list) WindowAccess::SetView(*m_list, nullptr);
}

void ListView::Attach(CListCtrl* list)
{
    if (m_list) WindowAccess::SetView(*m_list, nullptr);
    m_list = list;
    if (m_list) WindowAccess::SetView(*m_list, this);
    m_model->SetList(list);
    Changed(-1);
}

void ListView::Changed(int nItem)
{
    m_model->Refresh(nItem);
    if (nItem >= 0 || !m_list) return;
    for (int i = 0; i < m_list->GetColumnCount(); ++i) setColumnWidth(i, m_list->GetColumnWidth(i));
}

int ListView::TextWidth(const CString& text) const
{
    return fontMetrics().horizontalAdvance(pelrudo::ui::ToQt(pelrudo::ui::Wide(text.GetString())));
}

RECT ListView::ClientRect() const
{
    return {0, 0, viewport()->width(), viewport()->height()};
}

QRect ListView::CheckBoxRect(int nItem) const
{
    QModelIndex index = m_model->index(nItem, 0);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (!m_list || event->button() != Qt::LeftButton) return;
    QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        m_list->ClickItem(-1);
        return;
    }
    bool onBox = (m_list->GetExtendedStyle() & LVS_EX_CHECKBOXES) && CheckBoxRect(index.row()).contains(event->position().toPoint());
    if (onBox)
        m_list->ClickCheckBox(index.row());
    else
        m_list->ClickItem(index.row());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void ListView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    if (!m_list) {
        event->ignore();
        return;
    }
    int focused = m_list->GetNextItem(-1, LVNI_FOCUSED);
    switch (event->key()) {
    case Qt::Key_Space: m_list->PressSpace(); return;
    case Qt::Key_Up:
        if (focused > 0) m_list->ClickItem(focused - 1);
        return;
    case Qt::Key_Down:
        if (focused + 1 < m_list->GetItemCount()) m_list->ClickItem(focused + 1);
        return;
    default:
        // Enter, Escape and Tab belong to the dialog.
        event->ignore();
        return;
    }
}
