#include "common/Errors.h"
#include "common/IniFile.h"
#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "db/TableDefs.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace rq;
using rq::db::Database;
using rq::db::DatabaseSetup;

class DatabaseSetupTest : public ::testing::Test
{
protected:
    QTemporaryDir home;
    QString aliasFile = home.filePath(QStringLiteral("config/RANBASE.cfg"));
    QString dataDir = home.filePath(QStringLiteral("prog/Daten/"));
    test::ScriptedOperator op;
    test::RecordingErrorList errors;
    int restoreOffers = 0;

    std::unique_ptr<Database> start(int rebuildId = 0)
    {
        DatabaseSetup setup(op, errors);
        const QString dir = DatabaseSetup::locateDataDirectory(aliasFile, dataDir);
        return setup.run(dir, rebuildId, [this](Database &) { ++restoreOffers; });
    }
};

TEST_F(DatabaseSetupTest, FirstStartCreatesEverythingSecondStartNothing)
{
    {
        auto db = start();
        ASSERT_TRUE(db);
        EXPECT_TRUE(QFileInfo(dataDir).isDir());
        for (const db::TableDef &t : db::tableDefs())
            EXPECT_TRUE(db->tableExists(t.name)) << t.name.toStdString();
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM pragma_foreign_key_list('LEISTUNG')")).toInt(), 2);
    }
    EXPECT_EQ(restoreOffers, 1);
    EXPECT_EQ(IniFile(aliasFile).readString(QStringLiteral("RANBASE"), QStringLiteral("PATH")), dataDir);

    auto again = start();
    EXPECT_EQ(restoreOffers, 1);
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
}

TEST_F(DatabaseSetupTest, OnlyTheMissingTableIsCreated)
{
    {
        auto db = start();
        db->exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (1, 0)"));
        db->exec(QStringLiteral("DROP TABLE VEREIN"));
    }
    auto db = start();
    EXPECT_EQ(restoreOffers, 2);
    EXPECT_TRUE(db->tableExists(QStringLiteral("VEREIN")));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM RANGLISTE")).toInt(), 1);
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(DatabaseSetupTest, QuotedAliasPathIsUsedWithoutQuotes)
{
    const QString elsewhere = home.filePath(QStringLiteral("anders wo"));
    QDir().mkpath(QFileInfo(aliasFile).absolutePath());
    IniFile(aliasFile).writeString(QStringLiteral("RANBASE"), QStringLiteral("PATH"), u'"' + elsewhere + u'"');
    EXPECT_EQ(DatabaseSetup::locateDataDirectory(aliasFile, dataDir), elsewhere + u'/');
    EXPECT_TRUE(QFileInfo(elsewhere).isDir());
    EXPECT_FALSE(QFileInfo::exists(dataDir));
}

TEST_F(DatabaseSetupTest, DirectoryThatCannotBeCreatedIsReported)
{
    test::writeBytes(home.filePath(QStringLiteral("datei")), "x");
    const QString bad = home.filePath(QStringLiteral("datei/Daten/"));
    try {
        DatabaseSetup::locateDataDirectory(aliasFile, bad);
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Verzeichnis ") + bad + QStringLiteral(" kann nicht erstellt werden"));
    }
}

TEST_F(DatabaseSetupTest, MaintenanceListsTheRulesWithoutShowingTheList)
{
    start();
    errors.visible = false;
    auto db = start(1);
    const QStringList leistung = DatabaseSetup::constraintListing(*db, *db::findTable(QStringLiteral("LEISTUNG")));
    EXPECT_EQ(leistung,
              QStringList({QStringLiteral("RI Number: 1"), QStringLiteral("RI Name: LEISTUNG_PERSON"),
                           QStringLiteral("RI Type: DEPENDENT"), QStringLiteral("RI Other Table Name: PERSON.db"),
                           QStringLiteral("RI Modify Qualifier: CASCADE"), QStringLiteral(", rintRESTRICT"),
                           QStringLiteral("RI Fields in Linking Key: 2"),
                           QStringLiteral("RI Key Field Numbers in Table: 1, 2"),
                           QStringLiteral("RI Key Field Numbers in Other Table: 1, 2"), QString()}));
    // PERSON lists the same rule as its master; the other tables list nothing.
    EXPECT_EQ(errors.lines.size(), 20);
    EXPECT_EQ(errors.lines.at(2), QStringLiteral("RI Type: MASTER"));
    EXPECT_EQ(errors.lines.at(12), QStringLiteral("RI Type: DEPENDENT"));
    EXPECT_FALSE(errors.visible);
    EXPECT_EQ(restoreOffers, 1);
}

TEST_F(DatabaseSetupTest, DamagedTableIsKeptAsideNotOverwritten)
{
    {
        auto db = start();
        db->exec(QStringLiteral("DROP TABLE LEISTUNG"));
        db->exec(QStringLiteral("DROP TABLE PERSON"));
        db->exec(QStringLiteral("CREATE TABLE PERSON (KAT_ID INTEGER, PERS_ID INTEGER, NAME TEXT)"));
        db->exec(QStringLiteral("INSERT INTO PERSON VALUES (1, 2, 'Alt')"));
    }
    auto db = start();
    ASSERT_TRUE(db);
    EXPECT_EQ(restoreOffers, 2);
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages.first().startsWith(QStringLiteral("Warnung: Beschädigte Daten")));
    const QStringList aside = db->tableNames().filter(QStringLiteral("PERSON_ALT_"));
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT NAME FROM \"%1\"").arg(aside.first())).toString(),
              QStringLiteral("Alt"));
    EXPECT_EQ(DatabaseSetup::inspect(*db, *db::findTable(QStringLiteral("PERSON"))), db::TableState::Fits);
    EXPECT_EQ(DatabaseSetup::inspect(*db, *db::findTable(QStringLiteral("LEISTUNG"))), db::TableState::Fits);
}

