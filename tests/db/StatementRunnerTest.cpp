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
