#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace rq {
class ErrorList;
class Operator;
class Progress;
}  // namespace rq

namespace rq::db {
class Database;
}

namespace rq::interchange {

// V2E files come from the central product; E2V files carry captured results.
enum class Format { V2E, E2V };

// One line checked field by field: the values of its table row, or the reason
// (": Status ID ungültig", ...) of the first field that failed.
struct CheckedLine
{
    QVariantList values;  // in the order of the INSERT's columns
    QString reason;  // empty when the line is good
};

// The checks of a participant line (type 2) and a performance line (type 1),
// fields 2 to 17, for the given format.
CheckedLine checkParticipantLine(const QString &line, Format format);
CheckedLine checkPerformanceLine(const QString &line, Format format);

// Loads a V2E or E2V file: one IMPORT row, then every participant line, then
// every performance line; each refused line gives one "Fehler in Zeile " line
// in the error list, which is then shown. The lines run in one transaction;
// each insert is atomic on its own, so a refused line stores nothing and the
// others are stored as if row by row. A storage fault (full disk, I/O error)
// is no refused line: it ends the import and takes all of it back.
class InterchangeImport
{
public:
    InterchangeImport(db::Database &db, ErrorList &errors);

    // Clears and hides the error list, stores the IMPORT row, reads the file
    // line by line, once for each pass, and stores the lines. FileError when
    // it cannot be read: then only the IMPORT row stays.
    void importFile(const QString &path, Format format);
    // The lines of a file already read, recorded in IMPORT as coming from `source`.
    void importLines(const QString &source, const QStringList &lines, Format format);

    // The menu command: asks for the file ("Daten von MERIDOR importieren" or
    // "Daten von Externer Auswertung importieren"), then imports it.
    void run(Operator &op, Format format);

    int importId() const { return m_importId; }
    int refusedLines() const { return m_refused; }
    int storedParticipants() const { return m_stored[1]; }
    int storedPerformances() const { return m_stored[0]; }
    // What the last import did: "V2E: 120 Teilnehmer, 360 Leistungen eingelesen, 2 Zeilen abgewiesen".
    QString summary(Format format) const;

private:
    // Hands every line of the input, in file order, to the visitor; may be called once per pass.
    using LineSource = std::function<void(const std::function<void(const QString &)> &)>;

    // `size` is the input's length in characters (for the progress).
    void importFrom(const QString &source, const LineSource &lines, qint64 size, Format format);
    void refuse(int lineNumber, const QString &reason);
    void storeLines(const LineSource &lines, qint64 size, Format format);

    db::Database &m_db;
    ErrorList &m_errors;
    int m_importId = 0;
    int m_refused = 0;
    int m_stored[2] = {0, 0};  // performances (line type 1), participants (line type 2)
    Progress *m_progress = nullptr;  // while the menu command runs
};

}  // namespace rq::interchange
