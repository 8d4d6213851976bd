#include "reports/GroupListLayout.h"
#include "reports/GroupMedalLayout.h"
#include "reports/IndividualListLayout.h"
#include "reports/IndividualMedalLayout.h"
#include "reports/Report.h"
#include "reports/ReportParts.h"
#include "reports/SingleLineMedalLayout.h"
#include "reports/TeamListLayout.h"
#include "reports/TeamMedalLayout.h"
#include "support/QtPrinters.h"

#include <QImage>
#include <QPainter>
#include <QSqlField>

#include <gtest/gtest.h>

using namespace rq::reports;

namespace {

// A row with these fields set (all text); every other field is missing, i.e. empty.
QSqlRecord row(const QStringList &filled, const QString &text = QStringLiteral("x"))
{
    QSqlRecord r;
    for (const QString &name : filled) {
        r.append(QSqlField(name, QMetaType(QMetaType::QString)));
        r.setValue(name, text);
    }
    return r;
}

QStringList fields(const char *pattern, std::initializer_list<int> numbers)
{
    QStringList out;
    for (int n : numbers)
        out << QString::fromLatin1(pattern).arg(n);
    return out;
}

// The texts of a document's items, page by page, without empty ones.
QStringList texts(const ReportDocument &doc)
{
    QStringList out;
    for (const ReportPage &page : doc.pages) {
        for (const ReportItem &item : page.items) {
            if (item.kind == ReportItem::Kind::Text && !item.text.isEmpty())
                out << item.text;
        }
    }
    return out;
}

}  // namespace

TEST(Layouts, TeamBandsKeepMembersUpToTheLastWithPoints)
{
    const struct
    {
        QStringList filled;
        int members;
        int ranking;  // units of 1/96 inch
        int medal;  // units of 1/153.6 inch
    } cases[] = {
        {fields("PUNKTE_%1", {1, 2, 3}), 3, 118, 62},
        {fields("PUNKTE_%1", {1, 3}), 3, 118, 62},  // the second member without points stays
        {QStringList{QStringLiteral("NAME_4"), QStringLiteral("DETAILTEXT1_4")}, 0, 22, 17},  // no points: no member
        {fields("PUNKTE_%1", {6}), 6, 214, 107},
    };
    for (const auto &c : cases) {
        const QSqlRecord r = row(c.filled);
        EXPECT_EQ(TeamListLayout::printedMembers(r), c.members) << c.filled.join(u',').toStdString();
        EXPECT_EQ(TeamListLayout::bandHeight(r), c.ranking);
        EXPECT_EQ(TeamMedalLayout::bandHeight(r), c.medal);
    }
}

TEST(Layouts, GroupAndIndividualBandsFollowTheirDetailTexts)
{
    const struct
    {
        QStringList filled;
        int group;  // ranking list, 1/96 inch
        int groupMedal;  // 1/153.6 inch
    } groups[] = {
        {fields("DETAILTEXT%1_2", {1, 2, 3, 4}), 84, 62},
        {QStringList(), 20, 2},
        {fields("DETAILTEXT%1_4", {1}), 36, 17},
        {fields("DETAILTEXT4_%1", {4}), 84, 62},  // only block 4: the full medal band, though block 4 is not printed
        {fields("DETAILTEXT6_%1", {1}), 116, 2},  // the medal list counts four detail rows
    };
    for (const auto &c : groups) {
        EXPECT_EQ(GroupListLayout::bandHeight(row(c.filled)), c.group) << c.filled.join(u',').toStdString();
        EXPECT_EQ(GroupMedalLayout::bandHeight(row(c.filled)), c.groupMedal) << c.filled.join(u',').toStdString();
    }
    for (int highest = 0; highest <= 4; ++highest) {
        const QSqlRecord r = row(highest ? QStringList{QStringLiteral("DETAILTEXT20_%1").arg(highest)} : QStringList());
        EXPECT_EQ(positionBandHeight(r), 20 + 16 * highest);
        EXPECT_EQ(IndividualMedalLayout::bandHeight(r), 17 + 15 * highest);
    }
}

TEST(Layouts, MedalDetailColumns)
{
    const struct
    {
        int n;
        int printed;
        int step;
    } single[] = {{9, 6, 80}, {6, 6, 80}, {2, 2, 242}, {1, 1, 485}, {0, 1, 485}, {-1, 1, -485}};
    for (const auto &c : single) {
        const ColumnLayout l = SingleLineMedalLayout::columns(c.n);
        EXPECT_EQ(l.visible.count(true), c.printed) << c.n;
        EXPECT_EQ(l.step, c.step) << c.n;
        EXPECT_EQ(l.x.first(), 599);
        EXPECT_EQ(l.x.size(), 6);
    }
    EXPECT_EQ(SingleLineMedalLayout::columns(2).x.mid(0, 2), QList<int>({599, 841}));
    const struct
    {
        int n;
        int printed;
        int step;
    } individual[] = {{5, 5, 221}, {20, 20, 55}, {25, 20, 55}, {0, 1, 1107}};
    for (const auto &c : individual) {
        const ColumnLayout l = IndividualMedalLayout::columns(c.n);
        EXPECT_EQ(l.visible.count(true), c.printed) << c.n;
        EXPECT_EQ(l.step, c.step) << c.n;
        EXPECT_EQ(l.x.first(), 103);
    }
}