TEST_F(DatabaseSetupTest, WhereDamagedDataWentIsToldAlsoWhenALaterStepFails)
{
    {
        auto db = start();
        db->exec(QStringLiteral("DROP TABLE VEREIN"));
        db->exec(QStringLiteral("CREATE TABLE VEREIN (VEREIN_ID TEXT)"));
        // A performance without its participant makes the rule LEISTUNG_PERSON fail later on.
        db->exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
        db->exec(QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) "
                                "VALUES (1, 1, 1, 0, 1, 1)"));
    }
    auto db = start();
    ASSERT_EQ(op.messages.size(), 2) << op.messages.join(u'\n').toStdString();
    EXPECT_TRUE(op.messages.at(0).startsWith(QStringLiteral("Ranquill: Die Regel LEISTUNG_PERSON")));
    EXPECT_TRUE(op.messages.at(1).startsWith(QStringLiteral("Warnung: Beschädigte Daten")));
    EXPECT_TRUE(op.messages.at(1).contains(QStringLiteral("VEREIN_ALT_")));
    EXPECT_EQ(restoreOffers, 1);
}

TEST_F(DatabaseSetupTest, CorruptFileIsKeptAsideAndANewDatabaseMade)
{
    QDir().mkpath(dataDir);
    const QByteArray garbage(8192, 'x');
    test::writeBytes(Database::fileIn(dataDir), garbage);
    auto db = start();
    ASSERT_TRUE(db && db->isOpen());
    EXPECT_TRUE(db->tableExists(QStringLiteral("PERSON")));
    const QStringList kept = QDir(dataDir).entryList({QStringLiteral("*.defekt-*")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(test::readBytes(dataDir + kept.first()), garbage);
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages.first().contains(kept.first()));
}

TEST_F(DatabaseSetupTest, TablesOfAnOlderVersionGetTheWholeNumberRuleAndKeepTheirRows)
{
    {
        auto db = start();
        db->exec(QStringLiteral("INSERT INTO IMPORT (IMPORT_ID, QUELLE) VALUES (3, 'FILE')"));
        db->exec(QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) "
                                "VALUES (1, 1, 0, 3, 2)"));
        db->exec(QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) "
                                "VALUES (1, 1, 1, 0, 3, 1)"));
        // Tables as an older version made them: without the rule, one holding a number beyond 32 bits.
        for (const char *table : {"IMPORT", "PERSON", "VEREIN"}) {
            const db::TableDef *def = db::findTable(QString::fromLatin1(table));
            QString sql = db::createTableSql(*def).first();
            sql.replace(QRegularExpression(QStringLiteral(" CONSTRAINT \\w+_32BIT CHECK \\([^)]*\\)")), QString());
            sql.replace(QStringLiteral("CREATE TABLE %1 ").arg(def->name), QStringLiteral("CREATE TABLE ALT "));
            db->exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
            db->exec(sql);
            db->exec(QStringLiteral("INSERT INTO ALT SELECT * FROM %1").arg(def->name));
            db->exec(QStringLiteral("DROP TABLE %1").arg(def->name));
            db->exec(QStringLiteral("ALTER TABLE ALT RENAME TO %1").arg(def->name));
            db->exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        }
        // Imports up to 7 were numbered; 4 to 7 are deleted.
        db->exec(QStringLiteral("UPDATE sqlite_sequence SET seq = 7 WHERE name = 'IMPORT'"));
        db->exec(QStringLiteral("INSERT INTO VEREIN (VEREIN_ID) VALUES (4294967296)"));
    }
    auto db = start();
    ASSERT_TRUE(db);
    const auto rule = [&](const char *table) {
        return db->scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = ?"), {QLatin1String(table)})
            .toString()
            .contains(QStringLiteral("_32BIT"));
    };
    EXPECT_TRUE(rule("IMPORT"));
    EXPECT_TRUE(rule("PERSON"));
    EXPECT_FALSE(rule("VEREIN"));
    EXPECT_EQ(errors.lines.size(), 1);
    EXPECT_TRUE(errors.lines.value(0).startsWith(QStringLiteral("Tabelle VEREIN behält ihre alte Form: ")));
    // Rows, the reference of LEISTUNG and the import numbering are as before.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM PERSON")).toInt(), 1);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT \"table\" FROM pragma_foreign_key_list('LEISTUNG')")).toString(),
              QStringLiteral("PERSON"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT count(*) FROM pragma_foreign_key_check")).toInt(), 0);
    db->exec(QStringLiteral("INSERT INTO IMPORT (QUELLE) VALUES ('FILE')"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT max(IMPORT_ID) FROM IMPORT")).toInt(), 8);
    EXPECT_THROW(db->exec(QStringLiteral("UPDATE PERSON SET KAT_ID = 2147483648")), EngineError);
}
