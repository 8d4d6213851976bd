#include "ranking/OrderedListModel.h"

#include <QSqlField>

namespace rq::ranking {
namespace {

const char *const kCaptions[OrderedListModel::ColumnCount] = {"Position", "Rang",   "Punkte", "Name1",       "Name2",
                                                              "Jahrgang", "Verein", "Kanton", "Auszeichnung"};

QVariant valueOrNull(const std::optional<double> &v)
{
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::Double));
}

}  // namespace

void OrderedListModel::setPositions(QList<Position> positions)
{
    beginResetModel();
    m_positions = std::move(positions);
    endResetModel();
}

int OrderedListModel::rowOf(int number) const
{
    for (qsizetype r = 0; r < m_positions.size(); ++r) {
        if (m_positions.at(r).number == number)
            return int(r);
    }
    return -1;
}

QSqlRecord OrderedListModel::record(int row) const
{
    QSqlRecord r;
    if (row < 0 || row >= m_positions.size())
        return r;
    const Position &p = m_positions.at(row);
    const auto add = [&r](const char *name, const QVariant &value) {
        QSqlField field(QString::fromLatin1(name), value.metaType());
        field.setValue(value);
        r.append(field);
    };
    add("RANGPOS_NR", p.number);
    add("RANG", p.rank);
    add("PUNKTE", p.points);
    add("NAME1", p.name1);
    add("NAME2", p.name2);
    add("JAHRGANG", p.jahrgang);
    add("VEREIN", p.verein);
    add("KANTON", p.kanton);
    add("AUSZEICHNUNG", p.award);
    add("PKT_VAL", valueOrNull(p.pointsValue));
    add("RANG_VAL", p.rankValue ? QVariant(*p.rankValue) : QVariant(QMetaType(QMetaType::LongLong)));
    add("JAHRG_VAL", valueOrNull(p.ageValue));
    return r;
}

int OrderedListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_positions.size());
}

int OrderedListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OrderedListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_positions.size())
        return {};
    const Position &p = m_positions.at(index.row());
    if (role == Qt::TextAlignmentRole)
        return index.column() == Number || index.column() == Points ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                    : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    switch (Column(index.column())) {
    case Number:
        return p.number;
    case Rank:
        return p.rank;
    case Points:
        return p.points;
    case Name1:
        return p.name1;
    case Name2:
        return p.name2;
    case Jahrgang:
        return p.jahrgang;
    case Verein:
        return p.verein;
    case Kanton:
        return p.kanton;
    case Award:
        return p.award;
    case ColumnCount:
        break;
    }
    return {};
}

QVariant OrderedListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(kCaptions[section]);
}

}  // namespace rq::ranking
