#include "widgets/PickListDelegate.h"

#include <QComboBox>

namespace rq {

PickListDelegate::PickListDelegate(QStringList items, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_items(std::move(items))
{
}

QWidget *PickListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *box = new QComboBox(parent);
    box->setEditable(true);
    box->addItems(m_items);
    return box;
}

void PickListDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    static_cast<QComboBox *>(editor)->setCurrentText(index.data(Qt::EditRole).toString());
}

void PickListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    model->setData(index, static_cast<QComboBox *>(editor)->currentText());
}

}  // namespace rq
