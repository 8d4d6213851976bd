#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "db/Database.h"
#include "db/Snapshots.h"
#include "interchange/ImportRemoval.h"
#include "interchange/InterchangeImport.h"
#include "interchange/RankingListImport.h"
#include "interchange/TextTableImport.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "tools/QueryRunner.h"
#include "tools/SqlBackup.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>

#include <functional>

#include <gtest/gtest.h>

using namespace rq;

namespace {

const char *const kTables[] = {"IMPORT",      "PERSON", "LEISTUNG",   "RANGLISTE", "RANGPOS",
                               "DETAILBLOCK", "DETAIL", "DETAILLINE", "VEREIN",    "PERSVEREIN"};

// Every row of every table, for "nothing changed".
QStringList everything(db::Database &db)
{
    QStringList rows;
    for (const char *table : kTables) {
        QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2, 3").arg(QLatin1String(table)), {});
        while (q.next()) {
            QStringList fields{QLatin1String(table)};
            for (int i = 0; i < q.record().count(); ++i)
                fields << (q.isNull(i) ? QStringLiteral("<NULL>") : q.value(i).toString());
            rows << fields.join(u'|');
        }
    }
    return rows;
}

QString participant(int nr)
{
    return QStringLiteral("2\t12\t%1\t\t\t0\t\t\t\t\tMeier%1\tHans\t1990\tTV\tBern\tLA\tAktive").arg(nr);
}

class ReliabilityTest : public ::testing::Test
{
protected:
    QString file(const QString &name, const QStringList &lines)
    {
        const QString path = temp.dir.filePath(name);
        cp1252::writeLines(path, lines);
        return path;
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    test::RecordingErrorList errors;
};

}  // namespace

TEST_F(ReliabilityTest, AStorageFaultEndsTheWholeOperationAndTakesItBack)
{
    if (test::onServer())
        GTEST_SKIP() << "The faults are those of the SQLite file (full, read-only)";
    // A list that is there before, for the imports that replace or append.
    db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (12, 0)"));
    db.exec(QStringLiteral("INSERT INTO VEREIN (VEREIN_ID, ORT) VALUES (1, 'Bern')"));
    QStringList v2e;
    QStringList backup;
    QStringList clubs{QStringLiteral("VEREIN_ID\tPREFIX\tORT\tKANTON")};
    QStringList positions{QStringLiteral("KAT_NR\tKLASSE_NR\tRANGPOS_NR\tNAME1\tVEREIN")};
    for (int i = 1; i <= 3000; ++i) {
        v2e << participant(i);
        backup
            << QStringLiteral("INSERT INTO PERSVEREIN (KAT_ID,PERS_ID,VEREIN_ID)  VALUES (\"%1\",\"1\",\"1\");").arg(i);
        clubs << QStringLiteral("%1\tTV\tOrt %1\tBE").arg(i + 1);
        positions << QStringLiteral("'12'\t'0'\t'%1'\t'Name %1'\t'Turnverein %1'").arg(i);
    }
    const QString v2ePath = file(QStringLiteral("event.v2e"), v2e);
    file(QStringLiteral("LST_x.txt"), {QStringLiteral("KAT_NR\tKLASSE_NR"), QStringLiteral("'12'\t'0'")});
    file(QStringLiteral("POS_x.txt"), positions);
    file(QStringLiteral("BLK_x.txt"), {QStringLiteral("KAT_NR")});
    file(QStringLiteral("DET_x.txt"), {QStringLiteral("KAT_NR")});
    const QString clubPath = file(QStringLiteral("VEREIN.txt"), clubs);

    const std::pair<const char *, std::function<void()>> operations[] = {
        {"V2E import",
         [&] { interchange::InterchangeImport(db, errors).importFile(v2ePath, interchange::Format::V2E); }},
        {"restore", [&] { tools::SqlRestore(db, errors).restoreLines(backup); }},
        {"text table", [&] { interchange::TextTableImport(db, op).importFile(clubPath); }},
        {"ranking list", [&] { interchange::RankingListImport(db, op).importFiles({temp.dir.filePath("POS_x.txt")}); }},
    };
    const qint64 dbSize = QFileInfo(db.filePath()).size();
    const struct
    {
        const char *fault;
        const char *says;
        std::function<std::function<void()>()> make;  // sets the fault up, returns what lifts it
    } faults[] = {
        {"full disk", "Der Datenträger ist voll",
         [&] {
             const int pages = db.scalar(QStringLiteral("PRAGMA page_count")).toInt();
             db.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages + 2));
             return std::function<void()>([&] { db.exec(QStringLiteral("PRAGMA max_page_count = 1073741823")); });
         }},
        {"read-only database", "Die Datenbank ist schreibgeschützt",
         [&] {
             db.exec(QStringLiteral("PRAGMA query_only = 1"));
             return std::function<void()>([&] { db.exec(QStringLiteral("PRAGMA query_only = 0")); });
         }},
        {"write error", "Lese- oder Schreibfehler",
         [&] {
             auto limit = std::make_shared<test::FileSizeLimit>(dbSize + 16 * 1024);
             return std::function<void()>([limit]() mutable { limit.reset(); });
         }},
    };
    // Where the fault already stops the snapshot before a destructive command,
    // the command does not start; either way nothing changes and the operator
    // is told what happened.
    const QStringList before = everything(db);
    for (const auto &[operation, run] : operations) {
        for (const auto &f : faults) {
            const auto lift = f.make();
            QString message = QStringLiteral("<kein Fehler>");
            try {
                run();
            } catch (const Error &e) {
                message = e.message();
            }
            lift();
            EXPECT_TRUE(message.contains(QString::fromUtf8(f.says)))
                << operation << ", " << f.fault << ": " << message.toStdString();
            EXPECT_EQ(everything(db), before) << operation << ", " << f.fault;
            EXPECT_TRUE(errors.lines.isEmpty()) << operation << ", " << f.fault;
        }
    }
}

