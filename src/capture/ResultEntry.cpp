#include "capture/ResultEntry.h"

#include "capture/FormulaParser.h"
#include "capture/Units.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "db/PreparedStatement.h"
#include "db/StatementRunner.h"

#include <QSqlQuery>

namespace rq::capture {
namespace {

const QString kWholePerson = QStringLiteral(
    "select PERSON.RANG, PERSON.BEMERKUNG, PERSON.STATUS_ID as STAT_PERS, PERSON.AUSZEICHNUNG_ID, PERSON.NAME, "
    "PERSON.VORNAME, coalesce(PERSON.PREFIX, '') || ' ' || coalesce(PERSON.ORT, '') as VEREIN, PERSON.JAHRGANG, "
    "PERSON.SPARTE, PERSON.KATEGORIE, PERSON.ZUSATZ1 as PKTTOT_TXT, CAST(LEISTUNG.DISZ_ID as VARCHAR(15)) as IDENT, "
    "LEISTUNG.DISZ_ID, LEISTUNG.EINHEIT_ID, LEISTUNG.DISZIPLIN, LEISTUNG.ZUSATZ1 as LEI_TXT, LEISTUNG.ZUSATZ2 as "
    "ZUS_TXT, LEISTUNG.ZUSATZ3 as PKT_TXT\n"
    "from PERSON LEFT OUTER JOIN LEISTUNG ON PERSON.KAT_ID = LEISTUNG.KAT_ID and PERSON.PERS_ID = LEISTUNG.PERS_ID\n"
    "WHERE PERSON.KAT_ID = ? and PERSON.PERS_ID = ? ORDER BY LEISTUNG.DISZ_ID, LEISTUNG.DISZIPLIN");

QVariant textOrNull(const QString &text)
{
    const QString t = text.trimmed();
    return t.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(t);
}

}  // namespace

ResultEntry::ResultEntry(db::Database &db, Operator &op, IniFile &ini, FormulaParser &parser)
    : m_db(db)
    , m_op(op)
    , m_ini(ini)
    , m_parser(parser)
{
}

ResultEntry::StoredState ResultEntry::storedState(bool lock)
{
    // Locked until the saving transaction ends, so that no other station
    // writes between this look and the save (on SQLite the transaction holds
    // the file's write lock from its start instead).
    const QString forUpdate = lock && m_db.engine() == db::Engine::Postgres ? QStringLiteral(" FOR UPDATE") : QString();
    StoredState state;
    m_db.forEachRow(QStringLiteral("SELECT ZUSATZ1, STATUS_ID, AUSZEICHNUNG_ID, RANG, NAME, JAHRGANG, VORNAME, "
                                   "BEMERKUNG FROM PERSON WHERE KAT_ID = ? AND PERS_ID = ?") +
                        forUpdate,
                    {m_kat, m_startNr}, [&state](const db::PreparedStatement::Row &row) {
                        for (int i = 0; i < row.count(); ++i)
                            state.person << row.text(i);
                    });
    m_db.forEachRow(QStringLiteral("SELECT DISZ_ID, DISZIPLIN, ZUSATZ1, ZUSATZ2, ZUSATZ3, STATUS_ID FROM LEISTUNG "
                                   "WHERE KAT_ID = ? AND PERS_ID = ? ORDER BY DISZ_ID") +
                        forUpdate,
                    {m_kat, m_startNr}, [&state](const db::PreparedStatement::Row &row) {
                        QStringList fields;
                        for (int i = 0; i < row.count(); ++i)
                            fields << row.text(i);
                        state.disciplines << fields;
                    });
    return state;
}

namespace {

// What another station stored, for the operator: the total and every discipline
// whose values differ from what this window loaded.
QString otherStationsValues(const QStringList &loadedPerson, const QStringList &person,
                            const QList<QStringList> &loaded, const QList<QStringList> &now)
{
    const auto shown = [](const QString &text) { return text.isEmpty() ? QStringLiteral("–") : text; };
    QStringList lines;
    if (loadedPerson.value(0) != person.value(0) || loadedPerson.value(1) != person.value(1))
        lines << QStringLiteral("Punktetotal: %1 (Status %2), hier geladen: %3")
                     .arg(shown(person.value(0)), shown(person.value(1)), shown(loadedPerson.value(0)));
    for (const QStringList &row : now) {
        const auto before = std::find_if(loaded.cbegin(), loaded.cend(),
                                         [&row](const QStringList &l) { return l.value(0) == row.value(0); });
        if (before != loaded.cend() && *before == row)
            continue;
        lines << QStringLiteral("%1: Leistung %2, Zusatzwert %3, Punkte %4%5")
                     .arg(shown(row.value(1)), shown(row.value(2)), shown(row.value(3)), shown(row.value(4)),
                          before == loaded.cend() ? QString()
                                                  : QStringLiteral(" (hier geladen: %1)").arg(shown(before->value(2))));
    }
    if (lines.isEmpty() && loadedPerson != person)
        lines << QStringLiteral("Name, Rang, Auszeichnung oder Bemerkung");
    return lines.join(u'\n');
}

}  // namespace

void ResultEntry::overwriteSeen()
{
    m_loaded = m_seen;
}

bool ResultEntry::load(int kat, int startNr, int decimals)
{
    m_kat = kat;
    m_startNr = startNr;
    m_rows.clear();
    m_conflict.clear();
    // First what is stored, then what the window shows: a save between the two
    // shows as a change, never as none.
    m_loaded = storedState(false);
    // The columns of kWholePerson by position: a name would be looked up for every row.
    enum Column {
        Rang,
        Bemerkung,
        StatPers,
        Auszeichnung,
        Name,
        Vorname,
        Verein,
        Jahrgang,
        Sparte,
        Kategorie,
        PkttotTxt,
        Ident,
        DiszId,
        EinheitId,
        Disziplin,
        LeiTxt,
        ZusTxt,
        PktTxt
    };
    QSqlQuery q = m_db.select(kWholePerson, {kat, startNr});
    bool found = false;
    while (q.next()) {
        if (!found) {
            found = true;
            m_person.name = q.value(Name).toString();
            m_person.vorname = q.value(Vorname).toString();
            m_person.jahrgang = q.value(Jahrgang).toString();
            m_person.rang = db::textOf(q, Rang);
            m_person.auszeichnung = q.value(Auszeichnung).toString();
            m_person.bemerkung = q.value(Bemerkung).toString();
            m_person.status = q.value(StatPers).toInt();
            m_lastTotal = q.value(PkttotTxt).toString();
            m_sparte = q.value(Sparte).toString();
            m_kategorie = q.value(Kategorie).toString();
            m_verein = q.value(Verein).toString();
        }
        if (q.isNull(DiszId))
            continue;  // a participant without disciplines
        DisciplineRow row;
        row.disziplinId = q.value(DiszId).toLongLong();
        row.ident = q.value(Ident).toString();
        row.disziplin = q.value(Disziplin).toString();
        row.unit = q.value(EinheitId).toInt();
        row.performance = q.value(LeiTxt).toString();
        if (!row.performance.isEmpty()) {
            row.additional = q.value(ZusTxt).toString();
            row.points = q.value(PktTxt).toString();
        } else {
            row.points = QStringLiteral("0");
        }
        m_rows.append(row);
    }
    q.finish();
    bool failed = false;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (validate(i)) {
            failed = true;
            continue;
        }
        try {
            recalculate(i, decimals);
        } catch (const Error &e) {
            m_op.error(e.message());
            failed = true;
        }
    }
    if (failed)
        m_op.error(QStringLiteral("Fehlerhafte Daten gefunden"));
    return found;
}

