#include "common/Errors.h"
#include "db/Database.h"
#include "ranking/RankingList.h"
#include "ranking/RankingOperations.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::ranking;

namespace {

struct Pos
{
    int nr;
    QString points;
    QString year = QString();
    QString rank = QString();
};

class RankingOperationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (1, 0)"));
        db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (2, 0)"));
    }

    // Positions of list (1, 0), each with one block holding one detail named after the position.
    void positions(const QList<Pos> &list)
    {
        for (const Pos &p : list) {
            db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, PUNKTE, JAHRGANG, RANG) "
                                   "VALUES (1, 0, ?, ?, ?, ?)"),
                    {p.nr, p.points, p.year, p.rank});
            db.exec(QStringLiteral("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, NAME1) "
                                   "VALUES (1, 0, ?, 1, ?)"),
                    {p.nr, QStringLiteral("B%1").arg(p.nr)});
            db.exec(QStringLiteral("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, DETAILPOS_NR, "
                                   "DISZIPLIN) VALUES (1, 0, ?, 1, 1, ?)"),
                    {p.nr, QStringLiteral("D%1").arg(p.nr)});
        }
        select(1);
    }

    // The operations on list (kat, 0).
    void select(int kat) { current = kat; }
    RankingOperations ops() { return RankingOperations(RankingList::load(db, op, {current, 0})); }

    void clear()
    {
        for (const char *table : {"DETAIL", "DETAILBLOCK", "RANGPOS"})
            db.exec(QStringLiteral("DELETE FROM ") + QLatin1String(table));
    }

    // "column" of every position in position order, NULL as "-".
    QStringList column(const char *field, const char *table = "RANGPOS")
    {
        QStringList values;
        QSqlQuery q = db.exec(QStringLiteral("SELECT coalesce(%1, '-') FROM %2 WHERE KAT_NR = 1 ORDER BY RANGPOS_NR")
                                  .arg(QLatin1String(field), QLatin1String(table)),
                              {});
        while (q.next())
            values << q.value(0).toString();
        return values;
    }

    static QStringList list(std::initializer_list<const char *> values)
    {
        QStringList l;
        for (const char *v : values)
            l << QString::fromUtf8(v);
        return l;
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    int current = 1;
    SortSettings descending;
};

}  // namespace

TEST_F(RankingOperationsTest, RanksWithTiesAndSameRanks)
{
    const struct
    {
        QList<Pos> positions;
        SortSettings sort;
        QStringList ranks;
        QStringList sameRanks;
    } cases[] = {
        {{{1, "50"}, {2, "50"}, {3, "48"}, {4, "45"}}, {}, list({"1", "-", "3", "4"}), list({"1", "1", "3", "4"})},
        {{{1, "50"}, {2, "48"}, {3, "48"}, {4, "45"}}, {}, list({"1", "2", "-", "4"}), list({"1", "2", "2", "4"})},
        {{{1, "11.0"}, {2, "10.5"}, {3, "11.0"}}, {true, false}, list({"1", "2", "-"}), list({"1", "2", "2"})},
        {{{1, "-1"}, {2, "-3"}}, {}, list({"-", "2"}), list({"1", "2"})},
        {{{1, "48", "1985"}, {2, "48", "1990"}, {3, "40", "2000"}},
         {false, true},
         list({"1", "-", "3"}),
         list({"1", "1", "3"})},
    };
    for (const auto &c : cases) {
        clear();
        positions(c.positions);
        ops().rankAndRenumber(c.sort, -1);
        EXPECT_EQ(column("RANG"), c.ranks);
        op.answer(Button::Yes);
        ops().sameRanks(c.sort);
        EXPECT_EQ(column("RANG"), c.sameRanks);
    }
    // With "Diff./Jahrg." the younger of the tied rows comes first.
    EXPECT_EQ(column("JAHRGANG"), list({"1990", "1985", "2000"}));
}

