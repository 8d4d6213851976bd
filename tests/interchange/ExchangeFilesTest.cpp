#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "db/Database.h"
#include "interchange/RankingListExport.h"
#include "interchange/RankingListImport.h"
#include "interchange/TextTable.h"
#include "interchange/TextTableImport.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::interchange;

namespace {

const QDateTime kStamp(QDate(2026, 12, 9), QTime(14, 5, 33));

// Every row of a table as text, NULL shown as "<NULL>", in key order.
QStringList dump(db::Database &db, const QString &table)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2, 3, 4, 5").arg(table), {});
    QStringList rows;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < q.record().count(); ++i)
            fields << (q.isNull(i) ? QStringLiteral("<NULL>") : q.value(i).toString());
        rows << fields.join(u'|');
    }
    return rows;
}

QStringList dumpList(db::Database &db)
{
    QStringList all;
    for (const char *table : {"RANGLISTE", "RANGPOS", "DETAILBLOCK", "DETAIL"})
        all << QString::fromLatin1(table) << dump(db, QString::fromLatin1(table));
    return all;
}

class ExchangeFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // List 12/0 with two positions, blocks and details: a quote, umlauts,
        // empty fields and a value of blanks only.
        run("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, SPARTE_D, KATEGORIE_D, KLASSE_D, NAME1_TITEL, LAYOUT, "
            "VERSION) VALUES (12, 0, 'Geräteturnen', 'Jugend Mädchen', 'Kl. 1', 'Name', 'EINZEL', '7')");
        run("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, NAME2, VEREIN, PUNKTE, BEMERKUNGEN) "
            "VALUES (12, 0, 1, '1', 'Müller', 'Jürg', 'O''Brien', '38.50', '   ')");
        run("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, PUNKTE) "
            "VALUES (12, 0, 2, '2', 'Zaugg', '37.00')");
        run("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, NAME1, PUNKTE) "
            "VALUES (12, 0, 1, 1, 'Müller', '38.50')");
        run("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, DETAILPOS_NR, DISZIPLIN, LEISTUNG, "
            "PUNKTE) VALUES (12, 0, 1, 1, 1, 'Boden', '9.50', '9.50')");
        run("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, DETAILPOS_NR, DISZIPLIN, PUNKTE) "
            "VALUES (12, 0, 1, 1, 2, 'Sprung ''A''', '9.00')");
        // Another list that no import of 12/0 may touch.
        run("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, KATEGORIE_D) VALUES (13, 0, 'Andere')");
        run("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, NAME1) VALUES (13, 0, 1, 'Bleibt')");
    }

    void run(const char *sql) { db.exec(QString::fromUtf8(sql)); }
    QString path(const QString &name) const { return QDir(out.path()).filePath(name); }
    QStringList lines(const QString &name) const { return cp1252::readLines(path(name)); }

    // Exports list 12/0 beside `base` with the fixed stamp.
    void exportList(db::Database &from, const QString &base, ExportKind kind = ExportKind::Release, int version = 8)
    {
        RankingListExport(ranking::RankingList::load(from, op, {12, 0})).write(path(base), kind, version, kStamp);
    }
    void importFiles(db::Database &into, const QStringList &names)
    {
        QStringList paths;
        for (const QString &n : names)
            paths << path(n);
        RankingListImport(into, op).importFiles(paths);
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    QTemporaryDir out;
    test::ScriptedOperator op;
};

}  // namespace

