#pragma once

#include "ranking/RankingList.h"

#include <QAbstractTableModel>
#include <QSqlRecord>

namespace rq::ranking {

// The positions of a list in ranking order, as the grid of the tab "Rangieren"
// shows them: Position, Rang, Punkte, Name1, Name2, Jahrgang, Verein, Kanton,
// Auszeichnung. Read-only; set anew after every command that changes positions.
class OrderedListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Number, Rank, Points, Name1, Name2, Jahrgang, Verein, Kanton, Award, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setPositions(QList<Position> positions);
    const QList<Position> &positions() const { return m_positions; }
    // The row whose position number is `number`, or -1.
    int rowOf(int number) const;
    // Row `row` with the column names of RANGPOS (RANGPOS_NR, RANG, PUNKTE, …)
    // and the numbers it is ordered by (PKT_VAL, RANG_VAL, JAHRG_VAL).
    QSqlRecord record(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Position> m_positions;
};

}  // namespace rq::ranking
