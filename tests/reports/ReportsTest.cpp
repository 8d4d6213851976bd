#include "common/Errors.h"
#include "db/Database.h"
#include "ranking/PrintPreStage.h"
#include "ranking/RankingList.h"
#include "reports/IndividualListLayout.h"
#include "reports/PreStageTextFile.h"
#include "reports/ReportDispatch.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::reports;

namespace {

QSqlRecord record(const QList<std::pair<QString, QString>> &values)
{
    QSqlRecord r;
    for (const auto &[name, value] : values) {
        r.append(QSqlField(name, QMetaType(QMetaType::QString)));
        r.setValue(name, value);
    }
    return r;
}

class ReportsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec(QStringLiteral(
            "INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, SPARTE_D, KATEGORIE_D, LAYOUT, DETAILS_PRO_ZEILE, "
            "RANG_TITEL, NAME1_TITEL, PUNKTE_TITEL, DETAIL1_TITEL) VALUES (12, 0, 'Leichtathletik', "
            "'Männer', 'EINZEL', '3', 'Rang', 'Name', 'Punkte', 'Weit')"));
    }
    ranking::RankingList list() { return ranking::RankingList::load(db, op, {12, 0}); }
    void buildPreStage() { ranking::PrintPreStage::build(list(), false); }
    std::optional<ReportDocument> document(bool rules)
    {
        ReportOptions options;
        options.rankSeparators = rules;
        return ReportDispatch::rankingList(list(), options);
    }
    void position(int nr, const char *rank, const char *name, const char *points)
    {
        db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, NAME2, PUNKTE) VALUES "
                               "(12, 0, ?, ?, ?, 'Hans', ?)"),
                {nr, QString::fromLatin1(rank), QString::fromUtf8(name), QString::fromLatin1(points)});
    }
    void detail(int pos, int block, int nr, const char *leistung, const char *extra = "", const char *points = "",
                const char *text = "")
    {
        db.exec(
            QStringLiteral("INSERT OR IGNORE INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, NAME1) "
                           "VALUES (12, 0, ?, ?, 'B')"),
            {pos, block});
        db.exec(QStringLiteral(
                    "INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, DETAILPOS_NR, DISZIPLIN, "
                    "LEISTUNG, ZUSATZWERT, PUNKTE, DETAILTEXT) VALUES (12, 0, ?, ?, ?, 'Weitsprung', ?, ?, ?, ?)"),
                {pos, block, nr, QString::fromLatin1(leistung), QString::fromLatin1(extra), QString::fromLatin1(points),
                 QString::fromLatin1(text)});
    }
    QStringList groups(int pos, int block = 1)
    {
        QStringList out;
        QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM DETAILLINE WHERE RANGPOS_NR = ? AND DETAILBLOCK_NR = ?"),
                              {pos, block});
        if (!q.next())
            return {QStringLiteral("<keine Zeile>")};
        for (int i = 1; i <= 20; ++i) {
            const QString t = q.value(QStringLiteral("DETAILTEXT%1").arg(i)).toString();
            if (!t.isEmpty())
                out << QStringLiteral("%1=%2").arg(i).arg(t);
        }
        return out;
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
};

}  // namespace

TEST(PrintPreStage, DisplayTexts)
{
    using ranking::detailDisplayText;
    EXPECT_EQ(detailDisplayText(QStringLiteral("EINZEL"), QStringLiteral("5.20"), QStringLiteral("1.5"),
                                QStringLiteral("812"), {}, false),
              QStringLiteral("5.20 [1.5] (812)"));
    EXPECT_EQ(detailDisplayText(QStringLiteral("EINZEL"), QStringLiteral("5.20"), QStringLiteral("1.5"),
                                QStringLiteral("812"), {}, true),
              QStringLiteral("5.20 [1.5]"));
    EXPECT_EQ(detailDisplayText(QStringLiteral("PAAR"), QStringLiteral("7"), QStringLiteral("3"), {}, {}, false),
              QStringLiteral("7 + 3"));
    EXPECT_EQ(
        detailDisplayText(QStringLiteral("TEAM"), QStringLiteral("7"), {}, {}, QStringLiteral("  Sprung 7 "), false),
        QStringLiteral("Sprung 7"));
}