TEST_F(RankingOperationsTest, RenumberingCarriesChildrenAndRemovesOrphans)
{
    positions({{2, "10"}, {5, "30"}, {9, "20"}});
    db.exec(
        QStringLiteral("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR) VALUES (1, 0, 12, 1)"));
    db.exec(
        QStringLiteral("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR) VALUES (2, 0, 12, 1)"));
    const int reselected = ops().rankAndRenumber(descending, 9);
    EXPECT_EQ(reselected, 2);
    EXPECT_EQ(column("PUNKTE"), list({"30", "20", "10"}));
    EXPECT_EQ(column("NAME1", "DETAILBLOCK"), list({"B5", "B9", "B2"}));
    EXPECT_EQ(column("DISZIPLIN", "DETAIL"), list({"D5", "D9", "D2"}));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 2")).toInt(), 1);

    // An empty list: no ranks, and whatever was filed under it is gone.
    select(2);
    ops().rankAndRenumber(descending, -1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 2")).toInt(), 0);
}

TEST_F(RankingOperationsTest, MovingTheFirstOfTwoTiedRows)
{
    positions({{1, "50"}, {2, "48"}, {3, "48"}, {4, "40"}});
    ops().rankAndRenumber(descending, -1);
    const int moved = ops().moveToEndOfRank(descending, 2, false);
    EXPECT_EQ(moved, 3);
    EXPECT_EQ(column("NAME1", "DETAILBLOCK"), list({"B1", "B3", "B2", "B4"}));
    EXPECT_EQ(column("RANG"), list({"1", "2", "-", "4"}));

    op.answer(Button::Abort);
    EXPECT_EQ(ops().moveToEndOfRank(descending, 2, true), -1);
    EXPECT_EQ(op.messages.last(),
              QStringLiteral("Bestätigung: Zeile wird an die letzte Position innerhalb des Ranges verschoben"));
}

TEST_F(RankingOperationsTest, PositionAsRankAndAFailureLeavingTheListAsItWas)
{
    positions({{1, "10"}, {2, "10"}, {3, "30"}});
    op.answer(Button::Yes);
    ops().positionAsRank();
    EXPECT_EQ(column("RANG"), list({"1", "2", "3"}));

    test::refuseUpdates(db, QStringLiteral("DETAIL"), QStringLiteral("NEW.RANGPOS_NR = 2"));
    EXPECT_THROW(ops().rankAndRenumber(descending, -1), EngineError);
    EXPECT_EQ(column("RANG"), list({"1", "2", "3"}));
    EXPECT_EQ(column("PUNKTE"), list({"10", "10", "30"}));
    EXPECT_EQ(column("NAME1", "DETAILBLOCK"), list({"B1", "B2", "B3"}));
    EXPECT_TRUE(op.messages.last().startsWith(QStringLiteral("Fehler: UPDATE DETAIL SET RANGPOS_NR = '2'")));
}

TEST_F(RankingOperationsTest, Awards)
{
    const struct
    {
        QStringList ranks;
        const char *quantity;
        bool count;
        int awarded;
    } cases[] = {
        {list({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}), "30", false, 3},
        {list({"1", "2", "3", "4", "5", "6", "7"}), "50", false, 4},
        {list({"1", "2", "3", "4", "5"}), "2.5", true, 3},
        {list({"1", "2", "3", "", "", "6"}), "3", true, 5},
        {list({"1", "2", "3", "3", "3", "6"}), "3", true, 5},
        {list({"1", "2", ""}), "1", true, 1},
        {list({"", "", ""}), "1", true, 3},
        {list({"1", "2", "3"}), "150", false, 3},
    };
    for (const auto &c : cases) {
        clear();
        QList<Pos> rows;
        for (int i = 0; i < c.ranks.size(); ++i)
            rows.append({i + 1, QString::number(100 - i), QString(), c.ranks.at(i)});
        positions(rows);
        EXPECT_TRUE(ops().distributeAwards(descending, QString::fromLatin1(c.quantity),
                                           c.count ? AwardMode::Count : AwardMode::Percent,
                                           QStringLiteral("Kranz d'or")));
        EXPECT_EQ(column("AUSZEICHNUNG").count(QStringLiteral("Kranz d'or")), c.awarded) << c.quantity;
    }
    for (const char *bad : {"0", "-1", "", "2,5", "x"})
        EXPECT_FALSE(
            ops().distributeAwards(descending, QString::fromLatin1(bad), AwardMode::Count, QStringLiteral("Gold")));
    EXPECT_EQ(op.messages.count(QStringLiteral("Warnung: Es wurde keine gültige Menge angegeben")), 5);

    op.answer(Button::Yes);
    EXPECT_TRUE(ops().clearAwards());
    EXPECT_EQ(column("AUSZEICHNUNG"), list({"-", "-", "-"}));
}

TEST_F(RankingOperationsTest, Totals)
{
    positions({{1, "0"}, {2, "0"}});
    db.exec(QStringLiteral("DELETE FROM DETAIL"));
    const struct
    {
        int block;
        int detail;
        const char *points;
    } details[] = {{1, 1, "9.5"}, {1, 2, "8.25"}, {1, 3, ""}, {2, 1, ""}};
    for (const auto &d : details)
        db.exec(
            QStringLiteral("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, DETAILPOS_NR, PUNKTE) "
                           "VALUES (1, 0, 1, ?, ?, ?)"),
            {d.block, d.detail, QString::fromLatin1(d.points)});
    db.exec(QStringLiteral(
        "INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, PUNKTE) VALUES (1, 0, 1, 2, 'alt')"));
    const struct
    {
        bool average;
        int decimals;
        const char *expected;
    } cases[] = {{false, 0, "18"}, {false, 1, "17.8"}, {false, 3, "17.750"}, {true, 2, "8.88"}};
    for (const auto &c : cases) {
        op.answer(Button::Yes);
        ops().blockTotals(c.average ? PointsTotal::Average : PointsTotal::Sum, c.decimals);
        EXPECT_EQ(
            db.scalar(QStringLiteral("SELECT PUNKTE FROM DETAILBLOCK WHERE RANGPOS_NR = 1 AND DETAILBLOCK_NR = 1"))
                .toString(),
            QString::fromLatin1(c.expected));
    }
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT PUNKTE FROM DETAILBLOCK WHERE RANGPOS_NR = 1 AND DETAILBLOCK_NR = 2"))
                  .toString(),
              QStringLiteral("alt"));

    db.exec(QStringLiteral("UPDATE DETAILBLOCK SET PUNKTE = CASE RANGPOS_NR WHEN 1 THEN '2.5' ELSE '-2.5' END "
                           "WHERE DETAILBLOCK_NR = 1"));
    db.exec(QStringLiteral("DELETE FROM DETAILBLOCK WHERE DETAILBLOCK_NR = 2"));
    op.answer(Button::Yes);
    ops().positionTotals(PointsTotal::Sum, 0);
    EXPECT_EQ(column("PUNKTE"), list({"3", "-3"}));

    db.exec(QStringLiteral("UPDATE DETAIL SET PUNKTE = NULL"));
    db.exec(QStringLiteral("UPDATE DETAILBLOCK SET PUNKTE = NULL"));
    op.answer(Button::Yes);
    EXPECT_FALSE(ops().blockTotals(PointsTotal::Sum, 0));
    op.answer(Button::Yes);
    EXPECT_FALSE(ops().positionTotals(PointsTotal::Sum, 0));
    EXPECT_EQ(op.messages.mid(op.messages.size() - 3),
              list({"Information: Diese Rangliste enthält keine Punkte in den Details",
                    "Bestätigung: Punktetotal pro Rang aus Detailblöcken neu berchnen?",
                    "Information: Diese Rangliste enthält keine Punkte in den Detailblöcken"}));
}
