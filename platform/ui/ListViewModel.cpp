// ListViewModel: the Qt face of a CListCtrl's data.
#include "platform/ui/detail/ListViewModel.h"

#include <QApplication>
#include <QIcon>
#include <QPalette>
#include <QPixmap>

#include "platform/ui/detail/IconImage.h"
#include "platform/ui/detail/WindowState.h"

void ListViewModel::SetList(CListCtrl* list)
{
    beginResetModel();
    m_list = list;
    endResetModel();
}

void ListViewModel::Refresh(int nItem)
{
    if (nItem < 0 || nItem >= rowCount()) {
        beginResetModel();
        endResetModel();
        return;
    }
    emit dataChanged(index(nItem, 0), index(nItem, std::max(columnCount() - 1, 0)));
}

int ListViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_list ? 0 : m_list->GetItemCount();
}

int ListViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_list ? 0 : std::max(m_list->GetColumnCount(), 1);
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant ListViewModel::data(const QModelIndex& index, int role) const
{
    if (!m_list || !index.isValid()) return {};
    int row = index.row();
    int column = index.column();
    bool selected = m_list->GetItemState(row, LVIS_SELECTED) != 0;
    switch (role) {
    case Qt::DisplayRole:
        return pelrudo::ui::ToQt(pelrudo::ui::Wide(m_list->GetItemText(row, column).GetString()));
    case Qt::CheckStateRole:
        if (column != 0 || !(m_list->GetExtendedStyle() & LVS_EX_CHECKBOXES)) return {};
        return m_list->GetCheck(row) ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole: {
        HIMAGELIST images = m_list->GetImageList(LVSIL_SMALL);
        LVITEM item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        if (column != 0 || !pelrudo::detail::IsLiveImageList(images) || !m_list->GetItem(&item)) return {};
        if (item.iImage < 0 || item.iImage >= static_cast<int>(images->images.size())) return {};
        QImage image = pelrudo::ui::IconImage(images->images[static_cast<std::size_t>(item.iImage)]);
        return QIcon(QPixmap::fromImage(image.scaled(images->cx, images->cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    }
    case Qt::TextAlignmentRole: {
        LVCOLUMN col{};
        col.mask = LVCF_FMT;
        if (!m_list->GetColumn(column, &col)) return {};
        Qt::Alignment horizontal = col.fmt == LVCFMT_RIGHT ? Qt::AlignRight : col.fmt == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
        return QVariant::fromValue(horizontal | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole:
        // The selection is shown also while the list has no focus.
        return selected ? QApplication::palette().brush(QPalette::Active, QPalette::Highlight) : QVariant();
    case Qt::ForegroundRole:
        return selected ? QApplication::palette().brush(QPalette::Active, QPalette::HighlightedText) : QVariant();
    default:
        return {};
    }
}
