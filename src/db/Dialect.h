#pragma once

#include <QString>

namespace rq::db {

// The program writes its statements in SQLite's dialect. On PostgreSQL the few
// forms that differ are carried over: "INSERT OR IGNORE" and "INSERT OR
// REPLACE" become upserts on the table's key, ifnull() coalesce(), and
// last_insert_rowid() the value the last automatic number took. Everything
// else both engines read alike.
QString postgresDialect(const QString &sql);

}  // namespace rq::db