TEST_F(ReliabilityTest, WholeNumbersBeyond32BitsAreRefusedOnEveryWritePath)
{
    db.exec(QStringLiteral(
        "INSERT INTO PERSON (KAT_ID, PERS_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) VALUES (1, 1, 0, 0, 2)"));
    db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (12, 0)"));
    const QString big = QStringLiteral("2147483648");
    file(QStringLiteral("LST_b.txt"), {QStringLiteral("KAT_NR\tKLASSE_NR"), QStringLiteral("'12'\t'0'")});
    file(QStringLiteral("POS_b.txt"),
         {QStringLiteral("KAT_NR\tKLASSE_NR\tRANGPOS_NR"), QStringLiteral("'12'\t'0'\t'%1'").arg(big)});
    file(QStringLiteral("BLK_b.txt"), {QStringLiteral("KAT_NR")});
    file(QStringLiteral("DET_b.txt"), {QStringLiteral("KAT_NR")});
    const std::pair<const char *, std::function<bool()>> paths[] = {
        {"restore",
         [&] {
             tools::SqlRestore restore(db, errors);
             restore.restoreLines({QStringLiteral("INSERT INTO VEREIN (VEREIN_ID)  VALUES (\"%1\");").arg(big)});
             return restore.failedStatements() == 1;
         }},
        {"text table",
         [&] {
             op.answer(Button::Ignore);
             interchange::TextTableImport import(db, op);
             import.importFile(file(QStringLiteral("VEREIN.txt"), {QStringLiteral("VEREIN_ID"), big}));
             return import.refusedLines().size() == 1;
         }},
        {"ranking list",
         [&] {
             op.answer(Button::Ignore);
             interchange::RankingListImport import(db, op);
             import.importFiles({temp.dir.filePath(QStringLiteral("POS_b.txt"))});
             return import.refusedFiles() == 1;
         }},
        {"SQL window",
         [&] {
             try {
                 tools::QueryRunner(db, op).run(QStringLiteral("UPDATE PERSON SET KAT_ID = 4294967297"));
             } catch (const EngineError &e) {
                 // SQLite names the rule; on the server the column's type itself refuses.
                 return e.message().contains(test::onServer() ? QStringLiteral("Eine Zahl ist zu gross")
                                                              : QStringLiteral("PERSON_KAT_ID_32BIT"));
             }
             return false;
         }},
        {"negative",
         [&] {
             try {
                 tools::QueryRunner(db, op).run(QStringLiteral("UPDATE RANGLISTE SET KLASSE_NR = -2147483649"));
             } catch (const EngineError &) {
                 return true;
             }
             return false;
         }},
    };
    const QStringList before = everything(db);
    for (const auto &[path, refused] : paths) {
        EXPECT_TRUE(refused()) << path;
        EXPECT_EQ(everything(db), before) << path;
    }
    // The limits themselves are whole numbers of 32 bits.
    tools::QueryRunner(db, op).run(QStringLiteral("UPDATE RANGLISTE SET KAT_NR = 2147483647, KLASSE_NR = -2147483648"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT KAT_NR FROM RANGLISTE")).toLongLong(), 2147483647);

    // The last import number restored: the next import is refused, not numbered negative.
    tools::SqlRestore(db, errors)
        .restoreLines({QStringLiteral(
            "-2147483647-INSERT INTO IMPORT (QUELLE,PFAD,FILENAME,STATUS)  VALUES (\"FILE\",\"a\",\"a\",\"I\");")});
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT max(IMPORT_ID) FROM IMPORT")).toLongLong(), 2147483647);
    const QString v2e = file(QStringLiteral("next.v2e"), {participant(5)});
    EXPECT_THROW(interchange::InterchangeImport(db, errors).importFile(v2e, interchange::Format::V2E), EngineError);
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT count(*) FROM PERSON WHERE IMPORT_ID < 0 OR IMPORT_ID > 2147483647")).toInt(),
        0);
}

TEST_F(ReliabilityTest, SnapshotsAreTakenBeforeDestructiveCommandsAndLeadBack)
{
    interchange::InterchangeImport(db, errors)
        .importFile(file(QStringLiteral("a.v2e"), {participant(1), participant(2)}), interchange::Format::V2E);
    db.exec(QStringLiteral("INSERT INTO VEREIN (VEREIN_ID, ORT) VALUES (7, 'Zürich')"));
    const QStringList before = everything(db);
    db::Snapshots snapshots(db);
    EXPECT_TRUE(snapshots.list().isEmpty());

    // "Importe löschen" by mistake, then a new import on top.
    interchange::ImportRemoval::removeAll(db);
    interchange::InterchangeImport(db, errors)
        .importFile(file(QStringLiteral("b.v2e"), {participant(9)}), interchange::Format::V2E);
    ASSERT_EQ(snapshots.list().size(), 1);
    const db::SnapshotInfo taken = snapshots.list().first();
    EXPECT_EQ(taken.reason, QStringLiteral("Importe löschen"));
    EXPECT_EQ(QFileInfo(taken.path).absolutePath(), QDir(db.localDirectory()).filePath(QStringLiteral("Sicherungen")));
    const QStringList afterMistake = everything(db);

    snapshots.goBackTo(taken.name);
    EXPECT_EQ(everything(db), before);
    // The import numbers go on from where they were.
    interchange::InterchangeImport(db, errors)
        .importFile(file(QStringLiteral("c.v2e"), {participant(3)}), interchange::Format::V2E);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT max(IMPORT_ID) FROM IMPORT")).toInt(), 2);

    // Going back kept the state it replaced.
    ASSERT_EQ(snapshots.list().size(), 2);
    EXPECT_EQ(snapshots.list().first().reason, QStringLiteral("Vor dem Zurücksetzen"));
    snapshots.goBackTo(snapshots.list().first().name);
    EXPECT_EQ(everything(db), afterMistake);

    // The last 20 stay; a name that is none here is refused.
    for (int i = 0; i < 25; ++i)
        snapshots.take(db::SnapshotReason::SqlWindow);
    EXPECT_EQ(snapshots.list().size(), db::Snapshots::kKept);
    EXPECT_THROW(snapshots.goBackTo(QStringLiteral("../ranbase.sqlite")), Error);
    EXPECT_THROW(snapshots.goBackTo(QStringLiteral("fehlt.sqlite")), Error);
}

TEST_F(ReliabilityTest, TheSqlWindowTakesASnapshotBeforeStatementsThatChangeData)
{
    const std::pair<const char *, bool> texts[] = {
        {"select * from PERSON", false},
        {"  -- nur lesen\n  SELECT 1; pragma table_info(PERSON);", false},
        {"WITH x AS (SELECT 1) SELECT * FROM x", false},
        {"select 1; delete from VEREIN", true},
        {"/* weg */ UPDATE PERSON SET NAME = 'x'", true},
        {"WITH x AS (SELECT 1) DELETE FROM VEREIN", true},
        {"create table T (a)", true},
    };
    for (const auto &[text, changes] : texts)
        EXPECT_EQ(tools::QueryRunner::changesData(QString::fromUtf8(text)), changes) << text;
    db::Snapshots snapshots(db);
    tools::QueryRunner(db, op).run(QStringLiteral("select count(*) from PERSON"));
    EXPECT_TRUE(snapshots.list().isEmpty());
    tools::QueryRunner(db, op).run(QStringLiteral("delete from VEREIN"));
    ASSERT_EQ(snapshots.list().size(), 1);
    EXPECT_EQ(snapshots.list().first().reason, QStringLiteral("SQL-Anweisung"));
}