TEST(TextTableFields, SplittingAndQuotes)
{
    QString line = QStringLiteral(" a \t\tb c\t 'x' ");
    EXPECT_EQ(takeTabField(line), QStringLiteral("a"));
    EXPECT_EQ(takeTabField(line), QString());
    EXPECT_EQ(takeTabField(line), QStringLiteral("b c"));
    EXPECT_EQ(takeTabField(line), QStringLiteral("'x'"));
    EXPECT_TRUE(line.isEmpty());
    EXPECT_EQ(takeTabField(line), QString());

    const struct
    {
        const char *written;
        const char *read;
    } cases[] = {
        {"'O''Brien'", "O'Brien"}, {"'abc'", "abc"}, {"abc", "abc"}, {"''", "''"}, {"'", "'"},
        {"'abc", "abc"},           {"a'b", "a'b"},   {"''''", "'"},  {"", ""},     {"'x'y'", "x'y"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(removeQuotes(QString::fromUtf8(c.written)), QString::fromUtf8(c.read)) << c.written;
    EXPECT_EQ(quoteField(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
    EXPECT_EQ(headerColumns(QStringLiteral("A\tB\t\tC")), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(RankingListExportNames, VersionsAndSuggestedNames)
{
    for (const auto &[stored, next] : std::initializer_list<std::pair<const char *, int>>{{"", 1},
                                                                                          {"7", 8},
                                                                                          {" 3 ", 4},
                                                                                          {"abc", 1},
                                                                                          {"2.5", 1},
                                                                                          {"99999999999", 1}})
        EXPECT_EQ(RankingListExport::nextVersion(QString::fromLatin1(stored)), next) << stored;
    EXPECT_EQ(RankingListExport::suggestedName({12, 0}, 4, ExportKind::Release), QStringLiteral("12_0_Vers4.txt"));
    EXPECT_EQ(RankingListExport::suggestedName({12, 3}, 8, ExportKind::Development),
              QStringLiteral("12_3_Vers8_dev.txt"));
    EXPECT_EQ(RankingListExport::stampText(kStamp), QStringLiteral("09.12.2026 14:05:33"));
}

TEST_F(ExchangeFilesTest, ExportWritesFourQuotedTablesAndStampsTheList)
{
    exportList(db, QStringLiteral("12_0_Vers8.txt"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("12_0_Vers8.txt"))));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT VERSION || '/' || DATUM FROM RANGLISTE WHERE KAT_NR = 12")).toString(),
              QStringLiteral("8/09.12.2026 14:05:33"));

    const QStringList list = lines(QStringLiteral("LST_12_0_Vers8.txt"));
    ASSERT_EQ(list.size(), 2);
    EXPECT_TRUE(list.at(0).startsWith(QStringLiteral("KAT_NR\tKLASSE_NR\tSPARTE_D\t")));
    EXPECT_TRUE(list.at(0).endsWith(QStringLiteral("\tHERKUNFT\tVERSION\tDATUM")));
    EXPECT_EQ(list.at(0).count(u'\t'), 35);
    EXPECT_TRUE(list.at(1).startsWith(QStringLiteral("'12'\t'0'\t'Geräteturnen'\t\t'Jugend Mädchen'\t")));
    EXPECT_TRUE(list.at(1).endsWith(QStringLiteral("\t'8'\t'09.12.2026 14:05:33'")));

    const QStringList positions = lines(QStringLiteral("POS_12_0_Vers8.txt"));
    ASSERT_EQ(positions.size(), 3);
    EXPECT_EQ(positions.at(0), QStringLiteral("KAT_NR\tKLASSE_NR\tRANGPOS_NR\tRANG\tNAME1\tNAME2\tJAHRGANG\tVEREIN\t"
                                              "KANTON\tPUNKTE\tAUSZEICHNUNG\tBEMERKUNGEN\tVEREIN_ID\tVERBAND_NR\t"
                                              "PREFIX\tORT\tZUSATZ"));
    // The quote doubled; blanks only and NULL give empty fields.
    EXPECT_EQ(positions.at(1),
              QStringLiteral("'12'\t'0'\t'1'\t'1'\t'Müller'\t'Jürg'\t\t'O''Brien'\t\t'38.50'\t\t\t\t\t\t\t"));
    EXPECT_EQ(lines(QStringLiteral("BLK_12_0_Vers8.txt")).size(), 2);
    EXPECT_EQ(lines(QStringLiteral("DET_12_0_Vers8.txt")).at(2),
              QStringLiteral("'12'\t'0'\t'1'\t'1'\t'2'\t'Sprung ''A'''\t\t\t\t'9.00'\t"));

    // CP1252 with CR LF after every line, the last one included.
    const QByteArray bytes = test::readBytes(path(QStringLiteral("POS_12_0_Vers8.txt")));
    EXPECT_TRUE(bytes.endsWith("\t\r\n"));
    EXPECT_TRUE(bytes.contains("'M\xfcller'"));
    EXPECT_EQ(bytes.count("\r\n"), 3);
    EXPECT_EQ(bytes.count('\n'), 3);
}

TEST_F(ExchangeFilesTest, DevelopmentCopyShowsVersionZeroWhileTheListCountsOn)
{
    exportList(db, QStringLiteral("12_0_Vers8_dev.txt"), ExportKind::Development);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT VERSION FROM RANGLISTE WHERE KAT_NR = 12")).toString(),
              QStringLiteral("8"));
    EXPECT_TRUE(
        lines(QStringLiteral("LST_12_0_Vers8_dev.txt")).at(1).endsWith(QStringLiteral("\t'0'\t'09.12.2026 14:05:33'")));
    EXPECT_EQ(lines(QStringLiteral("POS_12_0_Vers8_dev.txt")).size(), 3);
}

TEST_F(ExchangeFilesTest, CommandProposesTheNextVersionAndCancelChangesNothing)
{
    op.answerFile(std::nullopt);
    EXPECT_FALSE(RankingListExport(ranking::RankingList::load(db, op, {12, 0})).run(ExportKind::Release));
    EXPECT_EQ(op.lastDialog.title, QStringLiteral("Druckvorstufe exportieren"));
    EXPECT_EQ(op.lastDialog.fileName, QStringLiteral("12_0_Vers8.txt"));
    EXPECT_EQ(op.lastDialog.filter, QStringLiteral("Text Datei|*.txt"));
    EXPECT_EQ(op.lastDialog.defaultSuffix, QStringLiteral("txt"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT VERSION FROM RANGLISTE WHERE KAT_NR = 12")).toString(),
              QStringLiteral("7"));

    run("UPDATE RANGLISTE SET VERSION = NULL WHERE KAT_NR = 12");
    op.answerFile(path(QStringLiteral("chosen.txt")));
    int shown = 0;
    EXPECT_TRUE(
        RankingListExport(ranking::RankingList::load(db, op, {12, 0})).run(ExportKind::Development, [&] { ++shown; }));
    EXPECT_EQ(op.lastDialog.fileName, QStringLiteral("12_0_Vers1_dev.txt"));
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("DET_chosen.txt"))));
}

TEST_F(ExchangeFilesTest, AFileThatCannotBeWrittenIsNamedAndLeavesNoHalfFile)
{
    // A directory in the way of the position file.
    ASSERT_TRUE(QDir(out.path()).mkdir(QStringLiteral("POS_x.txt")));
    try {
        exportList(db, QStringLiteral("x.txt"));
        FAIL() << "no error";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("POS_x.txt"))) << e.message().toStdString();
    }
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("LST_x.txt"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("BLK_x.txt"))));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(ExchangeFilesTest, RoundTripIntoAFreshDatabaseGivesTheSameRowsAndBytes)
{
    exportList(db, QStringLiteral("12_0_Vers8.txt"));
    test::TempDatabase fresh;
    importFiles(*fresh.db, {QStringLiteral("LST_12_0_Vers8.txt")});
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();

    // Row for row, except that a value of blanks only comes back as NULL:
    // the files have no form for it.
    run("UPDATE RANGPOS SET BEMERKUNGEN = NULL WHERE KAT_NR = 12");
    run("DELETE FROM RANGPOS WHERE KAT_NR = 13");
    run("DELETE FROM RANGLISTE WHERE KAT_NR = 13");
    EXPECT_EQ(dumpList(*fresh.db), dumpList(db));

    // Exported again with the same stamp, every file is byte for byte the same.
    QTemporaryDir again;
    RankingListExport(ranking::RankingList::load(*fresh.db, op, {12, 0}))
        .write(QDir(again.path()).filePath(QStringLiteral("12_0_Vers8.txt")), ExportKind::Release, 8, kStamp);
    for (const char *prefix : {"LST_", "POS_", "BLK_", "DET_"}) {
        const QString name = QString::fromLatin1(prefix) + QStringLiteral("12_0_Vers8.txt");
        EXPECT_EQ(test::readBytes(QDir(again.path()).filePath(name)), test::readBytes(path(name))) << prefix;
    }
}

