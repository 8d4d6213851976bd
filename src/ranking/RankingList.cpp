#include "ranking/RankingList.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "db/Database.h"
#include "ranking/RankingRules.h"

#include <QSqlQuery>

namespace rq::ranking {
namespace {

std::optional<double> realOrMissing(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    return num::leadingReal(value.toString());
}

}  // namespace

RankingList::RankingList(db::Database &db, Operator &op, ListKey key)
    : m_db(&db)
    , m_op(&op)
    , m_key(key)
{
}

RankingList RankingList::load(db::Database &db, Operator &op, ListKey key)
{
    RankingList list(db, op, key);
    list.reload();
    return list;
}

void RankingList::reload()
{
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT * FROM RANGLISTE WHERE KAT_NR = ? AND KLASSE_NR = ?"),
                             {m_key.kat, m_key.klasse});
    if (!q.next())
        throw Error(
            QStringLiteral("Rangliste mit Kat. %1 und Klasse %2 nicht vorhanden").arg(m_key.kat).arg(m_key.klasse));
    m_header = q.record();
}

QString RankingList::text(const QString &field) const
{
    return m_header.value(field).toString();
}

QString RankingList::layout() const
{
    return text(QStringLiteral("LAYOUT"));
}

QString RankingList::detailsPerLine() const
{
    return text(QStringLiteral("DETAILS_PRO_ZEILE"));
}

QString RankingList::captionLine() const
{
    return (QStringLiteral("Kategorie ") + QString::number(m_key.kat) + QStringLiteral(" - ") +
            text(QStringLiteral("SPARTE_D")) + u' ' + text(QStringLiteral("KATEGORIE_D")) + u' ' +
            text(QStringLiteral("KLASSE_D")))
        .trimmed();
}

QList<Position> RankingList::positions(const SortSettings &sort) const
{
    enum Column { Number, Rank, Name1, Name2, Jahrgang, Verein, Kanton, Points, Award };
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT RANGPOS_NR, RANG, NAME1, NAME2, JAHRGANG, VEREIN, KANTON, PUNKTE, "
                                            "AUSZEICHNUNG FROM RANGPOS WHERE KAT_NR = ? AND KLASSE_NR = ?"),
                             {m_key.kat, m_key.klasse});
    QList<Position> rows;
    while (q.next()) {
        Position p;
        p.number = q.value(Number).toInt();
        p.rank = q.value(Rank).toString();
        p.name1 = q.value(Name1).toString();
        p.name2 = q.value(Name2).toString();
        p.jahrgang = q.value(Jahrgang).toString();
        p.verein = q.value(Verein).toString();
        p.kanton = q.value(Kanton).toString();
        p.points = q.value(Points).toString();
        p.award = q.value(Award).toString();
        p.pointsValue = realOrMissing(q.value(Points));
        p.ageValue = realOrMissing(q.value(Jahrgang));
        if (!q.isNull(Rank))
            p.rankValue = num::leadingInteger(p.rank);
        rows.append(p);
    }
    sortPositions(rows, sort);
    return rows;
}

int RankingList::maxPosition() const
{
    return m_db
        ->scalar(QStringLiteral("SELECT MAX(RANGPOS_NR) as MAXPOS FROM RANGPOS WHERE KAT_NR = ? AND KLASSE_NR = ?"),
                 {m_key.kat, m_key.klasse})
        .toInt();
}

}  // namespace rq::ranking
