#include "ranking/RankingOperations.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"

#include <QSqlQuery>

namespace rq::ranking {
namespace {

// The tables that carry a position number in their key, parent first.
const char *const kPositionTables[] = {"RANGPOS", "DETAILBLOCK", "DETAIL"};

QString table(const char *name)
{
    return QString::fromLatin1(name);
}

}  // namespace

RankingOperations::RankingOperations(RankingList list)
    : m_list(std::move(list))
    , m_runner(m_list.runner())
    , m_kat(m_list.key().kat)
    , m_kl(m_list.key().klasse)
{
}

void RankingOperations::changed() const
{
    m_list.database().listChanged(m_list.key().kat, m_list.key().klasse);
}

void RankingOperations::cleanUp(int maxPosition)
{
    for (const char *name : {"DetailBlock", "Detail"}) {
        m_runner.run({QStringLiteral("delete from ") + table(name), QStringLiteral("WHERE KLASSE_NR = ?"),
                      QStringLiteral("AND KAT_NR = ?"), QStringLiteral("AND RANGPOS_NR > ?")},
                     {m_kl, m_kat, maxPosition});
    }
}

int RankingOperations::rankAndRenumber(const SortSettings &sort, int reselect)
{
    db::Savepoint transaction(m_list.database(), QStringLiteral("rank_and_renumber"));
    m_list.database().lockList(m_list.key().kat, m_list.key().klasse);
    // The list is read afresh, so the ranks follow the current order (also right after a move).
    const QList<Position> ordered = m_list.positions(sort);
    const QStringList ranks = competitionRanks(ordered);
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        m_runner.run({QStringLiteral("UPDATE RANGPOS SET RANG = ?"), QStringLiteral("WHERE KLASSE_NR = ?"),
                      QStringLiteral("AND KAT_NR = ?"), QStringLiteral("AND RANGPOS_NR = ?")},
                     {ranks.at(i), m_kl, m_kat, ordered.at(i).number});
    }
    int m = m_list.maxPosition();
    cleanUp(m);
    // Only positions whose number changes move: each is lifted above m first, so
    // that the renumbering never meets a number still in use (a position that
    // keeps its number keeps one no other position gets).
    QList<std::pair<int, int>> moves = renumbering(ordered);
    moves.removeIf([](const std::pair<int, int> &move) { return move.first == move.second; });
    const auto moveTo = [this](int from, const QVariant &to) {
        for (const char *name : kPositionTables) {
            m_runner.run({QStringLiteral("UPDATE %1 SET RANGPOS_NR = ?").arg(table(name)),
                          QStringLiteral("WHERE KLASSE_NR = ?"), QStringLiteral("AND KAT_NR = ?"),
                          QStringLiteral("AND RANGPOS_NR = ?")},
                         {to, m_kl, m_kat, from});
        }
    };
    for (const auto &[old, n] : moves)
        moveTo(old, old + m);
    bool reselected = reselect == -1;
    for (const auto &[old, n] : moves) {
        if (old == reselect && !reselected) {
            reselect = n;
            reselected = true;
        }
        // The new number goes in as text, as the statement has always shown it.
        moveTo(old + m, QString::number(n));
    }
    // A position that keeps its number is found where it was; one that is gone, above the list.
    if (!reselected &&
        !std::any_of(ordered.cbegin(), ordered.cend(), [reselect](const Position &p) { return p.number == reselect; }))
        reselect += m;
    m = m_list.maxPosition();
    cleanUp(m);
    transaction.release();
    changed();
    return reselect;
}

bool RankingOperations::positionAsRank()
{
    if (!m_list.op().confirm(
            QStringLiteral("Wollen Sie wirklich alle Positionen dieser Rangliste in die Rang-Spalte kopieren?")))
        return false;
    m_runner.run({QStringLiteral("UPDATE RANGPOS SET RANG = CAST(RANGPOS_NR as VARCHAR(20))"),
                  QStringLiteral("WHERE KLASSE_NR = ?"), QStringLiteral("AND KAT_NR = ?")},
                 {m_kl, m_kat});
    changed();
    return true;
}

bool RankingOperations::sameRanks(const SortSettings &sort)
{
    if (!m_list.op().confirm(QStringLiteral("Wollen Sie wirklich alle leeren Ränge mit Vorgängerrang befüllen?")))
        return false;
    const auto wait = m_list.op().waitCursor();
    db::Savepoint transaction(m_list.database(), QStringLiteral("same_ranks"));
    m_list.database().lockList(m_list.key().kat, m_list.key().klasse);
    const QList<Position> ordered = m_list.positions(sort);
    const QList<std::optional<QString>> filled = ranking::sameRanks(ordered);
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        if (!filled.at(i))
            continue;
        m_runner.run({QStringLiteral("UPDATE RANGPOS SET Rang = ?"), QStringLiteral("WHERE KLASSE_NR = ?"),
                      QStringLiteral("AND KAT_NR = ?"), QStringLiteral("AND RANGPOS_NR = ?")},
                     {*filled.at(i), m_kl, m_kat, ordered.at(i).number});
    }
    transaction.release();
    changed();
    return true;
}

