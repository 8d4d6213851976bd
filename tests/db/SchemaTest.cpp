#include "common/Errors.h"
#include "db/Database.h"
#include "db/TableDefs.h"
#include "support/TestSupport.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace rq;
using rq::db::Database;

class SchemaTest : public ::testing::Test
{
protected:
    test::TempDatabase temp;
    Database &db = *temp.db;

    void person(int kat, int pers)
    {
        db.exec(QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) "
                               "VALUES (%1, %2, 0, 1, 2)")
                    .arg(kat)
                    .arg(pers));
    }
    void performance(int kat, int pers, int disz)
    {
        db.exec(QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) "
                               "VALUES (%1, %2, %3, 0, 1, 1)")
                    .arg(kat)
                    .arg(pers)
                    .arg(disz));
    }
};

TEST_F(SchemaTest, TheTenTablesHaveTheirFields)
{
    EXPECT_EQ(db::tableDefs().size(), 10);
    EXPECT_EQ(db::findTable(QStringLiteral("DETAILLINE"))->fields.size(), 129);
    EXPECT_EQ(db::findTable(QStringLiteral("rangpos.db"))->name, QStringLiteral("RANGPOS"));
    EXPECT_EQ(db::findTable(QStringLiteral("PERSON"))->fieldIndex(QStringLiteral("ZEILENTYP_ID")), 21);
    for (const db::TableDef &t : db::tableDefs())
        EXPECT_EQ(db.columnNames(t.name), t.fieldNames()) << t.name.toStdString();
}

TEST_F(SchemaTest, TextsAreCutAndEmptyTextIsNull)
{
    person(1, 1);
    const QString name41 = QString(41, u'ä');
    db.exec(QStringLiteral("UPDATE PERSON SET NAME = '%1', VORNAME = '', ORT = 'Bern' WHERE KAT_ID = 1").arg(name41));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME FROM PERSON")).toString(), QString(40, u'ä'));
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT VORNAME IS NULL FROM PERSON")).toBool());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT ORT FROM PERSON")).toString(), QStringLiteral("Bern"));

    // Widths other than 40, on insert and with bound values.
    db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, JAHRGANG, AUSZEICHNUNG, VEREIN) "
                           "VALUES (?, ?, ?, ?, ?, ?)"),
            {1, 0, 1, QString(25, u'9'), QString(), QString(80, u'v')});
    QSqlQuery q =
        db.exec(QStringLiteral("SELECT length(JAHRGANG), AUSZEICHNUNG IS NULL, length(VEREIN) FROM RANGPOS"), {});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 20);
    EXPECT_TRUE(q.value(1).toBool());
    EXPECT_EQ(q.value(2).toInt(), 70);
}

TEST_F(SchemaTest, IntegerFieldsTakeQuotedNumbersOnly)
{
    db.exec(QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) "
                           "VALUES ('12', '7', '1', 1, 2)"));
    QSqlQuery q = db.exec(QStringLiteral("SELECT KAT_ID, STATUS_ID FROM PERSON"), {});
    ASSERT_TRUE(q.next());
    EXPECT_TRUE(q.value(0).typeId() == QMetaType::Int || q.value(0).typeId() == QMetaType::LongLong);
    EXPECT_EQ(q.value(0).toInt(), 12);
    EXPECT_EQ(q.value(1).toInt(), 1);
    EXPECT_THROW(db.exec(QStringLiteral("UPDATE PERSON SET RANG = 'x'")), EngineError);
    EXPECT_THROW(db.exec(QStringLiteral("UPDATE PERSON SET STATUS_ID = NULL")), EngineError);
}

TEST_F(SchemaTest, KeysAndTheParticipantRuleHold)
{
    person(1, 7);
    person(2, 7);  // same start number in another category
    EXPECT_THROW(person(1, 7), EngineError);
    EXPECT_THROW(performance(3, 3, 1), EngineError);  // no such participant
    performance(1, 7, 1);
    performance(1, 7, 2);
    EXPECT_THROW(performance(1, 7, 2), EngineError);

    db.exec(QStringLiteral("UPDATE PERSON SET PERS_ID = 8 WHERE KAT_ID = 1 AND PERS_ID = 7"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM LEISTUNG WHERE KAT_ID = 1 AND PERS_ID = 8")).toInt(), 2);

    EXPECT_THROW(db.exec(QStringLiteral("DELETE FROM PERSON WHERE KAT_ID = 1")), EngineError);
    db.exec(QStringLiteral("DELETE FROM PERSON WHERE KAT_ID = 2"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM PERSON")).toInt(), 1);
}

TEST_F(SchemaTest, ImportNumbersStartAtOneAndAreNotReused)
{
    db.exec(QStringLiteral("INSERT INTO IMPORT (QUELLE) VALUES ('FILE')"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT max(IMPORT_ID) FROM IMPORT")).toInt(), 1);
    db.exec(QStringLiteral("DELETE FROM IMPORT"));
    db.exec(QStringLiteral("INSERT INTO IMPORT (QUELLE) VALUES ('FILE')"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT max(IMPORT_ID) FROM IMPORT")).toInt(), 2);
}

TEST_F(SchemaTest, QuoteDoublesSingleQuotes)
{
    EXPECT_EQ(db::quote(QStringLiteral("d'or")), QStringLiteral("'d''or'"));
    EXPECT_EQ(db::quote(QString()), QStringLiteral("NULL"));
    person(1, 1);
    db.exec(QStringLiteral("UPDATE PERSON SET NAME = ") + db::quote(QStringLiteral("O'Neil \"x\"")));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME FROM PERSON")).toString(), QStringLiteral("O'Neil \"x\""));
}

TEST_F(SchemaTest, SavepointRollsBackUnlessReleased)
{
    {
        db::Savepoint sp(db);
        person(5, 5);
    }
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM PERSON")).toInt(), 0);
    {
        db::Savepoint sp(db);
        person(5, 5);
        sp.release();
    }
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM PERSON")).toInt(), 1);
}
