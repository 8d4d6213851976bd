#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "db/Database.h"
#include "db/LegacySql.h"
#include "db/TableDefs.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "tools/SqlBackup.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>

#include <gtest/gtest.h>

using namespace rq;
using rq::tools::SqlBackup;
using rq::tools::SqlRestore;

namespace {

// The small database of tests/data/backup/small.sql, filled by plain SQL.
void fillSmall(db::Database &db)
{
    const QStringList sql = {
        R"(INSERT INTO IMPORT VALUES (1, 'FILE', 'C:\daten\a.v2e', 'C:\daten\a.v2e', 'IMPORTIERT'))",
        R"(INSERT INTO IMPORT VALUES (2, 'FILE', NULL, '', 'IMPORTIERT'))",
        R"(INSERT INTO IMPORT VALUES (5, 'FILE', '/tmp/x: y.e2v', '/tmp/x: y.e2v', 'IMPORTIERT'))",
        R"(INSERT INTO PERSON (KAT_ID, PERS_ID, BEMERKUNG, STATUS_ID, AUSZEICHNUNG_ID, NAME, VORNAME, JAHRGANG,
           ZUSATZ1, IMPORT_ID, ZEILENTYP_ID, PKT_VAL) VALUES (1, 7, 'Zeit: 12:30', 1, '3', 'O"Neil', 'Zoë', 1990,
           '12.50', 1, 2, 12.5))",
        R"(INSERT INTO PERSON (KAT_ID, PERS_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) VALUES (1, 3, 0, 2, 2))",
        R"(INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, EINHEIT_ID, STATUS_ID, EINHEIT, DISZIPLIN, NAME, ZUSATZ1,
           ZUSATZ3, IMPORT_ID, ZEILENTYP_ID) VALUES (1, 7, 10, 2, 1, 'Meter', 'Weitsprung', 'd''Artagnan', '5.50',
           '512.00', 1, 1))",
        R"(INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, EINHEIT_ID, STATUS_ID, EINHEIT, DISZIPLIN, IMPORT_ID,
           ZEILENTYP_ID) VALUES (1, 7, 9, 1, 0, 'cm', 'Hochsprung', 1, 1))",
        R"(INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, SPARTE_D, DETAILS_PRO_ZEILE, LAYOUT)
           VALUES (1, 0, 'Leichtathletik', 'AUTO', 'EINZEL'))",
        R"(INSERT INTO VEREIN (VEREIN_ID, PREFIX, ORT) VALUES (3, 'TV', 'Zürich'))",
        R"(INSERT INTO PERSVEREIN VALUES (1, 7, 3))",
    };
    for (const QString &s : sql)
        db.exec(s);
}

// Every row of every table, in a fixed order, as text.
QStringList dump(db::Database &db)
{
    QStringList rows;
    for (const db::TableDef &t : db::tableDefs()) {
        QSqlQuery q =
            db.exec(QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(t.name, t.primaryKey.fields.join(u',')), {});
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << (q.isNull(i) ? QStringLiteral("<NULL>") : q.value(i).toString());
            rows << t.name + u':' + values.join(u'|');
        }
    }
    return rows;
}

}  // namespace

TEST(SqlBackup, FileMatchesTheExpectedLines)
{
    test::TempDatabase temp;
    fillSmall(*temp.db);
    const QString path = temp.dir.filePath(QStringLiteral("RanBase.sql"));
    SqlBackup::writeFile(*temp.db, path);
    const QByteArray expected = test::readBytes(QStringLiteral(RANQUILL_TEST_DATA "/backup/small.sql"));
    ASSERT_FALSE(expected.isEmpty());
    const QList<QByteArray> want = expected.split('\n');
    const QList<QByteArray> got = test::readBytes(path).split('\n');
    ASSERT_EQ(got.size(), want.size());
    for (int i = 0; i < want.size(); ++i)
        EXPECT_EQ(got.at(i), want.at(i)) << "line " << i + 1;
}

TEST(SqlBackup, EmptyDatabaseGivesAnEmptyFileAndUnwritableFileNoFile)
{
    test::TempDatabase temp;
    const QString path = temp.dir.filePath(QStringLiteral("leer.sql"));
    SqlBackup::writeFile(*temp.db, path);
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_THROW(SqlBackup::writeFile(*temp.db, temp.dir.filePath(QStringLiteral("fehlt/x.sql"))), FileError);
}