TEST_F(ExchangeFilesTest, AnyFileOfTheSetLoadsTheWholeListAndReplacesTheStoredOne)
{
    exportList(db, QStringLiteral("12_0_Vers8.txt"));
    run("UPDATE RANGPOS SET BEMERKUNGEN = NULL WHERE KAT_NR = 12");  // blanks only come back as NULL
    const QStringList exported = dumpList(db);
    cp1252::writeLines(path(QStringLiteral("ABC_12_0_Vers8.txt")), {QStringLiteral("not read")});
    // The stored list has a position the file does not have, and other texts.
    run("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, NAME1) VALUES (12, 0, 3, 'Weg')");
    run("UPDATE RANGPOS SET NAME1 = 'Alt' WHERE KAT_NR = 12");
    run("DELETE FROM DETAIL WHERE KAT_NR = 12");

    for (const QStringList &chosen :
         {QStringList{QStringLiteral("POS_12_0_Vers8.txt")}, QStringList{QStringLiteral("ABC_12_0_Vers8.txt")},
          QStringList{QStringLiteral("LST_12_0_Vers8.txt"), QStringLiteral("POS_12_0_Vers8.txt"),
                      QStringLiteral("BLK_12_0_Vers8.txt"), QStringLiteral("DET_12_0_Vers8.txt")}}) {
        importFiles(db, chosen);
        EXPECT_EQ(dumpList(db), exported) << chosen.join(u' ').toStdString();
    }
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
}

