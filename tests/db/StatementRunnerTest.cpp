#include "common/Errors.h"
#include "db/Database.h"
#include "db/StatementRunner.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace rq;

TEST(StatementRunner, ValuesWrittenInForDisplay)
{
    const struct
    {
        const char *sql;
        QVariantList values;
        const char *shown;
    } cases[] = {
        {"UPDATE RANGPOS SET RANG = ?\nWHERE KAT_NR = ?",
         {QStringLiteral("1"), 12},
         "UPDATE RANGPOS SET RANG = '1'\nWHERE KAT_NR = 12"},
        {"SET A = ?, B = ?, C = ?",
         {QStringLiteral("O'Brien"), QVariant(), 412.5},
         "SET A = 'O''Brien', B = NULL, C = 412.5"},
        {"WHERE X = '?' AND Y = ?", {7}, "WHERE X = '?' AND Y = 7"},
        {"SET A = ?", {}, "SET A = ?"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(db::withValuesWrittenIn(QString::fromUtf8(c.sql), c.values), QString::fromUtf8(c.shown)) << c.sql;
}

TEST(StatementRunner, ARefusedStatementIsShownWithItsValuesThenThrown)
{
    test::TempDatabase temp;
    test::ScriptedOperator op;
    const db::StatementRunner runner(*temp.db, op);
    EXPECT_EQ(runner.run({QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR)"), QStringLiteral("VALUES (?, ?)")},
                         {3, 0}),
              1);
    EXPECT_THROW(
        runner.run({QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR)"), QStringLiteral("VALUES (?, ?)")},
                   {3, 0}),
        EngineError);
    EXPECT_EQ(op.messages,
              QStringList{QStringLiteral("Fehler: INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR)\nVALUES (3, 0)")});
}

TEST(EngineMessages, CommonFailuresAreSaidInGermanWithTheEngineTextAfter)
{
    // Each common failure of the engine, as the engine writes it, and how the
    // operator's text starts; the engine's text follows in brackets.
    const struct
    {
        const char *engine;
        const char *german;  // nullptr: no common failure, the text stays as it is
    } cases[] = {
        {"UNIQUE constraint failed: LEISTUNG.KAT_ID, LEISTUNG.PERS_ID", "Ein Datensatz mit diesem Schlüssel ist schon"},
        {"NOT NULL constraint failed: PERSON.KAT_ID", "Ein Pflichtfeld ist leer"},
        {"FOREIGN KEY constraint failed", "Der Datensatz verweist auf einen fehlenden Datensatz"},
        {"near \"selec\": syntax error", "Die SQL-Anweisung ist fehlerhaft"},
        {"no such table: CLUBS", "Diese Tabelle gibt es nicht"},
        {"no such column: NAMEN", "Dieses Feld gibt es nicht"},
        {"database is locked", "Die Datenbank ist von einem anderen Programm gesperrt"},
        {"database or disk is full", "Der Datenträger ist voll"},
        {"Ganzzahl ausserhalb des Bereichs", nullptr},
        {"near \"x\": something else", nullptr},
    };
    for (const auto &c : cases) {
        const QString engine = QString::fromUtf8(c.engine);
        const QString shown = db::germanEngineText(engine);
        if (!c.german) {
            EXPECT_EQ(shown, engine);
            continue;
        }
        EXPECT_TRUE(shown.startsWith(QString::fromUtf8(c.german))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral(" (") + engine + u')')) << shown.toStdString();
    }

    // The real engine's texts are the ones the table knows.
    test::TempDatabase temp;
    temp.db->exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (3, 0)"));
    const auto failureOf = [&](const QString &sql) {
        try {
            temp.db->exec(sql);
        } catch (const EngineError &e) {
            return e.message();
        }
        return QString();
    };
    // The German text, then the engine's own.
    const bool server = test::onServer();
    EXPECT_TRUE(
        failureOf(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (3, 0)"))
            .startsWith(server ? QStringLiteral("Ein Datensatz mit diesem Schlüssel ist schon vorhanden (dup")
                               : QStringLiteral("Ein Datensatz mit diesem Schlüssel ist schon vorhanden (UNIQUE")));
    EXPECT_TRUE(
        failureOf(QStringLiteral("selec * from RANGLISTE"))
            .startsWith(server ? QStringLiteral("Die SQL-Anweisung ist fehlerhaft (syntax error at or near")
                               : QStringLiteral("Die SQL-Anweisung ist fehlerhaft (near \"selec\": syntax error")));
    EXPECT_TRUE(
        failureOf(QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) "
                                 "VALUES (9, 9, 1, 0, 1, 1)"))
            .startsWith(QStringLiteral("Der Datensatz verweist")));
}
