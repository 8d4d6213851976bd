#include "db/Dialect.h"

#include <gtest/gtest.h>

using namespace rq;

TEST(Dialect, TheFormsThatDifferAreCarriedOverToPostgres)
{
    const struct
    {
        const char *sqlite;
        const char *postgres;
    } cases[] = {
        {"SELECT NAME FROM PERSON WHERE KAT_ID = ?", "SELECT NAME FROM PERSON WHERE KAT_ID = ?"},
        {"INSERT OR IGNORE INTO DETAILBLOCK (KAT_NR, KLASSE_NR) VALUES (12, 0)",
         "INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR) VALUES (12, 0) ON CONFLICT DO NOTHING"},
        {"insert or replace into VEREIN (VEREIN_ID, ORT) values (?, ?);",
         "INSERT INTO VEREIN (VEREIN_ID, ORT) values (?, ?) ON CONFLICT (VEREIN_ID) DO UPDATE SET ORT = EXCLUDED.ORT"},
        {"INSERT OR REPLACE INTO VEREIN (VEREIN_ID) VALUES (1)",
         "INSERT INTO VEREIN (VEREIN_ID) VALUES (1) ON CONFLICT (VEREIN_ID) DO NOTHING"},
        {"SELECT ifnull(ORT, '-'), IFNULL (PREFIX, '') FROM VEREIN",
         "SELECT coalesce(ORT, '-'), coalesce(PREFIX, '') FROM VEREIN"},
        {"SELECT last_insert_rowid()", "SELECT lastval()"},
        {"SELECT group_concat(VEREIN_ID || coalesce(ORT, '-'), ' ') FROM VEREIN",
         "SELECT string_agg(CAST(VEREIN_ID || coalesce(ORT, '-') AS TEXT), ' ') FROM VEREIN"},
        {"SELECT group_concat(ORT) FROM VEREIN", "SELECT string_agg(CAST(ORT AS TEXT), ',') FROM VEREIN"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(db::postgresDialect(QString::fromUtf8(c.sqlite)).toStdString(), c.postgres) << c.sqlite;
}