TEST_F(ReportsTest, DetailLinesGroupsAndWarnings)
{
    position(1, "1", "Meier", "50");
    detail(1, 1, 2, "5.20");
    detail(1, 1, 5, "6.10", "", "600");
    detail(1, 1, 21, "9.99");
    db.exec(
        QStringLiteral("INSERT INTO DETAILLINE (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR) VALUES (12, 0, 9, 1)"));
    buildPreStage();
    EXPECT_EQ(groups(1), QStringList({QStringLiteral("2=5.20"), QStringLiteral("5=6.10 (600)")}));
    EXPECT_EQ(op.messages,
              QStringList{QStringLiteral("Warnung: Detail Nr. 21 kann nicht in Druckvorstufe übernommen werden")});
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM DETAILLINE")).toInt(), 1);

    // FLEX packs the details that have a performance.
    db.exec(QStringLiteral("UPDATE RANGLISTE SET DETAILS_PRO_ZEILE = 'FLEX'"));
    db.exec(QStringLiteral("DELETE FROM DETAIL"));
    detail(1, 1, 1, "10");
    detail(1, 1, 2, "");
    detail(1, 1, 3, "*");
    detail(1, 1, 4, "12", "", "120");
    buildPreStage();
    EXPECT_EQ(groups(1), QStringList({QStringLiteral("1=Weitsprung: 10"), QStringLiteral("2=Weitsprung: 12 (120)")}));

    // A list without details keeps no pre-stage rows.
    db.exec(QStringLiteral("DELETE FROM DETAIL"));
    buildPreStage();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM DETAILLINE")).toInt(), 0);
}

TEST_F(ReportsTest, ARebuiltPreStageEqualsOneBuiltFromScratch)
{
    const auto dump = [this] {
        QStringList rows;
        QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM DETAILLINE ORDER BY RANGPOS_NR, DETAILBLOCK_NR"), {});
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i)
                fields << (q.isNull(i) ? QStringLiteral("NULL") : q.value(i).toString());
            rows << fields.join(u'|');
        }
        return rows;
    };
    for (int pos = 1; pos <= 4; ++pos) {
        position(pos, "1", "Meier", "50");
        detail(pos, 1, 1, "5.20", "1.5", "600");
        detail(pos, 1, 2, "6.10");
    }
    detail(2, 2, 1, "4.00");
    buildPreStage();

    // The list changes, and its lines are damaged by hand.
    db.exec(QStringLiteral("UPDATE DETAIL SET LEISTUNG = '5.30' WHERE RANGPOS_NR = 1 AND DETAILPOS_NR = 1"));
    db.exec(QStringLiteral("DELETE FROM DETAIL WHERE RANGPOS_NR = 2 AND DETAILBLOCK_NR = 2"));
    detail(3, 1, 3, "7.00");
    db.exec(QStringLiteral("UPDATE DETAILLINE SET NAME1 = 'falsch', DETAILTEXT2 = NULL WHERE RANGPOS_NR = 4"));
    // A performance whose printed text is longer than the column keeps is cut.
    db.exec(QStringLiteral("UPDATE DETAIL SET LEISTUNG = ? WHERE RANGPOS_NR = 3 AND DETAILPOS_NR = 1"),
            {QString(38, u'x')});
    db.exec(
        QStringLiteral("INSERT INTO DETAILLINE (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR) VALUES (12, 0, 7, 1)"));
    buildPreStage();
    const QStringList rebuilt = dump();

    db.exec(QStringLiteral("DELETE FROM DETAILLINE"));
    buildPreStage();
    EXPECT_EQ(rebuilt, dump());
    EXPECT_EQ(rebuilt.size(), 4);
    buildPreStage();  // and a rebuild of an unchanged list changes nothing
    EXPECT_EQ(rebuilt, dump());
}