TEST(SqlBackup, RoundTripGivesBackEveryRowAndTheImportNumbers)
{
    test::TempDatabase source;
    fillSmall(*source.db);
    const QString path = source.dir.filePath(QStringLiteral("RanBase.sql"));
    SqlBackup::writeFile(*source.db, path);

    test::TempDatabase target;
    test::RecordingErrorList errors;
    SqlRestore restore(*target.db, errors);
    restore.restoreFile(path);
    EXPECT_TRUE(errors.lines.isEmpty()) << errors.lines.join(u'\n').toStdString();
    EXPECT_EQ(dump(*target.db), dump(*source.db));
    QSqlQuery q = target.db->exec(QStringLiteral("SELECT group_concat(IMPORT_ID) FROM IMPORT"), {});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("1,2,5"));
    // Numbering goes on after the highest restored number.
    target.db->exec(QStringLiteral("INSERT INTO IMPORT (QUELLE) VALUES ('FILE')"));
    EXPECT_EQ(target.db->scalar(QStringLiteral("SELECT max(IMPORT_ID) FROM IMPORT")).toInt(), 6);
}

TEST(SqlBackup, HandEditedFileWithRefusedAndSplitStatements)
{
    test::TempDatabase temp;
    test::RecordingErrorList errors;
    SqlRestore restore(*temp.db, errors);
    restore.restoreLines({
        QStringLiteral("INSERT INTO VEREIN (VEREIN_ID,PREFIX)"),
        QStringLiteral("   VALUES (\"4\",\"SC\");"),
        QStringLiteral("INSERT INTO LEISTUNG (KAT_ID,PERS_ID,DISZ_ID,STATUS_ID,IMPORT_ID,ZEILENTYP_ID)  VALUES "
                       "(\"9\",\"9\",\"1\",\"0\",\"1\",\"1\");"),
        QStringLiteral("INSERT INTO \"VEREIN.db\" (VEREIN_ID,ORT)  VALUES (\"5\",\"Biel\");"),
    });
    EXPECT_EQ(errors.lines,
              QStringList{QStringLiteral("Zeile konnte nicht importiert werden: INSERT INTO LEISTUNG (KAT_ID,PERS_ID,"
                                         "DISZ_ID,STATUS_ID,IMPORT_ID,ZEILENTYP_ID)  VALUES (\"9\",\"9\",\"1\",\"0\","
                                         "\"1\",\"1\");")});
    EXPECT_TRUE(errors.visible);
    EXPECT_EQ(restore.failedStatements(), 1);
    EXPECT_EQ(temp.db
                  ->scalar(QStringLiteral("SELECT group_concat(VEREIN_ID || PREFIX || coalesce(ORT, '-')) "
                                          "FROM (SELECT * FROM VEREIN ORDER BY 1) v"))
                  .toString(),
              QStringLiteral("4SC-"));
    EXPECT_EQ(temp.db->scalar(QStringLiteral("SELECT ORT FROM VEREIN WHERE VEREIN_ID = 5")).toString(),
              QStringLiteral("Biel"));
}

TEST(SqlBackup, ARefusedImportLineIsReportedAsItStandsInTheFile)
{
    test::TempDatabase temp;
    test::RecordingErrorList errors;
    const QString line =
        QStringLiteral("-1-INSERT INTO IMPORT (QUELLE,PFAD,FILENAME,STATUS)  VALUES (\"FILE\",\"a\",\"a\",\"x\");");
    SqlRestore(*temp.db, errors).restoreLines({line, line});  // the second takes number 1 again
    EXPECT_EQ(errors.lines, QStringList{QStringLiteral("Zeile konnte nicht importiert werden: ") + line});
}

TEST(SqlBackup, RestoreAsksForTheFileAndStopsOnCancel)
{
    test::TempDatabase temp;
    test::RecordingErrorList errors;
    test::ScriptedOperator op;
    op.answerFile(std::nullopt);
    SqlRestore(*temp.db, errors).run(op, temp.dir.path());
    EXPECT_EQ(op.lastDialog.title, QStringLiteral("Daten importieren"));
    EXPECT_EQ(op.lastDialog.fileName, QStringLiteral("RanBase.sql"));
    EXPECT_EQ(op.lastDialog.filter, QStringLiteral("SQL-Dateien (*.sql)|*.sql|Alle Dateien (*.*)|*.*"));
    EXPECT_EQ(op.waitCursors, 0);
    EXPECT_TRUE(op.reports.isEmpty());
}