TEST_F(ExchangeFilesTest, AFileThatFailsLeavesTheStoredListExactlyAsItWas)
{
    exportList(db, QStringLiteral("12_0_Vers8.txt"));
    run("UPDATE RANGPOS SET NAME1 = 'Vorher' WHERE KAT_NR = 12");
    const QStringList before = dumpList(db);
    // Position 2 again: the file's second position line breaks on the key.
    QStringList pos = lines(QStringLiteral("POS_12_0_Vers8.txt"));
    pos[2] = pos.at(1);
    cp1252::writeLines(path(QStringLiteral("POS_12_0_Vers8.txt")), pos);

    op.answer(Button::Ignore);
    RankingListImport import(db, op);
    import.importFiles({path(QStringLiteral("POS_12_0_Vers8.txt"))});
    EXPECT_EQ(op.messages,
              QStringList{QStringLiteral("Fehler: Tabelle POS_12_0_Vers8.txt kann nicht importiert werden")});
    EXPECT_EQ(import.loadedLists(), 0);
    EXPECT_EQ(import.refusedFiles(), 1);
    ASSERT_EQ(import.failures().size(), 1);
    EXPECT_TRUE(import.failures().first().startsWith(QStringLiteral("POS_12_0_Vers8.txt, Zeile 3: ")));
    EXPECT_EQ(dumpList(db), before);

    // A missing file is an error naming it, before anything changes.
    QFile::remove(path(QStringLiteral("DET_12_0_Vers8.txt")));
    try {
        importFiles(db, {QStringLiteral("LST_12_0_Vers8.txt")});
        FAIL() << "no error";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("DET_12_0_Vers8.txt"))) << e.message().toStdString();
    }
    EXPECT_EQ(dumpList(db), before);
}

