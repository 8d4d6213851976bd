#include "common/Errors.h"
#include "db/Database.h"
#include "db/PreparedStatement.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QSqlQuery>

#include <limits>

#include <gtest/gtest.h>

using namespace rq;

// The kept statements bind through the engine's own interface: every kind of
// value must arrive with the type and value QtSql's binding gives it, or the
// schema's rules (empty text as NULL, 32-bit integers) would see other values.
TEST(PreparedStatement, BindsEveryValueAsQtSqlDoes)
{
    if (test::onServer())
        GTEST_SKIP() << "On the server the kept statements are QtSql's own";
    test::TempDatabase temp;
    db::Database &db = *temp.db;
    db.exec(QStringLiteral("CREATE TABLE T (SOURCE TEXT, V)"));
    const QVariantList values = {
        QVariant(),
        QVariant(QMetaType(QMetaType::QString)),
        QString(),
        QStringLiteral(""),
        QStringLiteral("Zürich 'quoted' ∑"),
        0,
        -2147483647 - 1,
        std::numeric_limits<qint64>::max(),
        4294967295U,
        true,
        412.5,
        1e-300,
        QByteArray("\x00\x01", 2),
        QByteArray(),
        QDate(2026, 12, 11),
        QDate(),
        QStringLiteral("12").toInt(),
    };
    QSqlQuery qt(db.connection());
    ASSERT_TRUE(qt.prepare(QStringLiteral("INSERT INTO T VALUES ('qt', ?)")));
    for (const QVariant &v : values) {
        qt.addBindValue(v);
        ASSERT_TRUE(qt.exec());
        EXPECT_EQ(db.execute(QStringLiteral("INSERT INTO T VALUES ('kept', ?)"), {v}), 1);
    }
    QSqlQuery read = db.exec(QStringLiteral("SELECT a.SOURCE, typeof(a.V), quote(a.V), typeof(b.V), quote(b.V) "
                                            "FROM T a JOIN T b ON b.rowid = a.rowid + 1 WHERE a.SOURCE = 'qt'"),
                             {});
    int compared = 0;
    while (read.next()) {
        EXPECT_EQ(read.value(1).toString(), read.value(3).toString()) << qPrintable(read.value(2).toString());
        EXPECT_EQ(read.value(2).toString(), read.value(4).toString());
        ++compared;
    }
    EXPECT_EQ(compared, values.size());

    // Read back as texts, rows come out as QVariant would write them (a double's shortest form too).
    db.exec(QStringLiteral("INSERT INTO T VALUES ('x', 0.1 + 0.2)"));
    QStringList byQt;
    QSqlQuery all = db.exec(QStringLiteral("SELECT SOURCE, V FROM T ORDER BY rowid"), {});
    while (all.next())
        byQt << all.value(0).toString() + u'|' + all.value(1).toString() + u'|' + (all.isNull(1) ? u'N' : u'-');
    QStringList byRow;
    db.forEachRow(QStringLiteral("SELECT SOURCE, V FROM T ORDER BY rowid"), {},
                  [&](const db::PreparedStatement::Row &row) {
                      EXPECT_EQ(row.name(1), QStringLiteral("V"));
                      byRow << row.text(0) + u'|' + row.text(1) + u'|' + (row.text(1).isNull() ? u'N' : u'-');
                  });
    EXPECT_EQ(byRow, byQt);
}

TEST(PreparedStatement, RefusalsCarryTheEngineTextAndLeaveTheStatementUsable)
{
    if (test::onServer())
        GTEST_SKIP() << "On the server the kept statements are QtSql's own";
    test::TempDatabase temp;
    db::Database &db = *temp.db;
    db.exec(QStringLiteral("CREATE TABLE T (K INTEGER PRIMARY KEY, V TEXT NOT NULL)"));
    db::PreparedStatement insert(db, QStringLiteral("INSERT INTO T VALUES (?, ?)"));
    EXPECT_TRUE(insert.run({1, QStringLiteral("a")}));
    EXPECT_EQ(insert.changedRows(), 1);

    EXPECT_FALSE(insert.run({1, QStringLiteral("b")}));
    EXPECT_TRUE(insert.lastError().databaseText().startsWith(QStringLiteral("UNIQUE constraint failed")));
    EXPECT_FALSE(insert.run({2, QVariant()}));
    EXPECT_TRUE(insert.lastError().databaseText().startsWith(QStringLiteral("NOT NULL constraint failed")));
    EXPECT_FALSE(insert.run({3}));  // one value for two places
    EXPECT_TRUE(insert.lastError().isValid());

    EXPECT_TRUE(insert.run({2, QStringLiteral("b")}));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT group_concat(V, ',') FROM T")).toString(), QStringLiteral("a,b"));
    // Through Database::execute a refusal is thrown in German, as before.
    try {
        db.execute(QStringLiteral("INSERT INTO T VALUES (?, ?)"), {1, QStringLiteral("c")});
        ADD_FAILURE() << "no refusal";
    } catch (const EngineError &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Ein Datensatz mit diesem Schlüssel ist schon vorhanden")))
            << qPrintable(e.message());
    }
    EXPECT_THROW(db::PreparedStatement(db, QStringLiteral("INSERT INTO NOWHERE VALUES (?)")), EngineError);
    // The site waits for open transactions; a kept statement that ran leaves none open.
    EXPECT_FALSE(db.inTransaction());
    {
        db::Savepoint open(db);
        EXPECT_TRUE(db.inTransaction());
    }
    EXPECT_FALSE(db.inTransaction());
    // Kept statements do not keep the connection from closing.
    db.close();
    EXPECT_FALSE(db.isOpen());
}
