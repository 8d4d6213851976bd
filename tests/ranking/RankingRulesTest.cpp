#include "ranking/PrintPreStage.h"
#include "ranking/RankingRules.h"

#include <gtest/gtest.h>

using namespace rq::ranking;

namespace {

// Positions from "number:points:age:rank" texts; an empty part is missing.
QList<Position> positions(const QStringList &specs)
{
    QList<Position> list;
    for (const QString &spec : specs) {
        const QStringList parts = spec.split(u':');
        Position p;
        p.number = parts.value(0).toInt();
        p.points = parts.value(1);
        if (!p.points.isEmpty())
            p.pointsValue = p.points.toDouble();
        if (!parts.value(2).isEmpty())
            p.ageValue = parts.value(2).toDouble();
        p.rank = parts.value(3);
        if (!p.rank.isEmpty())
            p.rankValue = p.rank.toLongLong();
        list.append(p);
    }
    return list;
}

QString numbers(const QList<Position> &list)
{
    QStringList out;
    for (const Position &p : list)
        out << QString::number(p.number);
    return out.join(u' ');
}

}  // namespace

TEST(RankingRules, OrderRanksAndNumbers)
{
    const struct
    {
        QStringList rows;
        SortSettings sort;
        const char *order;
        const char *ranks;  // "-" for an empty rank
    } cases[] = {
        // ties, and a later row with equal points keeps its place behind the first
        {{"1:50", "2:50", "3:48", "4:45"}, {}, "1 2 3 4", "1 - 3 4"},
        {{"4:45", "3:48", "2:48", "1:50"}, {}, "1 2 3 4", "1 2 - 4"},
        // gaps in the numbers
        {{"2:10", "5:30", "9:20"}, {}, "5 9 2", "1 2 3"},
        // ascending: lower first; a missing value lies below every number
        {{"1:11.0", "2:10.5", "3:11.0"}, {true, false}, "2 1 3", "1 2 -"},
        {{"1:5", "2:", "3:7"}, {true, false}, "2 1 3", "1 2 3"},
        {{"1:5", "2:", "3:7"}, {}, "3 1 2", "1 2 3"},
        // the first row is compared with -1; a missing value counts as 0
        {{"1:-1", "2:-3"}, {}, "1 2", "- 2"},
        {{"1:", "2:0"}, {}, "2 1", "1 -"},
        // by age: the higher JAHRGANG first among equal points, still a tie
        {{"1:48:1985", "2:48:1990", "3:40:2000"}, {false, true}, "2 1 3", "1 - 3"},
        {{"1:48:", "2:48:1990"}, {true, true}, "2 1", "1 -"},
    };
    for (const auto &c : cases) {
        QList<Position> list = positions(c.rows);
        sortPositions(list, c.sort);
        EXPECT_EQ(numbers(list), QString::fromLatin1(c.order)) << c.rows.join(u' ').toStdString();
        QStringList ranks = competitionRanks(list);
        for (QString &r : ranks)
            r = r.isEmpty() ? QStringLiteral("-") : r;
        EXPECT_EQ(ranks.join(u' '), QString::fromLatin1(c.ranks)) << c.rows.join(u' ').toStdString();
        const auto renumbered = renumbering(list);
        for (qsizetype i = 0; i < list.size(); ++i)
            EXPECT_EQ(renumbered.at(i), std::make_pair(list.at(i).number, int(i + 1)));
    }
}

TEST(RankingRules, SameRanksFillFromAbove)
{
    const struct
    {
        QStringList ranks;
        QStringList filled;  // "=" keeps the row's own rank
    } cases[] = {
        {{"1", "", "3", "4"}, {"=", "1", "=", "="}},
        {{"", "2", "", ""}, {"1", "=", "2", "2"}},
        {{"x", ""}, {"=", "x"}},
        {{}, {}},
    };
    for (const auto &c : cases) {
        QList<Position> list;
        for (const QString &r : c.ranks) {
            Position p;
            p.rank = r;
            list.append(p);
        }
        QStringList filled;
        for (const auto &f : sameRanks(list))
            filled << f.value_or(QStringLiteral("="));
        EXPECT_EQ(filled, c.filled) << c.ranks.join(u',').toStdString();
    }
}

TEST(RankingRules, AwardLimitsAndRows)
{
    const struct
    {
        QStringList ranks;
        double quantity;
        AwardMode mode;
        qsizetype awarded;
    } cases[] = {
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, 30, AwardMode::Percent, 3},
        {{"1", "2", "3", "4", "5", "6", "7"}, 50, AwardMode::Percent, 4},  // 3.5 rounds up
        {{"1", "2", "3", "4", "5"}, 2.5, AwardMode::Count, 3},
        {{"1", "2", "3", "", "", "6"}, 3, AwardMode::Count, 5},  // a tie group within the limit, whole
        {{"1", "2", "3", "3", "3", "6"}, 3, AwardMode::Count, 5},
        {{"1", "2", ""}, 1, AwardMode::Count, 1},  // the walk stops at the first rank beyond
        {{"", "", ""}, 1, AwardMode::Count, 3},  // never ranked: every rank reads 0
        {{"1", "2", "3"}, 150, AwardMode::Percent, 3},
    };
    for (const auto &c : cases) {
        QList<Position> list;
        for (const QString &r : c.ranks) {
            Position p;
            p.rank = r;
            if (!r.isEmpty())
                p.rankValue = r.toLongLong();
            list.append(p);
        }
        EXPECT_EQ(awardedRows(list, awardLimit(list.size(), c.quantity, c.mode)), c.awarded) << c.quantity;
    }
}

