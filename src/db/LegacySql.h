#pragma once

#include <QString>

namespace rq::db {

// Translates SQL written for the old desktop engine into SQLite's dialect, for
// statements that arrive from outside the program: backup files and the SQL
// window. It turns
//   - quoted table file names ("RANGPOS.DB", "person.db") into table names,
//   - double-quoted string literals ("Bern") into single-quoted ones,
//   - + between strings ("ab"+'"'+"cd", NAME + ' ' + VORNAME) into ||,
// and leaves everything else as it stands, so plain SQLite SQL passes unchanged.
// A double-quoted name after FROM, JOIN, INTO, UPDATE or TABLE, or next to a
// ".", stays an identifier.
QString translateLegacySql(const QString &sql);

}  // namespace rq::db