TEST(SqlBackup, TheCommandsSayWhatTheyDid)
{
    test::TempDatabase source;
    fillSmall(*source.db);
    test::ScriptedOperator op;
    const QString path = source.dir.filePath(QStringLiteral("RanBase.sql"));
    op.answerFile(path);
    SqlBackup::run(*source.db, op, source.dir.path());
    const qsizetype rows = cp1252::readLines(path).size();
    ASSERT_EQ(op.reports, QStringList{QStringLiteral("Sicherung: %1 Zeilen in %2").arg(rows).arg(path)});

    cp1252::writeLines(path, cp1252::readLines(path) << QStringLiteral("DELETE FROM PERSON;"));
    test::TempDatabase target;
    test::RecordingErrorList errors;
    op.answerFile(path);
    SqlRestore(*target.db, errors).run(op, target.dir.path());
    EXPECT_EQ(op.reports.last(),
              QStringLiteral("Wiederherstellung: %1 Zeilen aus %2 eingelesen, 1 abgewiesen").arg(rows).arg(path));
}

TEST(SqlRestore, ABackupFileIsDataOnly)
{
    test::TempDatabase temp;
    fillSmall(*temp.db);
    const QStringList before = dump(*temp.db);
    const QString attached = temp.dir.filePath(QStringLiteral("neu.db"));
    const QStringList refused = {
        QStringLiteral("DROP TABLE LEISTUNG;"),
        QStringLiteral("DELETE FROM PERSON;"),
        QStringLiteral("UPDATE PERSON SET NAME = 'x';"),
        QStringLiteral("ATTACH DATABASE '%1' AS neu;").arg(attached),
        QStringLiteral("PRAGMA foreign_keys = OFF;"),
        // It would never end.
        QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                       "INSERT INTO VEREIN (VEREIN_ID) SELECT x FROM c;"),
        QStringLiteral("INSERT INTO VEREIN (VEREIN_ID) SELECT 9;"),
        QStringLiteral("INSERT INTO VEREIN (VEREIN_ID) VALUES (8); DELETE FROM PERSON;"),
        QStringLiteral("INSERT OR REPLACE INTO VEREIN (VEREIN_ID, ORT) VALUES (3, 'Weg');"),
        QStringLiteral("INSERT INTO VEREIN (VEREIN_ID, ORT) VALUES (8, (SELECT NAME FROM PERSON));"),
        QStringLiteral("INSERT INTO VEREIN (VEREIN_ID) VALUES (abs(-8));"),
        QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('IMPORT', 99);"),
        QStringLiteral("INSERT INTO VEREIN (VEREIN_ID, STADT) VALUES (8, 'Biel');"),
    };
    test::RecordingErrorList errors;
    SqlRestore restore(*temp.db, errors);
    restore.restoreLines(refused);
    EXPECT_EQ(restore.failedStatements(), refused.size());
    EXPECT_EQ(dump(*temp.db), before);
    EXPECT_FALSE(QFileInfo::exists(attached));
    // The older forms are data, too.
    restore.restoreLines(
        {QStringLiteral("INSERT INTO \"VEREIN.DB\" VALUES (8, 'TV', \"Bi\"+'e'+\"l\", NULL, NULL, 12);")});
    EXPECT_EQ(restore.failedStatements(), 0);
    EXPECT_EQ(temp.db->scalar(QStringLiteral("SELECT ORT || VERBAND_ID FROM VEREIN WHERE VEREIN_ID = 8")).toString(),
              QStringLiteral("Biel12"));
}

