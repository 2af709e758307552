// ListViewModel: a Qt table model that shows a CListCtrl's rows, columns, check boxes and icons.
#pragma once

#include <QAbstractTableModel>

#include "platform/CListCtrl.h"

class ListViewModel : public QAbstractTableModel {
public:
    explicit ListViewModel(QObject* parent) : QAbstractTableModel(parent) {}

    void SetList(CListCtrl* list);
    // The list changed: one row, or (-1) everything.
    void Refresh(int nItem);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    CListCtrl* m_list = nullptr;
};
