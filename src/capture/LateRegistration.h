#pragma once

#include <QString>

class QSqlQueryModel;

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::capture {

// What the dialog "Nachmeldung" holds for one registration.
struct Registration
{
    QString kat;
    QString startNr;
    QString name;
    QString vorname;
    QString jahrgang;
    qint64 vereinId = 0;  // the chosen club; below 1 when none
};

// A participant registered on the day: his club link, his PERSON row and one
// LEISTUNG row per discipline his category already has. One registration is
// one transaction, so a refused participant leaves no club link behind.
class LateRegistration
{
public:
    LateRegistration(db::Database &db, Operator &op);

    // Asks first; checks the fields and shows the specified messages. Returns
    // true when the participant was stored. Throws EngineError after the
    // conflict messages when an insert is refused.
    bool registerParticipant(const Registration &r);

    // The club list of the dialog: every club ordered by ORT, KANTON, PREFIX.
    // Throws EngineError when it cannot be read.
    static void loadClubs(db::Database &db, QSqlQueryModel &model);

private:
    void insert(const QStringList &lines, const QString &conflict);

    db::Database &m_db;
    Operator &m_op;
};

}  // namespace rq::capture