TEST_F(ReportsTest, TextFileLines)
{
    EXPECT_EQ(PreStageTextFile::lines(list()), QStringList{QString()});  // no positions: one empty line
    db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = 'SPIEL'"));
    position(1, "1", "Meier", "50");
    db.exec(QStringLiteral("UPDATE RANGPOS SET VEREIN = 'TV Bern', AUSZEICHNUNG = 'Kranz', BEMERKUNGEN = 'gut'"));
    position(2, "2", "Roth", "40");
    const auto lines = PreStageTextFile::lines(list());
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines,
              QStringList({QStringLiteral("12\tLeichtathletik\t\tMänner\t\t\t\tRang\t\t\tPunkte"),
                           QStringLiteral("1\t1\tTV Bern\t\t50\t\tKranz\tgut"), QStringLiteral("2\t2\t\t\t40")}));
    db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = 'XYZ'"));
    EXPECT_FALSE(PreStageTextFile::lines(list()).has_value());
}

TEST(EinzelReport, ColumnsHeightsAndTitles)
{
    const struct
    {
        int n;
        int count;
        int step;
    } cases[] = {{5, 5, 126}, {10, 10, 63}, {15, 15, 42}, {20, 20, 31},
                 {3, 3, 211}, {25, 20, 31}, {0, 1, 634},  {-2, 1, -317}};
    for (const auto &c : cases) {
        const ColumnLayout l = layoutDetailColumns(c.n);
        EXPECT_EQ(l.step, c.step) << c.n;
        EXPECT_EQ(l.visible.count(true), c.count) << c.n;
        EXPECT_EQ(l.x.at(0), 64);
    }

    for (int highest = 0; highest <= 4; ++highest) {
        QList<std::pair<QString, QString>> values;
        if (highest > 0)
            values.append({QStringLiteral("DETAILTEXT7_%1").arg(highest), QStringLiteral("x")});
        values.append({QStringLiteral("NAME1_4"), QStringLiteral("nur Name")});
        EXPECT_EQ(positionBandHeight(record(values)), 20 + 16 * highest);
    }

    const auto none = [] { return QStringList(); };
    const auto twelve = [] {
        QStringList t;
        for (int i = 1; i <= 20; ++i)
            t << (i <= 12 ? QStringLiteral("D%1").arg(i) : QString());
        return t;
    };
    const auto count = [](const char *perLine, const char *title3, const std::function<QStringList()> &autoTitles) {
        return resolveDetailColumnCount(record({{QStringLiteral("DETAILS_PRO_ZEILE"), QString::fromLatin1(perLine)},
                                                {QStringLiteral("DETAIL3_TITEL"), QString::fromLatin1(title3)}}),
                                        autoTitles);
    };
    EXPECT_EQ(count("8", "x", none).count, 8);
    EXPECT_EQ(count("0", "", none).count, 0);
    EXPECT_EQ(count("AUTO", "Weit", twelve).count, 3);
    EXPECT_FALSE(count("AUTO", "Weit", twelve).automatic);
    EXPECT_EQ(count("AUTO", "", twelve).count, 12);
    EXPECT_TRUE(count("", "", twelve).automatic);
    EXPECT_EQ(count("xyz", "", twelve).count, 15);
}