TEST(SqlRestore, PrefixesAreReadStrictlyAndAStatementCutOffIsReported)
{
    test::TempDatabase temp;
    test::RecordingErrorList errors;
    const QString import =
        QStringLiteral("INSERT INTO IMPORT (QUELLE,PFAD,FILENAME,STATUS)  VALUES (\"FILE\",\"a\",\"a\",\"I\");");
    const QStringList lines = {
        QStringLiteral("-- Kommentar"),
        QStringLiteral("INSERT INTO VEREIN (VEREIN_ID,ORT)  VALUES (\"1\",\"Bern\");"),
        QStringLiteral("-x-") + import,
        QStringLiteral("-0-") + import,
        QStringLiteral("-2147483648-") + import,
        QStringLiteral("--9223372036854775807-") + import,
        QStringLiteral("-+4-") + import,
        QStringLiteral("-4-INSERT INTO VEREIN (VEREIN_ID,ORT)  VALUES (\"4\",\"Thun\");"),
        QStringLiteral("-3-") + import,
        // The file breaks off in its last statement.
        QStringLiteral("INSERT INTO VEREIN (VEREIN_ID,ORT)  VALUES (\"2\",\"Zu"),
    };
    SqlRestore restore(*temp.db, errors);
    restore.restoreLines(lines);
    EXPECT_EQ(restore.failedStatements(), 8);
    EXPECT_EQ(errors.lines.last(), QStringLiteral("Zeile konnte nicht importiert werden: ") + lines.last());
    EXPECT_EQ(errors.lines.first(), QStringLiteral("Zeile konnte nicht importiert werden: -- Kommentar"));
    EXPECT_EQ(temp.db->scalar(QStringLiteral("SELECT group_concat(VEREIN_ID) FROM VEREIN")).toString(),
              QStringLiteral("1"));
    EXPECT_EQ(temp.db->scalar(QStringLiteral("SELECT group_concat(IMPORT_ID) FROM IMPORT")).toString(),
              QStringLiteral("3"));

    // The same from a file whose last line has no line end.
    const QString path = temp.dir.filePath(QStringLiteral("abgebrochen.sql"));
    test::writeBytes(path,
                     "INSERT INTO VEREIN (VEREIN_ID,ORT)  VALUES (\"5\",\"Biel\");\r\nINSERT INTO VEREIN (VEREIN_ID");
    SqlRestore cut(*temp.db, errors);
    cut.restoreFile(path);
    EXPECT_EQ(cut.failedStatements(), 1);
}

TEST(SqlBackup, AnEmptyDatabaseNeverQuietlyReplacesABackup)
{
    test::TempDatabase full;
    fillSmall(*full.db);
    test::TempDatabase empty;
    const QString path = full.dir.filePath(QStringLiteral("RanBase.sql"));
    SqlBackup::writeFile(*full.db, path);
    const QByteArray good = test::readBytes(path);
    ASSERT_FALSE(good.isEmpty());
    EXPECT_THROW(SqlBackup::writeFile(*empty.db, path), Error);
    EXPECT_EQ(test::readBytes(path), good);

    // The menu command asks, and only Yes writes the empty backup.
    test::ScriptedOperator op;
    for (const Button answer : {Button::No, Button::Yes}) {
        op.answerFile(path);
        op.answer(answer);
        SqlBackup::run(*empty.db, op, full.dir.path());
        EXPECT_TRUE(op.messages.last().startsWith(QStringLiteral("Warnung: Die Datenbank enthält keine Daten.")));
        EXPECT_EQ(test::readBytes(path).isEmpty(), answer == Button::Yes);
    }
}

TEST(LegacySql, TranslatesTheOldDialect)
{
    const struct
    {
        const char *legacy;
        const char *sqlite;
    } cases[] = {
        {R"(VALUES ("ab"+'"'+"cd"))", R"(VALUES ('ab'||'"'||'cd'))"},
        {R"(INSERT INTO "RANGPOS.DB" (RANG) VALUES ("1"))", R"(INSERT INTO RANGPOS (RANG) VALUES ('1'))"},
        {R"(select * from "person.db" p where p.NAME = "O'Neil")",
         R"(select * from PERSON p where p.NAME = 'O''Neil')"},
        {R"(SELECT NAME + ' ' + VORNAME FROM PERSON)", R"(SELECT NAME || ' ' || VORNAME FROM PERSON)"},
        {R"(UPDATE RANGPOS SET RANGPOS_NR = RANGPOS_NR + 1)", R"(UPDATE RANGPOS SET RANGPOS_NR = RANGPOS_NR + 1)"},
        {R"(SELECT cast(KAT_ID as varchar(10)) + '-' FROM PERSON)",
         R"(SELECT cast(KAT_ID as varchar(10)) || '-' FROM PERSON)"},
        {R"(SELECT r.RANG + 1, 2 + 3 FROM RANGPOS r)", R"(SELECT r.RANG + 1, 2 + 3 FROM RANGPOS r)"},
        {R"(select "x" from "Meine Tabelle")", R"(select 'x' from "Meine Tabelle")"},
        {R"(where STATUS_ID = "1" -- "Kommentar")", R"(where STATUS_ID = '1' -- "Kommentar")"},
        {R"(select 'a;"b' from PERSON)", R"(select 'a;"b' from PERSON)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(db::translateLegacySql(QString::fromUtf8(c.legacy)), QString::fromUtf8(c.sqlite)) << c.legacy;
}
