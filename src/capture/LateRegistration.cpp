#include "capture/LateRegistration.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace rq::capture {

LateRegistration::LateRegistration(db::Database &db, Operator &op)
    : m_db(db)
    , m_op(op)
{
}

void LateRegistration::insert(const QStringList &lines, const QString &conflict)
{
    try {
        m_db.exec(lines);
    } catch (const EngineError &) {
        m_op.error(conflict);
        m_op.error(lines.join(u'\n'));
        throw;
    }
}

void LateRegistration::loadClubs(db::Database &db, QSqlQueryModel &model)
{
    const QString sql = QStringLiteral("select * from VEREIN ORDER BY ORT, KANTON, PREFIX");
    QSqlQuery q(db.connection());
    if (!q.exec(sql))
        db::throwFailure(q.lastError(), sql);
    model.setQuery(std::move(q));
    while (model.canFetchMore())
        model.fetchMore();
}

bool LateRegistration::registerParticipant(const Registration &r)
{
    if (!m_op.confirm(QStringLiteral("Wollen Sie diese Nachmeldung tatsächlich einfügen?")))
        return false;
    const auto wait = m_op.waitCursor();
    const QString year = r.jahrgang.trimmed();
    if (!num::parseInteger(r.kat) || !num::parseInteger(r.startNr) || (!year.isEmpty() && !num::parseInteger(year))) {
        m_op.error(QStringLiteral("Ungültige Werte in Kategorie, Startnummer oder Jahrgang gefunden"));
        return false;
    }
    QSqlQuery club = m_db.exec(QStringLiteral("select PREFIX, ORT from VEREIN where VEREIN_ID = ?"), {r.vereinId});
    if (r.vereinId < 1 || !club.next()) {
        m_op.error(QStringLiteral("Kein gültiger Verein ausgewählt"));
        return false;
    }
    const QString prefix = club.value(0).toString();
    const QString ort = club.value(1).toString();
    club.finish();
    QSqlQuery disciplines = m_db.exec(
        QStringLiteral("select distinct LEISTUNG.DISZ_ID, LEISTUNG.DISZIPLIN, LEISTUNG.EINHEIT_ID, LEISTUNG.EINHEIT, "
                       "LEISTUNG.SPARTE, LEISTUNG.KATEGORIE from PERSON, "
                       "LEISTUNG where PERSON.KAT_ID = LEISTUNG.KAT_ID and PERSON.PERS_ID = LEISTUNG.PERS_ID and "
                       "PERSON.KAT_ID = ?"),
        {num::parseInteger(r.kat).value()});
    QList<QSqlRecord> rows;
    while (disciplines.next())
        rows << disciplines.record();
    disciplines.finish();
    if (rows.isEmpty()) {
        m_op.error(QStringLiteral("In einer leeren Kategorie können keine Teilnehmer nachgemeldet werden"));
        return false;
    }
    const QString kat = r.kat.trimmed();
    const QString start = r.startNr.trimmed();
    const auto q = [](const QVariant &v) { return db::quote(v.toString()) + u','; };

    db::Savepoint transaction(m_db, QStringLiteral("late_registration"));
    insert({QStringLiteral("INSERT INTO PERSVEREIN (KAT_ID, PERS_ID, VEREIN_ID)"), QStringLiteral("VALUES ("),
            kat + u',', start + u',', QString::number(r.vereinId) + u')'},
           QStringLiteral("Konflikt mit anderer Person in Stammdaten gefunden"));
    const QSqlRecord &first = rows.first();
    insert({QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, STATUS_ID, NAME, VORNAME, JAHRGANG, PREFIX, ORT, "
                           "SPARTE, KATEGORIE, ZEILENTYP_ID, IMPORT_ID)"),
            QStringLiteral("VALUES ("), kat + u',', start + u',', QStringLiteral("'0',"), q(r.name), q(r.vorname),
            q(r.jahrgang), q(prefix), q(ort), q(first.value(QStringLiteral("SPARTE"))),
            q(first.value(QStringLiteral("KATEGORIE"))), QStringLiteral("'2','0')")},
           QStringLiteral("Konflikt mit anderer Person gefunden"));
    for (const QSqlRecord &d : rows) {
        insert({QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, EINHEIT_ID, STATUS_ID, EINHEIT, "
                               "DISZIPLIN, NAME, VORNAME, JAHRGANG, PREFIX, ORT, SPARTE, KATEGORIE, ZEILENTYP_ID, "
                               "IMPORT_ID)"),
                QStringLiteral("VALUES ("), kat + u',', start + u',',
                d.value(QStringLiteral("DISZ_ID")).toString() + u',', q(d.value(QStringLiteral("EINHEIT_ID"))),
                QStringLiteral("'0',"), q(d.value(QStringLiteral("EINHEIT"))), q(d.value(QStringLiteral("DISZIPLIN"))),
                q(r.name), q(r.vorname), q(r.jahrgang), q(prefix), q(ort), q(d.value(QStringLiteral("SPARTE"))),
                q(d.value(QStringLiteral("KATEGORIE"))), QStringLiteral("'1','0')")},
               QStringLiteral("Konflikt mit anderen Disziplinen gefunden"));
    }
    transaction.release();
    return true;
}

}  // namespace rq::capture