TEST(RankingRules, Totals)
{
    const QList<PointsEntry> entries = {{{1, 1}, QStringLiteral("9.5")},
                                        {{1, 1}, QStringLiteral("8.25")},
                                        {{1, 1}, QString()},
                                        {{1, 2}, QString()},
                                        {{2, 1}, QStringLiteral("2.5")},
                                        {{3, 1}, QStringLiteral("-2.5")},
                                        {{4, 1}, QStringLiteral("7x")}};
    const struct
    {
        PointsTotal total;
        int decimals;
        QStringList texts;  // in key order; (1, 2) has no points and gets no total
    } cases[] = {
        {PointsTotal::Sum, 0, {"18", "3", "-3", "7"}},
        {PointsTotal::Sum, 1, {"17.8", "2.5", "-2.5", "7.0"}},
        {PointsTotal::Sum, 3, {"17.750", "2.500", "-2.500", "7.000"}},
        {PointsTotal::Average, 2, {"8.88", "2.50", "-2.50", "7.00"}},
    };
    for (const auto &c : cases) {
        QStringList texts;
        QList<QList<int>> keys;
        for (const Total &t : totals(entries, c.total, c.decimals)) {
            texts << t.text;
            keys << t.key;
        }
        EXPECT_EQ(texts, c.texts) << c.decimals;
        EXPECT_EQ(keys, (QList<QList<int>>{{1, 1}, {2, 1}, {3, 1}, {4, 1}}));
    }
}

TEST(PrintPreStageRules, GroupsPackingAndUnplacedDetails)
{
    const auto detail = [](int block, int nr, const char *leistung, const char *extra = "", const char *points = "",
                           const char *text = "") {
        DetailEntry d;
        d.position = 1;
        d.block = block;
        d.detailNr = nr;
        d.disziplin = QStringLiteral("Weit");
        d.leistung = QString::fromLatin1(leistung);
        d.zusatzwert = QString::fromLatin1(extra);
        d.punkte = QString::fromLatin1(points);
        d.detailText = QString::fromLatin1(text);
        return d;
    };
    const auto groups = [](const DetailLine &line) {
        QStringList out;
        for (int i = 0; i < kDetailGroups; ++i) {
            const QString &text = line.groups[i][int(DetailField::Detailtext)];
            if (!text.isEmpty())
                out << QStringLiteral("%1=%2").arg(i + 1).arg(text);
        }
        return out.join(u' ');
    };
    const struct
    {
        const char *layout;
        const char *perLine;
        QList<DetailEntry> details;
        QStringList lines;  // the groups of each block's line
        QList<int> unplaced;
    } cases[] = {
        // without FLEX a detail keeps the group of its number; 21 has none
        {"EINZEL",
         "3",
         {detail(1, 2, "5.20"), detail(1, 5, "6.10", "", "600"), detail(1, 21, "9.99")},
         {"2=5.20 5=6.10 (600)"},
         {21}},
        // FLEX packs from group 1 and leaves out empty, "*" and text-less details
        {"EINZEL",
         "FLEX",
         {detail(1, 1, "10"), detail(1, 2, ""), detail(1, 3, "*"), detail(1, 4, "12", "", "120")},
         {"1=Weit: 10 2=Weit: 12 (120)"},
         {}},
        {"TEAM", "FLEX", {detail(1, 1, "10", "", "", "Sprung"), detail(1, 2, "11", "", "", "")}, {"1=Sprung"}, {}},
        // other layouts print the stored text; every block gets its own line
        {"GRUPPE",
         "AUTO",
         {detail(1, 1, "7", "", "", " Lauf "), detail(2, 3, "8", "", "", "Wurf")},
         {"1=Lauf", "3=Wurf"},
         {}},
        {"PAAR", "", {detail(1, 0, "7", "3")}, {""}, {0}},
    };
    for (const auto &c : cases) {
        const PreStage stage =
            buildPreStage(c.details, QString::fromLatin1(c.layout), QString::fromLatin1(c.perLine), false);
        QStringList lines;
        for (const DetailLine &line : stage.lines)
            lines << groups(line);
        EXPECT_EQ(lines, c.lines) << c.layout << " " << c.perLine;
        EXPECT_EQ(stage.unplaced, c.unplaced) << c.layout << " " << c.perLine;
    }
    EXPECT_EQ(detailLineColumn(DetailField::Leistung, 7), QStringLiteral("LEISTUNG7"));
}