TEST_F(ExchangeFilesTest, RefusedNamesAndKeysAskAbortOrIgnore)
{
    const QString header = QStringLiteral("KAT_NR\tKLASSE_NR\tKATEGORIE_D");
    cp1252::writeLines(path(QStringLiteral("LST_bad.txt")), {header, QStringLiteral("'0'\t'0'\t'Null'")});
    cp1252::writeLines(path(QStringLiteral("LST_text.txt")), {header, QStringLiteral("'x'\t'0'\t'Text'")});
    cp1252::writeLines(path(QStringLiteral("AB_x.txt")), {header});
    const QStringList before = dumpList(db);

    op.answer(Button::Ignore);
    op.answer(Button::Ignore);
    op.answer(Button::Abort);
    RankingListImport import(db, op);
    import.importFiles({path(QStringLiteral("AB_x.txt")), path(QStringLiteral("LST_bad.txt")),
                        path(QStringLiteral("LST_text.txt")), path(QStringLiteral("never_read.txt"))});
    EXPECT_EQ(op.messages, QStringList({QStringLiteral("Fehler: Keine Ranglistentabelle gefunden"),
                                        QStringLiteral("Fehler: Tabelle LST_bad.txt ungültig"),
                                        QStringLiteral("Fehler: Tabelle LST_text.txt ungültig")}));
    EXPECT_EQ(dumpList(db), before);
}

TEST_F(ExchangeFilesTest, ImportTakesValuesAsWrittenAndColumnsByName)
{
    // Key columns in another order, an empty header name ending the columns,
    // a field of two quotes, an empty field, and a position of another list.
    cp1252::writeLines(path(QStringLiteral("LST_h.txt")), {QStringLiteral("KLASSE_NR\tKAT_NR\tKATEGORIE_D\t\tKLASSE_D"),
                                                           QStringLiteral("'4'\t'20'\t''\t'ignoriert'\t'ignoriert'")});
    cp1252::writeLines(path(QStringLiteral("POS_h.txt")),
                       {QStringLiteral("KAT_NR\tKLASSE_NR\tRANGPOS_NR\tNAME1\tNAME2"),
                        QStringLiteral("'20'\t'4'\t'1'\t''\t"), QStringLiteral("'21'\t'0'\t'1'\t'Fremd'\t'X'")});
    for (const char *empty : {"BLK_h.txt", "DET_h.txt"})
        cp1252::writeLines(path(QString::fromLatin1(empty)), {QStringLiteral("KAT_NR")});
    importFiles(db, {QStringLiteral("DET_h.txt")});
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
    EXPECT_EQ(dump(db, QStringLiteral("RANGLISTE")).filter(QStringLiteral("20|4|")).size(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT KATEGORIE_D || '/' || coalesce(KLASSE_D, '<NULL>') FROM RANGLISTE "
                                       "WHERE KAT_NR = 20"))
                  .toString(),
              QStringLiteral("''/<NULL>"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME1 FROM RANGPOS WHERE KAT_NR = 20")).toString(),
              QStringLiteral("''"));
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT NAME2 FROM RANGPOS WHERE KAT_NR = 20")).isNull());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME1 FROM RANGPOS WHERE KAT_NR = 21")).toString(),
              QStringLiteral("Fremd"));
}

// ---- text tables into any table --------------------------------------------

class TextTableImportTest : public ::testing::Test
{
protected:
    QString file(const QString &name, const QStringList &lines)
    {
        const QString p = temp.dir.filePath(name);
        cp1252::writeLines(p, lines);
        return p;
    }
    QStringList clubs() { return dump(db, QStringLiteral("VEREIN")); }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    TextTableImport import{db, op};
    const QString header = QStringLiteral("VEREIN_ID\tPREFIX\tORT\tKANTON");
    const QStringList threeClubs = {header, QStringLiteral("1\tTV\tBern\tBE"), QStringLiteral("2\t'SC'\tThun\tBE"),
                                    QStringLiteral("3\tFC\tZug")};
};

