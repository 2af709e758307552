// ListView: the widget of a list view control, mirroring its CListCtrl and reporting the user's actions.
#pragma once

#include <QTableView>

#include "platform/detail/ListCtrlView.h"

class CListCtrl;
class ListViewModel;

// Single selection shown without focus, no header; clicks and Space go to the CListCtrl, which
// changes its states and notifies; the widget only mirrors what the list holds.
class ListView : public QTableView, public ListCtrlView {
public:
    explicit ListView(QWidget* parent);
    ~ListView() override;

    void Attach(CListCtrl* list);
    // Where row nItem's check box is drawn, in the viewport.
    QRect CheckBoxRect(int nItem) const;

    void Changed(int nItem) override;
    int TextWidth(const CString& text) const override;
    RECT ClientRect() const override;
    void Forget() override { Attach(nullptr); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Focus shows no current cell of Qt's own: the focused row is the list's.
    void focusInEvent(QFocusEvent* event) override;

private:
    ListViewModel* m_model;
    CListCtrl* m_list = nullptr;
};
