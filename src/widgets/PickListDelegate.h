#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

namespace rq {

// An editable pick list for a grid column: the items are offered, other text may be typed.
class PickListDelegate : public QStyledItemDelegate
{
public:
    PickListDelegate(QStringList items, QObject *parent);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    QStringList m_items;
};

}  // namespace rq