int RankingOperations::moveToEndOfRank(const SortSettings &sort, int position, bool ask)
{
    if (ask && m_list.op().ask(QStringLiteral("Zeile wird an die letzte Position innerhalb des Ranges verschoben"),
                               {Button::Ok, Button::Abort}) != Button::Ok)
        return -1;
    const auto wait = m_list.op().waitCursor();
    db::Savepoint transaction(m_list.database(), QStringLiteral("move_row"));
    m_list.database().lockList(m_list.key().kat, m_list.key().klasse);
    const int target = m_list.maxPosition() + 1;
    m_runner.run({QStringLiteral("UPDATE RANGPOS SET RANGPOS_NR = ?"), QStringLiteral("WHERE KLASSE_NR = ?"),
                  QStringLiteral("AND KAT_NR = ?"), QStringLiteral("AND RANGPOS_NR = ?")},
                 {target, m_kl, m_kat, position});
    for (const char *name : {"DETAILBLOCK", "DETAIL"}) {
        m_runner.run({QStringLiteral("UPDATE %1 SET RANGPOS_NR = ?").arg(table(name)),
                      QStringLiteral("WHERE RANGPOS_NR = ?"), QStringLiteral("AND KLASSE_NR = ?"),
                      QStringLiteral("AND KAT_NR = ?")},
                     {target, position, m_kl, m_kat});
    }
    const int moved = rankAndRenumber(sort, target);
    transaction.release();
    return moved;
}

bool RankingOperations::distributeAwards(const SortSettings &sort, const QString &quantity, AwardMode mode,
                                         const QString &award)
{
    const double q = num::parseDecimal(quantity).value_or(-1.0);
    if (!(q > 0)) {
        m_list.op().warn(QStringLiteral("Es wurde keine gültige Menge angegeben"));
        return false;
    }
    const auto wait = m_list.op().waitCursor();
    db::Savepoint transaction(m_list.database(), QStringLiteral("awards"));
    m_list.database().lockList(m_list.key().kat, m_list.key().klasse);
    const QList<Position> ordered = m_list.positions(sort);
    const qsizetype awarded = awardedRows(ordered, awardLimit(ordered.size(), q, mode));
    for (qsizetype i = 0; i < awarded; ++i) {
        m_runner.run({QStringLiteral("UPDATE RANGPOS SET AUSZEICHNUNG = ?"), QStringLiteral("WHERE KLASSE_NR = ?"),
                      QStringLiteral("AND KAT_NR = ?"), QStringLiteral("AND RANGPOS_NR = ?")},
                     {award, m_kl, m_kat, ordered.at(i).number});
    }
    transaction.release();
    changed();
    return true;
}

bool RankingOperations::clearAwards()
{
    if (!m_list.op().confirmDiscarding(QStringLiteral("Auszeichnungen der aktuellen Rangliste löschen?")))
        return false;
    const auto wait = m_list.op().waitCursor();
    m_runner.run({QStringLiteral("UPDATE RANGPOS SET AUSZEICHNUNG = ''"), QStringLiteral("WHERE KLASSE_NR = ?"),
                  QStringLiteral("AND KAT_NR = ?")},
                 {m_kl, m_kat});
    changed();
    return true;
}

bool RankingOperations::blockTotals(PointsTotal total, int decimals)
{
    if (!m_list.op().confirm(QStringLiteral("Punktetotal pro Detailblock neu berchnen?")))
        return false;
    return totals(total, decimals, true);
}

bool RankingOperations::positionTotals(PointsTotal total, int decimals)
{
    if (!m_list.op().confirm(QStringLiteral("Punktetotal pro Rang aus Detailblöcken neu berchnen?")))
        return false;
    return totals(total, decimals, false);
}

bool RankingOperations::totals(PointsTotal total, int decimals, bool blocks)
{
    const auto wait = m_list.op().waitCursor();
    const QString sql = blocks
                            ? QStringLiteral("SELECT RANGPOS_NR, DETAILBLOCK_NR, PUNKTE FROM DETAIL WHERE KAT_NR = ? "
                                             "AND KLASSE_NR = ? AND PUNKTE IS NOT NULL ORDER BY RANGPOS_NR, "
                                             "DETAILBLOCK_NR, DETAILPOS_NR")
                            : QStringLiteral("SELECT RANGPOS_NR, PUNKTE FROM DETAILBLOCK WHERE KAT_NR = ? AND "
                                             "KLASSE_NR = ? AND PUNKTE IS NOT NULL ORDER BY RANGPOS_NR, "
                                             "DETAILBLOCK_NR");
    const int keyColumns = blocks ? 2 : 1;
    QList<PointsEntry> entries;
    QSqlQuery q = m_list.database().exec(sql, {m_kat, m_kl});
    while (q.next()) {
        PointsEntry e;
        for (int i = 0; i < keyColumns; ++i)
            e.key << q.value(i).toInt();
        e.points = q.value(keyColumns).toString();
        entries.append(e);
    }
    q.finish();
    const QList<Total> found = ranking::totals(entries, total, decimals);
    if (found.isEmpty()) {
        m_list.op().inform(blocks ? QStringLiteral("Diese Rangliste enthält keine Punkte in den Details")
                                  : QStringLiteral("Diese Rangliste enthält keine Punkte in den Detailblöcken"));
        return false;
    }
    db::Savepoint transaction(m_list.database(), QStringLiteral("totals"));
    m_list.database().lockList(m_list.key().kat, m_list.key().klasse);
    for (const Total &t : found) {
        QStringList lines = {
            QStringLiteral("UPDATE %1 SET PUNKTE = ?").arg(blocks ? table("DETAILBLOCK") : table("RANGPOS")),
            QStringLiteral("WHERE KLASSE_NR = ?"), QStringLiteral("AND KAT_NR = ?"),
            QStringLiteral("AND RANGPOS_NR = ?")};
        QVariantList values = {t.text, m_kl, m_kat, t.key.at(0)};
        if (blocks) {
            lines << QStringLiteral("AND DETAILBLOCK_NR = ?");
            values << t.key.at(1);
        }
        m_runner.run(lines, values);
    }
    transaction.release();
    changed();
    return true;
}

}  // namespace rq::ranking
