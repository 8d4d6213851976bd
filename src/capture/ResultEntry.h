#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace rq {
class IniFile;
class Operator;
}  // namespace rq

namespace rq::db {
class Database;
}

namespace rq::capture {

class FormulaParser;

// One discipline of the participant, as the grid shows it.
struct DisciplineRow
{
    qint64 disziplinId = 0;
    QString ident;  // "Formel": the discipline's identifier as text
    QString disziplin;
    int unit = 0;
    QString performance;  // "Leistung"
    QString additional;  // "Zusatzwert"
    QString points;  // "Punkte"
};

// The participant's own fields as the window edits them.
struct PersonFields
{
    QString name;
    QString vorname;
    QString jahrgang;
    QString rang;
    QString auszeichnung;
    QString bemerkung;
    int status = 0;
};

// Result entry for one participant: loads his disciplines, validates and
// recalculates rows, computes the total and saves everything in one
// transaction. Values go into the statements as bound values, so quotes in a
// name or remark are stored as typed.
class ResultEntry
{
public:
    ResultEntry(db::Database &db, Operator &op, IniFile &ini, FormulaParser &parser);

    // Reads the participant and his disciplines and brings every row into
    // canonical form with today's formulas and `decimals`. A row that fails
    // keeps its stored texts; its message is shown, then "Fehlerhafte Daten
    // gefunden". Returns false when the participant has no row at all.
    bool load(int kat, int startNr, int decimals);

    int kat() const { return m_kat; }
    int startNr() const { return m_startNr; }
    // The participant's fields as loaded.
    const PersonFields &person() const { return m_person; }
    // The total stored last ("LetztesTotal").
    const QString &lastTotal() const { return m_lastTotal; }
    const QString &sparte() const { return m_sparte; }
    const QString &kategorie() const { return m_kategorie; }
    const QString &verein() const { return m_verein; }
    const QList<DisciplineRow> &rows() const { return m_rows; }

    // What the operator typed into row `row`.
    void setPerformance(int row, const QString &text);
    void setAdditional(int row, const QString &text);

    // Nothing when row `row` may be left, else the message (already shown).
    std::optional<QString> validate(int row);
    // Canonical performance, additional value as general number, points by the
    // formula with `decimals` decimals. Throws Error for a unit-5 text that is
    // no whole number.
    void recalculate(int row, int decimals);
    // The sum (or average over all rows) of the points, with `decimals` decimals.
    QString total(bool average, int decimals) const;

    enum class Saved { Yes, Inconsistent, RowsMissing, Conflict };
    // Saves the rows and the participant as "&Speichern" does, with its warnings.
    // Throws EngineError when the database refuses a statement; nothing is then stored.
    // When the stored results changed since load() (another station saved this
    // participant meanwhile), nothing is stored either: Conflict, with
    // conflictMessage() saying what the other station stored.
    Saved save(const PersonFields &fields, const QString &totalText);
    const QString &conflictMessage() const { return m_conflict; }
    // The operator has seen the other station's values and keeps his own: the
    // next save overwrites those values (and no later ones).
    void overwriteSeen();

private:
    db::Database &m_db;
    Operator &m_op;
    IniFile &m_ini;
    FormulaParser &m_parser;
    int m_kat = 0;
    int m_startNr = 0;
    PersonFields m_person;
    QString m_lastTotal;
    QString m_sparte;
    QString m_kategorie;
    QString m_verein;
    QList<DisciplineRow> m_rows;
    // The participant's stored values as load() found them, to see at saving
    // whether another station changed them meanwhile.
    struct StoredState
    {
        QStringList person;  // total, status, award, rank, name, year, first name, remark
        QList<QStringList> disciplines;  // per discipline: id, name, performance, additional, points, status
        bool operator==(const StoredState &) const = default;
    };
    StoredState storedState(bool lock);
    StoredState m_loaded;
    StoredState m_seen;
    QString m_conflict;
};

}  // namespace rq::capture
