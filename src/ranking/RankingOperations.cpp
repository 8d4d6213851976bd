#include "ranking/RankingOperations.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "ranking/KonfigDataModule.h"

#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

#include <cmath>

namespace rq::ranking {
namespace {

const QString kPos = QStringLiteral("RANGPOS_NR");

} // namespace

RankingOperations::RankingOperations(KonfigDataModule &module, Operator &op)
    : m_module(module)
    , m_op(op)
{
}

void RankingOperations::reopen(const SortSettings &sort)
{
    const auto key = m_module.currentKey();
    if (!key)
        throw Error(QStringLiteral("Keine Rangliste gewählt"));
    m_kat = QString::number(key->kat);
    m_kl = QString::number(key->klasse);
    m_module.openOrderedList(KonfigDataModule::orderByLine(sort.ascending, sort.byAge));
}

void RankingOperations::rankPass()
{
    QSqlQueryModel *rows = m_module.orderModel();
    double previous = -1.0;
    for (int n = 1; n <= rows->rowCount(); ++n) {
        const QSqlRecord row = rows->record(n - 1);
        const double points = row.value(QStringLiteral("PKT_VAL")).toDouble();  // empty counts as 0
        const QString rank = points == previous ? QString() : QString::number(n);
        m_module.runStatement({QStringLiteral("UPDATE RANGPOS SET RANG = '") + rank + u'\'',
                               QStringLiteral("WHERE KLASSE_NR = ") + m_kl, QStringLiteral("AND KAT_NR = ") + m_kat,
                               QStringLiteral("AND RANGPOS_NR = ") + row.value(kPos).toString()});
        previous = points;
    }
}

void RankingOperations::cleanUp(int maxPosition)
{
    for (const char *table : {"DetailBlock", "Detail"}) {
        m_module.runStatement({QStringLiteral("delete from ") + QLatin1String(table),
                               QStringLiteral("WHERE KLASSE_NR = ") + m_kl, QStringLiteral("AND KAT_NR = ") + m_kat,
                               QStringLiteral("AND RANGPOS_NR > ") + QString::number(maxPosition)});
    }
}

int RankingOperations::rankAndRenumber(const SortSettings &sort, int reselect)
{
    db::Savepoint transaction(m_module.database(), QStringLiteral("rank_and_renumber"));
    // The list is read afresh, so the ranks follow the current order (also right after a move).
    reopen(sort);
    rankPass();
    int m = m_module.maxPosition();
    cleanUp(m);
    if (reselect != -1)
        reselect += m;
    for (const char *table : {"RANGPOS", "DETAILBLOCK", "DETAIL"}) {
        m_module.runStatement({QStringLiteral("UPDATE %1 SET RANGPOS_NR  = RANGPOS_NR + %2").arg(QLatin1String(table)).arg(m),
                               QStringLiteral("WHERE KLASSE_NR = ") + m_kl, QStringLiteral("AND KAT_NR = ") + m_kat});
    }
    reopen(sort);
    QSqlQueryModel *rows = m_module.orderModel();
    for (int n = 1; n <= rows->rowCount(); ++n) {
        const int p = rows->record(n - 1).value(kPos).toInt();
        if (p == reselect)
            reselect = n;
        for (const char *table : {"RANGPOS", "DETAILBLOCK", "DETAIL"}) {
            m_module.runStatement({QStringLiteral("UPDATE %1 SET RANGPOS_NR = '%2'").arg(QLatin1String(table)).arg(n),
                                   QStringLiteral("WHERE KLASSE_NR = ") + m_kl,
                                   QStringLiteral("AND KAT_NR = ") + m_kat,
                                   QStringLiteral("AND RANGPOS_NR = ") + QString::number(p)});
        }
    }
    m = m_module.maxPosition();
    cleanUp(m);
    transaction.release();
    reopen(sort);
    return reselect;
}

bool RankingOperations::positionAsRank(const SortSettings &sort)
{
    if (!m_op.confirm(QStringLiteral("Wollen Sie wirklich alle Positionen dieser Rangliste in die Rang-Spalte kopieren?")))
        return false;
    reopen(sort);
    m_module.runStatement({QStringLiteral("UPDATE RANGPOS SET RANG = CAST(RANGPOS_NR as VARCHAR(20))"),
                           QStringLiteral("WHERE KLASSE_NR = ") + m_kl, QStringLiteral("AND KAT_NR = ") + m_kat});
    reopen(sort);
    return true;
}

bool RankingOperations::sameRanks(const SortSettings &sort)
{
    if (!m_op.confirm(QStringLiteral("Wollen Sie wirklich alle leeren Ränge mit Vorgängerrang befüllen?")))
        return false;
    const auto wait = m_op.waitCursor();
    db::Savepoint transaction(m_module.database(), QStringLiteral("same_ranks"));
    reopen(sort);
    QString carried = QStringLiteral("1");
    QSqlQueryModel *rows = m_module.orderModel();
    for (int r = 0; r < rows->rowCount(); ++r) {
        const QSqlRecord row = rows->record(r);
        const QString rank = row.value(QStringLiteral("RANG")).toString();
        if (!rank.isEmpty()) {
            carried = rank;
            continue;
        }
        m_module.runStatement({QStringLiteral("UPDATE RANGPOS SET Rang = ") + db::quote(carried),
                               QStringLiteral("WHERE KLASSE_NR = ") + m_kl, QStringLiteral("AND KAT_NR = ") + m_kat,
                               QStringLiteral("AND RANGPOS_NR = ") + row.value(kPos).toString()});
    }
    transaction.release();
    reopen(sort);
    return true;
}

int RankingOperations::moveToEndOfRank(const SortSettings &sort, int position, bool ask)
{
    if (ask && m_op.ask(QStringLiteral("Zeile wird an die letzte Position innerhalb des Ranges verschoben"),
                        {Button::Ok, Button::Abort}) != Button::Ok)
        return -1;
    const auto wait = m_op.waitCursor();
    db::Savepoint transaction(m_module.database(), QStringLiteral("move_row"));
    reopen(sort);
    const QString target = QString::number(m_module.maxPosition() + 1);
    const QString p = QString::number(position);
    m_module.runStatement({QStringLiteral("UPDATE RANGPOS SET RANGPOS_NR = ") + target,
                           QStringLiteral("WHERE KLASSE_NR = ") + m_kl, QStringLiteral("AND KAT_NR = ") + m_kat,
                           QStringLiteral("AND RANGPOS_NR = ") + p});
    for (const char *table : {"DETAILBLOCK", "DETAIL"}) {
        m_module.runStatement({QStringLiteral("UPDATE %1 SET RANGPOS_NR = %2").arg(QLatin1String(table), target),
                               QStringLiteral("WHERE RANGPOS_NR = ") + p, QStringLiteral("AND KLASSE_NR = ") + m_kl,
                               QStringLiteral("AND KAT_NR = ") + m_kat});
    }
    const int moved = rankAndRenumber(sort, target.toInt());
    transaction.release();
    return moved;
}

bool RankingOperations::distributeAwards(const SortSettings &sort, const QString &quantity, bool countMode,
                                         const QString &award)
{
    const double q = num::parseDecimal(quantity).value_or(-1.0);
    if (!(q > 0)) {
        m_op.warn(QStringLiteral("Es wurde keine gültige Menge angegeben"));
        return false;
    }
    const auto wait = m_op.waitCursor();
    db::Savepoint transaction(m_module.database(), QStringLiteral("awards"));
    reopen(sort);
    QSqlQueryModel *rows = m_module.orderModel();
    const int n = rows->rowCount();
    const double limit = countMode ? std::ceil(q) : std::ceil(n * q / 100.0);
    for (int r = 0; r < n; ++r) {
        const QSqlRecord row = rows->record(r);
        if (row.value(QStringLiteral("RANG_VAL")).toInt() > limit)
            break;
        // The award text is written as typed; quoting keeps an apostrophe in it.
        m_module.runStatement({QStringLiteral("UPDATE RANGPOS SET AUSZEICHNUNG = ") + db::quote(award),
                               QStringLiteral("WHERE KLASSE_NR = ") + m_kl, QStringLiteral("AND KAT_NR = ") + m_kat,
                               QStringLiteral("AND RANGPOS_NR = ") + row.value(kPos).toString()});
    }
    transaction.release();
    reopen(sort);
    return true;
}

bool RankingOperations::clearAwards(const SortSettings &sort)
{
    if (!m_op.confirm(QStringLiteral("Auszeichnungen der aktuellen Rangliste löschen?")))
        return false;
    const auto wait = m_op.waitCursor();
    reopen(sort);
    m_module.runStatement({QStringLiteral("UPDATE RANGPOS SET AUSZEICHNUNG = ''"),
                           QStringLiteral("WHERE KLASSE_NR = ") + m_kl, QStringLiteral("AND KAT_NR = ") + m_kat});
    reopen(sort);
    return true;
}

bool RankingOperations::blockTotals(const SortSettings &sort, bool average, int decimals)
{
    if (!m_op.confirm(QStringLiteral("Punktetotal pro Detailblock neu berchnen?")))
        return false;
    return totals(sort, average, decimals, true);
}

bool RankingOperations::positionTotals(const SortSettings &sort, bool average, int decimals)
{
    if (!m_op.confirm(QStringLiteral("Punktetotal pro Rang aus Detailblöcken neu berchnen?")))
        return false;
    return totals(sort, average, decimals, false);
}

bool RankingOperations::totals(const SortSettings &sort, bool average, int decimals, bool blocks)
{
    const auto wait = m_op.waitCursor();
    reopen(sort);
    const QString keys = blocks ? QStringLiteral("KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR")
                                : QStringLiteral("KAT_NR, KLASSE_NR, RANGPOS_NR");
    const QString sql = QStringLiteral("SELECT %1, SUM(CAST(PUNKTE as FLOAT)) as SUMME, AVG(CAST(PUNKTE as FLOAT)) as "
                                       "MITTEL FROM %2 WHERE KAT_NR = ? AND KLASSE_NR = ? AND PUNKTE IS NOT NULL "
                                       "GROUP BY %1")
                            .arg(keys, blocks ? QStringLiteral("DETAIL") : QStringLiteral("DETAILBLOCK"));
    QSqlQuery q = m_module.database().exec(sql, {m_kat.toInt(), m_kl.toInt()});
    struct Total
    {
        QStringList key;
        double value;
    };
    QList<Total> found;
    while (q.next()) {
        QStringList key;
        for (int i = 0; i < (blocks ? 4 : 3); ++i)
            key << q.value(i).toString();
        found.append({key, q.value(average ? QStringLiteral("MITTEL") : QStringLiteral("SUMME")).toDouble()});
    }
    q.finish();
    if (found.isEmpty()) {
        m_op.inform(blocks ? QStringLiteral("Diese Rangliste enthält keine Punkte in den Details")
                           : QStringLiteral("Diese Rangliste enthält keine Punkte in den Detailblöcken"));
        return false;
    }
    db::Savepoint transaction(m_module.database(), QStringLiteral("totals"));
    for (const Total &t : found) {
        QStringList lines = {QStringLiteral("UPDATE %1 SET PUNKTE = '%2'")
                                 .arg(blocks ? QStringLiteral("DETAILBLOCK") : QStringLiteral("RANGPOS"),
                                      num::formatFixed(t.value, decimals, 12)),
                             QStringLiteral("WHERE KLASSE_NR = ") + t.key.at(1), QStringLiteral("AND KAT_NR = ") + t.key.at(0),
                             QStringLiteral("AND RANGPOS_NR = ") + t.key.at(2)};
        if (blocks)
            lines << QStringLiteral("AND DETAILBLOCK_NR = ") + t.key.at(3);
        m_module.runStatement(lines);
    }
    transaction.release();
    reopen(sort);
    return true;
}

} // namespace rq::ranking