TEST(Layouts, MedalListsPrintWhatTheirBandsHold)
{
    QStringList team = {QStringLiteral("KATE"), QStringLiteral("RANG"), QStringLiteral("VEREIN"),
                        QStringLiteral("PUNKTE_1")};
    team << fields("DETAILTEXT%1_1", {1, 2, 3, 4, 5, 6});
    QSqlRecord r = row(team);
    r.setValue(QStringLiteral("DETAILTEXT6_1"), QStringLiteral("sechs"));
    const QStringList printed = texts(TeamMedalLayout().build({r}, LayoutOptions()));
    EXPECT_EQ(printed.count(QStringLiteral("x")), 8);  // KATE, RANG ("x."), VEREIN, PUNKTE_1 and details 1..5
    EXPECT_FALSE(printed.contains(QStringLiteral("sechs")));  // the sixth detail is not in the medal list
    EXPECT_TRUE(texts(TeamListLayout().build({r}, LayoutOptions())).contains(QStringLiteral("sechs")));

    // A group whose only texts are in block 4: the band is full, block 4 not printed.
    const QSqlRecord group =
        row(QStringList{QStringLiteral("KATE"), QStringLiteral("DETAILTEXT1_4")}, QStringLiteral("vier"));
    const ReportDocument doc = GroupMedalLayout().build({group}, LayoutOptions());
    EXPECT_EQ(texts(doc).count(QStringLiteral("vier")), 1);  // KATE only
    EXPECT_EQ(doc.title, QStringLiteral("Katvier"));
}

TEST(Layouts, ARunOnTextKeepsEveryCharacter)
{
    // The points column of the individual list: 12.8 mm, right-aligned, 10 pt bold.
    ReportItem points = rightText(168.8, 1.1, 12.8, QStringLiteral("12345678.123"), 10, true);
    const double width = textWidth(points);
    ASSERT_GT(width, points.box.width());  // it does not fit its box
    QList<ReportItem> line = {points};
    settleTexts(line);
    EXPECT_EQ(line.first().text, QStringLiteral("12345678.123"));
    EXPECT_DOUBLE_EQ(line.first().pointSize, 10);  // alone on its line it keeps its size and runs on to the left

    // Painted, its ink starts left of its box by what it overhangs: nothing is cut.
    ReportDocument doc;
    doc.pages.append(ReportPage{line});
    QImage page(2100, 800, QImage::Format_RGB32);
    page.setDotsPerMeterX(10000);  // 10 pixels per mm, as painted
    page.setDotsPerMeterY(10000);
    page.fill(Qt::white);
    QPainter painter(&page);
    paintPage(doc, 0, painter, 10);  // 10 pixels per mm
    painter.end();
    const QRect ink = [&page] {
        QRect r;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (qGray(page.pixel(x, y)) < 128)
                    r |= QRect(x, y, 1, 1);
        return r;
    }();
    const double boxLeft = (points.box.left() + doc.margins.left()) * 10;
    const double boxRight = (points.box.right() + doc.margins.left()) * 10;
    EXPECT_LT(ink.left(), boxLeft - 50);  // well beyond the left edge of its box
    EXPECT_NEAR(ink.left(), boxRight - width * 10, 15);
    EXPECT_LE(ink.right(), boxRight + 2);
}

TEST(Layouts, ARunOnTextGivesWayToItsNeighbour)
{
    // A FLEX detail longer than its column, and the next column's text on the same line.
    const struct
    {
        double columnWidth;
        const char *left;
        bool clears;
    } cases[] = {
        {20.0, "Weitsprung: 10", true},  // fits: untouched
        {13.0, "Weitsprung: 10", true},  // set smaller until it clears the neighbour
        {8.0, "Weitsprung: 5.25 [1.5] (812.00)", false},  // still too long: its smallest form, whole
    };
    for (const auto &c : cases) {
        QList<ReportItem> items = {text(16.9, 5.3, c.columnWidth, QString::fromLatin1(c.left), 6),
                                   text(16.9 + c.columnWidth, 5.3, 20, QStringLiteral("Hoch: 1.80"), 6)};
        const bool fits = textWidth(items.at(0)) <= c.columnWidth;
        settleTexts(items);
        const ReportItem &settled = items.at(0);
        EXPECT_EQ(settled.text, QString::fromLatin1(c.left));
        EXPECT_GE(settled.pointSize, 5) << c.left;  // at most one point smaller
        EXPECT_GE(settled.stretch, 80) << c.left;
        if (fits) {
            EXPECT_TRUE(settled.pointSize == 6 && settled.stretch == 100) << c.left;
        }
        EXPECT_EQ(items.at(1).pointSize, 6);  // the neighbour stays as it is
        const double end = settled.box.left() + textWidth(settled);
        EXPECT_EQ(end + 0.5 <= items.at(1).box.left() + 1e-6, c.clears) << c.left;  // a gap stays
        if (!c.clears) {
            EXPECT_TRUE(settled.pointSize == 5 && settled.stretch == 80) << c.left;
        }
    }
    // A text on another line is no neighbour.
    QList<ReportItem> apart = {text(16.9, 5.3, 10, QStringLiteral("Weitsprung: 5.25 (812)"), 6),
                               text(26.9, 9.5, 10, QStringLiteral("Hoch"), 6)};
    settleTexts(apart);
    EXPECT_EQ(apart.at(0).pointSize, 6);
    // A text that runs on to the right gives way to the text after it, never to
    // the one before it: setting it smaller would not move its start.
    QList<ReportItem> after = {text(16.9, 5.3, 20, QStringLiteral("Hoch: 1.80"), 6),
                               text(36.9, 5.3, 8, QStringLiteral("Weitsprung: 5.25 (812)"), 6)};
    after[0].box.setWidth(textWidth(after.at(0)));
    after[1].box.moveLeft(after.at(0).box.right());
    settleTexts(after);
    EXPECT_TRUE(after.at(1).pointSize == 6 && after.at(1).stretch == 100);
}
