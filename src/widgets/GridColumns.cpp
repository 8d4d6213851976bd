#include "widgets/GridColumns.h"

#include "common/ColumnFit.h"

#include <QHeaderView>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>

namespace rq {

void showColumns(QTableView *view, const ColumnCaptions &columns)
{
    auto *model = static_cast<QSqlQueryModel *>(view->model());
    const QSqlRecord record = model->record();
    QHeaderView *header = view->horizontalHeader();
    for (int c = 0; c < model->columnCount(); ++c)
        view->setColumnHidden(c, true);
    int visual = 0;
    for (const auto &[field, caption] : columns) {
        const int c = record.indexOf(QString::fromLatin1(field));
        if (c < 0)
            continue;
        model->setHeaderData(c, Qt::Horizontal, QString::fromUtf8(caption));
        view->setColumnHidden(c, false);
        header->moveSection(header->visualIndex(c), visual++);
    }
}

void fitColumnsProportionally(QTableView *view)
{
    QList<int> visible;
    QList<int> widths;
    const QHeaderView *header = view->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (!header->isSectionHidden(logical)) {
            visible << logical;
            widths << view->columnWidth(logical);
        }
    }
    // A pixel of slack keeps rounding from calling up a horizontal scroll bar.
    const QList<int> fitted = columns::fitProportional(widths, view->viewport()->width() - 2);
    for (int i = 0; i < visible.size(); ++i)
        view->setColumnWidth(visible.at(i), fitted.at(i));
}

}  // namespace rq
