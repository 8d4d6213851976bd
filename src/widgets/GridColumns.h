#pragma once

#include <QList>

#include <utility>

class QTableView;

namespace rq {

// A grid column: the result field and its caption.
using ColumnCaptions = QList<std::pair<const char *, const char *>>;

// Shows the listed fields of a grid over a SQL model in this order under their
// captions and hides every other column.
void showColumns(QTableView *view, const ColumnCaptions &columns);

// The visible columns share the grid's width by one common factor (never
// narrower than 10 pixels), starting from the widths they have.
void fitColumnsProportionally(QTableView *view);

}  // namespace rq