TEST_F(ReportsTest, RulesPairsAndPdf)
{
    position(1, "1", "Meier", "50");
    position(2, "", "Müller", "50");
    position(3, "3", "Zürcher", "45");
    for (int b = 1; b <= 5; ++b)
        detail(1, b, 1, "5.50", "", "", "");
    const auto rulesAt = [](const ReportDocument &d) {
        int lines = 0;
        for (const ReportItem &item : d.pages.first().items)
            lines += item.kind == ReportItem::Kind::Line ? 1 : 0;
        return lines - 2;  // the column header's two rules
    };
    const auto withRules = document(true);
    ASSERT_TRUE(withRules.has_value());
    EXPECT_EQ(rulesAt(*withRules), 2);  // positions 1 and 3 open a rank
    EXPECT_EQ(rulesAt(*document(false)), 0);
    EXPECT_EQ(withRules->title, QStringLiteral("List12"));
    const QStringList text = plainText(*withRules);
    EXPECT_TRUE(text.join(u'\n').contains(QStringLiteral("1.  Meier Hans")));
    EXPECT_EQ(text.filter(QStringLiteral("5.50")).size(), 4);  // the fifth block is not printed

    db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = 'PAAR', JAHRGANG_TITEL = 'Jg.'"));
    db.exec(QStringLiteral("UPDATE RANGPOS SET JAHRGANG = '1990'"));
    const QString pair = plainText(*document(true)).join(u'\n');
    EXPECT_TRUE(pair.contains(QStringLiteral("Meier / Hans")));
    EXPECT_FALSE(pair.contains(QStringLiteral("1990")));
    EXPECT_FALSE(pair.contains(QStringLiteral("Jg.")));

    // A real PDF: many positions over several pages, read back with pdftotext.
    db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = 'EINZEL'"));
    for (int p = 4; p <= 60; ++p)
        position(p, QByteArray::number(p).constData(), "Käser", "10");
    const auto big = document(true);
    ASSERT_TRUE(big.has_value());
    ASSERT_GT(big->pages.size(), 1);
    const QString pdf = temp.dir.filePath(QStringLiteral("List12.pdf"));
    writePdf(*big, pdf);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(process.waitForFinished(20000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_EQ(out.count(u'\f'), big->pages.size());
    for (const char *expected :
         {"Leichtathletik", "Männer", "Meier Hans", "Zürcher Hans", "60.", "Rang", "Punkte", "Weit"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(expected))) << expected;
}

TEST_F(ReportsTest, DispatchMessages)
{
    EXPECT_FALSE(document(true).has_value());
    EXPECT_EQ(op.messages.last(), QStringLiteral("Warnung: Kein Daten für Rangliste vorhanden"));
    db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = 'einzel'"));
    EXPECT_FALSE(document(true).has_value());
    EXPECT_EQ(op.messages.last(), QStringLiteral("Warnung: Kein Report für den Layouttyp einzel vorhanden"));
}

namespace {

// pdftotext's text of a PDF file, or nothing when the tool is missing.
std::optional<QString> pdfText(const QString &pdf, const QStringList &options = {})
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(QStringLiteral("pdftotext"), options + QStringList{pdf, QStringLiteral("-")});
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

TEST_F(ReportsTest, EveryLayoutPrintsItsListAndItsMedalList)
{
    db.exec(
        QStringLiteral("UPDATE RANGLISTE SET SPARTE_F = 'Athlétisme', KLASSE_D = 'Herren', VEREIN_TITEL = 'Verein'"));
    position(1, "1", "Meier", "10234.50");
    position(2, "", "Müller", "10234.50");
    position(3, "3", "Zürcher", "98.25");
    db.exec(QStringLiteral("UPDATE RANGPOS SET VEREIN = 'TV Bern ' || RANGPOS_NR"));
    for (int pos = 1; pos <= 3; ++pos) {
        for (int block = 1; block <= 5; ++block) {
            detail(pos, block, 1, "5.50", "", "", block == 5 ? "Block fünf" : "Weit 5.50");
            db.exec(
                QStringLiteral("UPDATE DETAILBLOCK SET PUNKTE = '12.5', NAME1 = 'Mitglied' WHERE DETAILBLOCK_NR = ?"),
                {block});
        }
    }
    const struct
    {
        const char *layout;
        const char *listTitle;
        const char *expect;  // a text of this layout's bands
    } layouts[] = {{"EINZEL", "List12", "Meier Hans"},
                   {"PAAR", "List12", "Meier / Hans"},
                   {"TEAM", "List12", "Mitglied"},
                   {"GRUPPE", "List12-Herren", "TV Bern 1"},
                   {"SPIEL", "List12", "TV Bern 3"}};
    for (const auto &l : layouts) {
        db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = ?"), {QString::fromLatin1(l.layout)});
        for (const bool medal : {false, true}) {
            ReportOptions options;
            const auto doc =
                medal ? ReportDispatch::medalList(list(), options) : ReportDispatch::rankingList(list(), options);
            ASSERT_TRUE(doc.has_value()) << l.layout;
            EXPECT_EQ(doc->title, medal ? QStringLiteral("Kat12-0") : QString::fromLatin1(l.listTitle)) << l.layout;
            const QString pdf = temp.dir.filePath(QStringLiteral("%1-%2.pdf").arg(QLatin1String(l.layout)).arg(medal));
            writePdf(*doc, pdf);
            const auto out = pdfText(pdf);
            if (!out)
                GTEST_SKIP() << "pdftotext is not installed";
            for (const char *expected : {"Leichtathletik", "Athlétisme", "Männer", "10234.50", "1.", "3.", l.expect})
                EXPECT_TRUE(out->contains(QString::fromUtf8(expected))) << l.layout << medal << " " << expected;
            // A tied rank prints nothing.
            EXPECT_FALSE(out->contains(QRegularExpression(QStringLiteral("(^|\\s)2\\.(\\s|$)")))) << l.layout << medal;
            EXPECT_FALSE(out->contains(QStringLiteral("Block fünf")))
                << l.layout << medal;  // blocks 5 and more are absent
        }
    }
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();

    db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = 'einzel'"));
    EXPECT_FALSE(ReportDispatch::medalList(list(), ReportOptions()).has_value());
    EXPECT_EQ(op.messages.last(), QStringLiteral("Warnung: Kein Report für den Layouttyp einzel vorhanden"));
    db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = 'SPIEL'"));
    db.exec(QStringLiteral("DELETE FROM RANGPOS"));
    EXPECT_FALSE(ReportDispatch::medalList(list(), ReportOptions()).has_value());
    EXPECT_EQ(op.messages.last(), QStringLiteral("Warnung: Kein Daten für Rangliste vorhanden"));
}

TEST_F(ReportsTest, TheIntroLeavesItsSpaceOnPageOneOnly)
{
    for (int p = 1; p <= 120; ++p)
        position(p, QByteArray::number(p).constData(), "Käser", "10");
    ReportOptions options;
    options.introMm = 30;
    const auto doc = ReportDispatch::medalList(list(), options);
    ASSERT_TRUE(doc.has_value());
    ASSERT_GE(doc->pages.size(), 2);
    const QString pdf = temp.dir.filePath(QStringLiteral("Kat12-0.pdf"));
    writePdf(*doc, pdf);
    const auto out = pdfText(pdf, {QStringLiteral("-bbox")});
    if (!out)
        GTEST_SKIP() << "pdftotext is not installed";
    // The y of the word "Leichtathletik" on each page, in points.
    QList<double> tops;
    const QRegularExpression word(
        QStringLiteral("<word xMin=\"[0-9.]+\" yMin=\"([0-9.]+)\"[^>]*>Leichtathletik</word>"));
    for (const QString &page : out->split(QStringLiteral("<page "))) {
        const auto m = word.match(page);
        if (m.hasMatch())
            tops << m.captured(1).toDouble();
    }
    ASSERT_GE(tops.size(), 2);
    EXPECT_NEAR(tops.at(0) - tops.at(1), 30 * 72 / 25.4, 0.5);
}

TEST_F(ReportsTest, APdfThatCannotBeWrittenIsAnErrorAndLeavesNoFile)
{
    position(1, "1", "Meier", "50");
    const auto doc = ReportDispatch::rankingList(list(), ReportOptions());
    ASSERT_TRUE(doc.has_value());
    const QString missing = temp.dir.filePath(QStringLiteral("fehlt/List12.pdf"));
    try {
        writePdf(*doc, missing);
        FAIL() << "no error";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().contains(missing)) << e.message().toStdString();
    }
    // A directory of that name stays as it is.
    const QString directory = temp.dir.filePath(QStringLiteral("Kat12-0.pdf"));
    QDir().mkpath(directory + QStringLiteral("/inhalt"));
    EXPECT_THROW(writePdf(*doc, directory), FileError);
    EXPECT_TRUE(QFileInfo(directory + QStringLiteral("/inhalt")).isDir());
    // A disk that fills up on the way: an error, and the PDF written before stays whole.
    const QString pdf = temp.dir.filePath(QStringLiteral("List12.pdf"));
    writePdf(*doc, pdf);
    const QByteArray before = test::readBytes(pdf);
    ASSERT_GT(before.size(), 2000);
    {
        const test::FileSizeLimit full(1024);
        EXPECT_THROW(writePdf(*doc, pdf), FileError);
    }
    EXPECT_EQ(test::readBytes(pdf), before);
    EXPECT_EQ(ReportDispatch::templateFile(temp.dir.path(), {12, 0}), temp.dir.path() + QStringLiteral("/Kat12-0.pdf"));
    EXPECT_EQ(ReportDispatch::templateFile(QStringLiteral("/x/PDF-"), {7, 2}), QStringLiteral("/x/PDF-Kat7-2.pdf"));
}
