#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace rq {
class Operator;
}

namespace rq::db {

class Database;

// Runs the program's data-changing statements. A statement is given as its
// lines, joined by line breaks; its values are bound to its "?" placeholders.
// When the engine refuses it, an error box first shows the statement with its
// values written in, then EngineError is thrown, which ends the operation.
class StatementRunner
{
public:
    StatementRunner(Database &db, Operator &op);

    Database &database() const { return *m_db; }
    Operator &op() const { return *m_op; }

    // Runs one statement and returns the number of rows it changed. The
    // compiled statement is kept for the next run of the same text.
    int run(const QStringList &lines, const QVariantList &values = {}) const;

private:
    Database *m_db;
    Operator *m_op;
};

// The statement with its values written in as literals, for display only:
// texts quoted with inner quotes doubled, numbers in the program's format,
// NULL for a missing value. "?" inside quoted text stays as it is.
QString withValuesWrittenIn(const QString &sql, const QVariantList &values);

// One value as a literal of the statement text (see withValuesWrittenIn).
QString literal(const QVariant &value);

}  // namespace rq::db