void ResultEntry::setPerformance(int row, const QString &text)
{
    m_rows[row].performance = text;
}

void ResultEntry::setAdditional(int row, const QString &text)
{
    m_rows[row].additional = text;
}

std::optional<QString> ResultEntry::validate(int row)
{
    const DisciplineRow &r = m_rows.at(row);
    const auto message = validateRow(r.performance, r.additional, r.unit);
    if (message)
        m_op.error(*message);
    return message;
}

void ResultEntry::recalculate(int row, int decimals)
{
    DisciplineRow &r = m_rows[row];
    if (r.performance.trimmed().isEmpty()) {
        r.performance.clear();
        r.additional.clear();
        r.points = QStringLiteral("0");
        return;
    }
    const Performance p = normalizePerformance(r.performance, r.unit, decimals);
    r.performance = p.text;
    double z = 0;
    if (!r.additional.trimmed().isEmpty()) {
        z = num::parseDecimal(r.additional).value_or(0.0);
        r.additional = num::formatGeneral(z);
    }
    const double points = m_parser.computePoints(m_ini, r.disziplinId, r.disziplin, r.unit, p.value, z);
    r.points = num::formatFixed(points, decimals);
}

QString ResultEntry::total(bool average, int decimals) const
{
    double sum = 0;
    for (const DisciplineRow &r : m_rows)
        sum += num::parseDecimal(r.points).value_or(0.0);
    if (average && !m_rows.isEmpty())
        sum /= m_rows.size();
    return num::formatFixed(sum, decimals);
}

