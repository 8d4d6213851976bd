#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::interchange {

// Writes every participant and performance with the results captured so far
// as an E2V file: all participant lines first, then all performance lines,
// each of seventeen TAB-separated fields (NULL as an empty field), CR LF.
class E2vExport
{
public:
    // The lines in file order, one at a time. Throws EngineError when the query fails.
    static void forEachLine(db::Database &db, const std::function<void(const QString &)> &line);
    // All of them in a list (for small databases and tests).
    static QStringList lines(db::Database &db);
    // Streams the lines into the file, which replaces `path` only when complete.
    // Throws EngineError (no file written) or FileError. Returns the number of lines written.
    static qsizetype writeFile(db::Database &db, const QString &path);
    // The menu command: asks for the file ("Export.e2v", overwrite asked), then writes it.
    static void run(db::Database &db, Operator &op);
};

}  // namespace rq::interchange