TEST_F(TextTableImportTest, AppendsRowsAsWrittenToTheTableTheFileIsNamedAfter)
{
    EXPECT_EQ(TextTableImport::tableNameOf(QStringLiteral("/x/VEREIN.2024.txt")), QStringLiteral("VEREIN"));
    EXPECT_EQ(TextTableImport::tableNameOf(QStringLiteral("/x/ verein ")), QStringLiteral("verein"));

    import.importFile(file(QStringLiteral("VEREIN.txt"), threeClubs));
    // Quotes kept, a short line NULL in the rest, nothing asked.
    EXPECT_EQ(clubs(),
              QStringList({QStringLiteral("1|TV|Bern|BE|<NULL>|<NULL>"), QStringLiteral("2|'SC'|Thun|BE|<NULL>|<NULL>"),
                           QStringLiteral("3|FC|Zug|<NULL>|<NULL>|<NULL>")}));
    EXPECT_EQ(import.storedRows(), 3);
    EXPECT_TRUE(op.messages.isEmpty());

    // Header only: nothing, no question; widths cut as on every write.
    import.importFile(file(QStringLiteral("VEREIN.leer.txt"), {header}));
    import.importFile(file(QStringLiteral("verein.lang.txt"), {header, QStringLiteral("4\t") + QString(50, u'x')}));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT length(PREFIX) FROM VEREIN WHERE VEREIN_ID = 4")).toInt(), 40);
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(TextTableImportTest, EveryRefusedLineAsksWithItsDataLineNumber)
{
    const QString path = file(QStringLiteral("VEREIN.txt"), threeClubs);
    import.importFile(path);
    // The second import of the same file meets the keys of the first on every line.
    for (int i = 0; i < 3; ++i)
        op.answer(Button::Ignore);
    import.importFile(path);
    EXPECT_EQ(op.messages,
              QStringList({QStringLiteral("Warnung: Zeile  1 konnten nicht eingefügt werden! Fehler anzeigen?"),
                           QStringLiteral("Warnung: Zeile  2 konnten nicht eingefügt werden! Fehler anzeigen?"),
                           QStringLiteral("Warnung: Zeile  3 konnten nicht eingefügt werden! Fehler anzeigen?")}));
    EXPECT_EQ(import.refusedLines().size(), 3);
    EXPECT_EQ(import.storedRows(), 0);

    // A column the table lacks refuses every line; Ignore on each stores nothing.
    op.messages.clear();
    op.answer(Button::Ignore);
    op.answer(Button::Ignore);
    import.importFile(file(QStringLiteral("VEREIN.x.txt"),
                           {QStringLiteral("VEREIN_ID\tSTADT"), QStringLiteral("8\tBiel"), QStringLiteral("9\tBiel")}));
    EXPECT_EQ(op.messages.size(), 2);
    ASSERT_EQ(import.refusedLines().size(), 2);
    EXPECT_EQ(import.refusedLines().first().second, QStringLiteral("table VEREIN has no column named STADT"));
    EXPECT_EQ(clubs().size(), 3);
}

TEST_F(TextTableImportTest, AbortAndYesEndTheImportAndKeepTheRowsBefore)
{
    const QStringList lines = {header, QStringLiteral("1\tA"), QStringLiteral("x\tB"), QStringLiteral("2\tC")};
    op.answer(Button::Abort);
    import.importFile(file(QStringLiteral("VEREIN.txt"), lines));
    EXPECT_EQ(clubs(), QStringList{QStringLiteral("1|A|<NULL>|<NULL>|<NULL>|<NULL>")});

    db.exec(QStringLiteral("DELETE FROM VEREIN"));
    op.answer(Button::Yes);
    EXPECT_THROW(import.importFile(file(QStringLiteral("VEREIN.txt"), lines)), EngineError);
    EXPECT_EQ(clubs().size(), 1);
}

TEST_F(TextTableImportTest, AFileNamedAfterNoTableOrEmptyImportsNothing)
{
    try {
        import.importFile(file(QStringLiteral("CLUBS'; DROP TABLE VEREIN.txt"), threeClubs));
        FAIL() << "no error";
    } catch (const EngineError &e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Diese Tabelle gibt es nicht (no such table: CLUBS'; DROP TABLE VEREIN)"));
    }
    EXPECT_TRUE(db.tableExists(QStringLiteral("VEREIN")));
    EXPECT_THROW(import.importFile(file(QStringLiteral("VEREIN.txt"), {})), FileError);
    EXPECT_TRUE(clubs().isEmpty());
}