ResultEntry::Saved ResultEntry::save(const PersonFields &fields, const QString &totalText)
{
    for (const DisciplineRow &r : m_rows) {
        const bool hasPerformance = !r.performance.trimmed().isEmpty();
        const QString extra = r.additional.trimmed();
        if ((hasPerformance && r.points.trimmed().isEmpty()) ||
            (!hasPerformance && !extra.isEmpty() && extra != QStringLiteral("0"))) {
            m_op.error(QStringLiteral("Fatale Inkonsistenz der Daten festgestellt, Daten wurden nicht gespeichert"));
            return Saved::Inconsistent;
        }
    }
    db::Savepoint transaction(m_db, QStringLiteral("save_results"));
    m_conflict.clear();
    const StoredState now = storedState(true);
    if (!(now == m_loaded)) {
        const QString who = QStringLiteral("%1 %2").arg(m_person.name, m_person.vorname).trimmed();
        m_conflict = QStringLiteral("Die Resultate von %1 (Kategorie %2, Startnummer %3) wurden inzwischen an einem "
                                    "anderen Erfassungsplatz geändert; Ihre Eingaben wurden nicht gespeichert.\n\n"
                                    "Dort gespeichert:\n%4")
                         .arg(who.isEmpty() ? QStringLiteral("?") : who)
                         .arg(m_kat)
                         .arg(m_startNr)
                         .arg(otherStationsValues(m_loaded.person, now.person, m_loaded.disciplines, now.disciplines));
        m_seen = now;
        return Saved::Conflict;
    }
    bool missing = false;
    for (const DisciplineRow &r : m_rows) {
        const bool hasPerformance = !r.performance.trimmed().isEmpty();
        const int changed =
            m_db.execute(QStringLiteral("UPDATE LEISTUNG SET ZUSATZ1 = ?, ZUSATZ2 = ?, ZUSATZ3 = ?, STATUS_ID = ? "
                                        "WHERE KAT_ID = ? AND PERS_ID = ? AND DISZ_ID = ?"),
                         {textOrNull(r.performance), textOrNull(r.additional), textOrNull(r.points),
                          hasPerformance ? 1 : 0, m_kat, m_startNr, r.disziplinId});
        missing |= changed == 0;
    }

    int status = fields.status;
    const QString totalTrimmed = totalText.trimmed();
    if (status == 0 || status == 1)
        status = totalTrimmed.isEmpty() ? 0 : 1;
    QVariant totalValue;
    double pktVal = 0;
    if (const auto t = num::parseDecimal(totalTrimmed)) {
        if (*t >= 0) {
            totalValue = totalTrimmed;
            pktVal = *t;
        } else {
            totalValue = QStringLiteral("0");
            m_op.warn(QStringLiteral("Ungültiger Wert in Punktetotal wird als O gespeichert"));
        }
    } else {
        totalValue = QVariant(QMetaType(QMetaType::QString));
        status = 0;
        m_op.warn(totalTrimmed.isEmpty()
                      ? QStringLiteral("Datensatz gilt als unbearbeitet wegen fehlendem Punktetotal, ")
                      : QStringLiteral("Datensatz gilt als unbearbeitet wegen ungültigem Wert in Punktetotal, "));
    }
    const auto wholeOrNull = [this](const QString &text, const QString &warning) {
        if (const auto n = num::parseInteger(text))
            return QVariant(QString::number(*n));
        if (!text.trimmed().isEmpty())
            m_op.warn(warning);
        return QVariant(QMetaType(QMetaType::QString));
    };
    const QVariant award =
        wholeOrNull(fields.auszeichnung, QStringLiteral("Ungültiger Wert in Auszeichnungs ID wird nicht gespeichert"));
    const QVariant rank = wholeOrNull(fields.rang, QStringLiteral("Ungültiger Wert in Rang wird nicht gespeichert"));
    // A refused update is shown with its values written in; the statement itself is bound.
    db::StatementRunner(m_db, m_op)
        .run({QStringLiteral("UPDATE PERSON SET "), QStringLiteral("ZUSATZ1 = ?"), QStringLiteral(",STATUS_ID = ?"),
              QStringLiteral(",AUSZEICHNUNG_ID = ?"), QStringLiteral(",RANG = ?"), QStringLiteral(",PKT_VAL = ?"),
              QStringLiteral(",NAME = ?"), QStringLiteral(",JAHRGANG = ?"), QStringLiteral(",VORNAME = ?"),
              QStringLiteral(",BEMERKUNG = ?"), QStringLiteral("WHERE"), QStringLiteral("KAT_ID = ? AND "),
              QStringLiteral("PERS_ID = ?")},
             {totalValue, status, award, rank, pktVal, fields.name, fields.jahrgang, fields.vorname, fields.bemerkung,
              m_kat, m_startNr});
    m_loaded = storedState(false);  // what this save stored: saving again from this window is no conflict
    transaction.release();
    if (missing) {
        m_op.error(QStringLiteral("Daten konnten nicht gespeichert werden"));
        return Saved::RowsMissing;
    }
    return Saved::Yes;
}

}  // namespace rq::capture
