#include "interchange/InterchangeImport.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"
#include "db/PreparedStatement.h"
#include "interchange/RecordReader.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>

namespace rq::interchange {
namespace {

enum class Rule {
    Whole,  // whole number in range, stored as integer
    OptionalWhole,  // empty or whole number, stored as integer
    WholeText,  // empty or whole number, stored as its text
    Text,  // any text
    V2ePoints,  // empty or a number < 100000 with at least five decimals, stored as text
    E2vPoints,  // empty or a number < 100000, stored as text
    E2vTotal,  // like E2vPoints, stored as text and as number (two columns)
    E2vAward,  // empty or a number cut to its whole part, stored as that whole number's text
};

struct FieldRule
{
    Rule rule;
    qint64 max;
    QString reason;
    QStringList columns;
};

FieldRule field(Rule rule, qint64 max, const char *reason, std::initializer_list<const char *> columns)
{
    FieldRule f{rule, max, QStringLiteral(": ") + QString::fromUtf8(reason), {}};
    for (const char *c : columns)
        f.columns << QString::fromLatin1(c);
    return f;
}

FieldRule text(const char *reason, const char *column)
{
    return field(Rule::Text, 0, reason, {column});
}

// Fields 2 to 17 of a participant line.
QList<FieldRule> participantRules(Format format)
{
    const bool e2v = format == Format::E2V;
    return {
        field(Rule::Whole, 99999, "Kategorie ID ungültig", {"KAT_ID"}),
        field(Rule::Whole, 99999, "Person ID ungültig", {"PERS_ID"}),
        field(Rule::OptionalWhole, 99999, "Rang ungültig", {"RANG"}),
        text("Bemerkung ungültig", "BEMERKUNG"),
        field(Rule::Whole, 3, "Status ID ungültig", {"STATUS_ID"}),
        e2v ? field(Rule::E2vTotal, 0, "Punkte ungültig", {"ZUSATZ1", "PKT_VAL"})
            : field(Rule::V2ePoints, 0, "Punkte ungültig", {"PUNKTE"}),
        field(e2v ? Rule::E2vAward : Rule::WholeText, 99999, "Auszeichnung ID ungültig", {"AUSZEICHNUNG_ID"}),
        field(Rule::WholeText, 99999, "Team ID ungültig", {"TEAM_ID"}),
        text("Team ungültig", "TEAM"),
        text("Name/Name1 + Vorname1 ungültig", "NAME"),
        text("Vorname/Name2 + Vorname2 ungültig", "VORNAME"),
        field(Rule::WholeText, 99999, "Jahrgang ungültig", {"JAHRGANG"}),
        text("Präfix von Verein ungültig", "PREFIX"),
        text("Ort von Verein ungültig", "ORT"),
        text("Sparte ungültig", "SPARTE"),
        text("Kategorie ungültig", "KATEGORIE"),
    };
}

// Fields 2 to 17 of a performance line.
QList<FieldRule> performanceRules(Format format)
{
    const bool e2v = format == Format::E2V;
    const Rule points = e2v ? Rule::E2vPoints : Rule::V2ePoints;
    return {
        field(Rule::Whole, 99999, "Kategorie ID ungültig", {"KAT_ID"}),
        field(Rule::Whole, 99999, "Person ID ungültig", {"PERS_ID"}),
        field(Rule::Whole, 9999999, "Disziplin ID ungültig", {"DISZ_ID"}),
        field(Rule::Whole, 5, "Einheit ID ungültig", {"EINHEIT_ID"}),
        field(Rule::Whole, 3, "Status ID ungültig", {"STATUS_ID"}),
        field(points, 0, "Punkte ungültig", {e2v ? "ZUSATZ3" : "PUNKTE"}),
        field(points, 0, "Leistung ungültig", {e2v ? "ZUSATZ1" : "LEISTUNG"}),
        text("Einheit ungültig", "EINHEIT"),
        text("Disziplin ungültig", "DISZIPLIN"),
        text("Name/Name1 + Vorname1 ungültig", "NAME"),
        text("Vorname/Name2 + Vorname2 ungültig", "VORNAME"),
        e2v ? text("Jahrgang ungültig", "JAHRGANG") : field(Rule::WholeText, 99999, "Jahrgang ungültig", {"JAHRGANG"}),
        text("Präfix von Verein ungültig", "PREFIX"),
        text("Ort von Verein ungültig", "ORT"),
        text("Sparte ungültig", "SPARTE"),
        text("Kategorie ungültig", "KATEGORIE"),
    };
}

QVariant orNull(const QString &value)
{
    return value.isEmpty() ? QVariant() : QVariant(value);
}

std::optional<qint64> wholeInRange(const QString &value, qint64 max)
{
    const auto n = num::parseInteger(value);
    if (!n || *n < 0 || *n > max)
        return std::nullopt;
    return n;
}

bool pointsValue(const QString &value, bool fiveDecimals, double *number)
{
    const auto d = num::parseDecimal(value);
    if (!d || *d >= 100000)
        return false;
    if (fiveDecimals) {
        const qsizetype point = value.indexOf(u'.');
        if (point >= 0 && value.size() - point - 1 < 5)
            return false;
    }
    *number = *d;
    return true;
}

// Appends the field's values; false when the field fails its rule.
bool checkField(const FieldRule &rule, const QString &value, QVariantList &values)
{
    switch (rule.rule) {
    case Rule::Whole: {
        const auto n = wholeInRange(value, rule.max);
        if (!n)
            return false;
        values << QVariant(*n);
        return true;
    }
    case Rule::OptionalWhole:
    case Rule::WholeText: {
        if (value.isEmpty()) {
            values << QVariant();
            return true;
        }
        const auto n = wholeInRange(value, rule.max);
        if (!n)
            return false;
        values << (rule.rule == Rule::OptionalWhole ? QVariant(*n) : QVariant(value));
        return true;
    }
    case Rule::Text:
        values << orNull(value);
        return true;
    case Rule::V2ePoints:
    case Rule::E2vPoints:
    case Rule::E2vTotal: {
        if (value.isEmpty()) {
            values << QVariant();
            if (rule.rule == Rule::E2vTotal)
                values << QVariant();
            return true;
        }
        double number = 0;
        if (!pointsValue(value, rule.rule == Rule::V2ePoints, &number))
            return false;
        values << QVariant(value);
        if (rule.rule == Rule::E2vTotal)
            values << QVariant(number);
        return true;
    }
    case Rule::E2vAward: {
        if (value.isEmpty()) {
            values << QVariant();
            return true;
        }
        const auto d = num::parseDecimal(value);
        if (!d || std::fabs(*d) >= 1e15)
            return false;
        const QString whole = QString::number(qint64(std::trunc(*d)));
        if (!wholeInRange(whole, rule.max))
            return false;
        values << QVariant(whole);
        return true;
    }
    }
    return false;
}

CheckedLine checkLine(const QString &line, const QList<FieldRule> &rules)
{
    RecordReader reader(line);
    QString value;
    reader.next(value);  // the line type, checked by the caller
    CheckedLine checked;
    checked.values.reserve(rules.size() + 2);  // the caller adds import number and line type
    for (const FieldRule &rule : rules) {
        if (!reader.next(value) || !checkField(rule, value, checked.values)) {
            checked.reason = rule.reason;
            checked.values.clear();
            return checked;
        }
    }
    return checked;
}

QString insertSql(const QString &table, const QList<FieldRule> &rules)
{
    QStringList columns;
    for (const FieldRule &rule : rules)
        columns += rule.columns;
    columns << QStringLiteral("IMPORT_ID") << QStringLiteral("ZEILENTYP_ID");
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns.join(u','), marks.join(u','));
}

}  // namespace

CheckedLine checkParticipantLine(const QString &line, Format format)
{
    return checkLine(line, participantRules(format));
}

CheckedLine checkPerformanceLine(const QString &line, Format format)
{
    return checkLine(line, performanceRules(format));
}

InterchangeImport::InterchangeImport(db::Database &db, ErrorList &errors)
    : m_db(db)
    , m_errors(errors)
{
}

void InterchangeImport::refuse(int lineNumber, const QString &reason)
{
    ++m_refused;
    m_errors.appendLine(QStringLiteral("Fehler in Zeile ") + QString::number(lineNumber) + reason);
    m_errors.showList();
}

void InterchangeImport::importFile(const QString &path, Format format)
{
    // The import record names the file by its full path, wherever the name came from.
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    // The file is read once for each pass, line by line, so that memory stays
    // flat however large the event.
    const LineSource source = [&path](const std::function<void(const QString &)> &visit) {
        cp1252::forEachLine(path, visit);
    };
    try {
        importFrom(fullPath, source, QFileInfo(path).size(), format);
    } catch (const FileError &) {
        // Nothing of a file that could not be read stays; the IMPORT row does,
        // as the record of the attempt.
        importLines(fullPath, {}, format);
        throw;
    }
}

void InterchangeImport::importLines(const QString &source, const QStringList &lines, Format format)
{
    qint64 size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    importFrom(
        source,
        [&lines](const std::function<void(const QString &)> &visit) {
            for (const QString &line : lines)
                visit(line);
        },
        size, format);
}

void InterchangeImport::importFrom(const QString &source, const LineSource &lines, qint64 size, Format format)
{
    m_refused = 0;
    m_stored[0] = m_stored[1] = 0;
    m_errors.clearLines();
    m_errors.hideList();
    // The IMPORT row is stored first and stays, also when lines are refused;
    // only a storage fault takes it back with the rest.
    db::Savepoint transaction(m_db, QStringLiteral("interchange_import"));
    m_db.exec(QStringLiteral("INSERT INTO IMPORT (QUELLE, PFAD, FILENAME, STATUS) VALUES (?, ?, ?, ?)"),
              {QStringLiteral("FILE"), source, source, QStringLiteral("IMPORTIERT")});
    m_importId = m_db.scalar(QStringLiteral("SELECT last_insert_rowid()")).toInt();
    try {
        storeLines(lines, size, format);
    } catch (const db::StorageError &) {
        // The storage failed: nothing of the file stays, and no line the list showed counts.
        m_refused = 0;
        m_stored[0] = m_stored[1] = 0;
        m_errors.clearLines();
        m_errors.hideList();
        throw;
    }
    transaction.release();
}

void InterchangeImport::storeLines(const LineSource &lines, qint64 size, Format format)
{
    const QList<FieldRule> rulesByType[2] = {performanceRules(format), participantRules(format)};
    const QString tables[2] = {QStringLiteral("LEISTUNG"), QStringLiteral("PERSON")};
    // Pass 1 stores participants (type 2), pass 2 performances (type 1), so every
    // performance finds the participants of the same file. Progress counts the
    // characters of both passes.
    qint64 read = 0;
    for (const int type : {2, 1}) {
        const QList<FieldRule> &rules = rulesByType[type - 1];
        db::PreparedStatement insert(m_db, insertSql(tables[type - 1], rules));
        int lineNumber = 0;
        lines([&](const QString &line) {
            ++lineNumber;
            read += line.size() + 2;
            if (m_progress)
                m_progress->advance(read, 2 * size);
            QString first;
            // A first field too long for any field is no line type either.
            const bool readable = RecordReader(line).next(first);
            const auto lineType = readable ? num::parseInteger(first) : std::nullopt;
            if (!lineType) {
                if (type == 2)
                    refuse(lineNumber, QStringLiteral(": Zeilentyp ID ungültig"));
                return;
            }
            if (*lineType != type)
                return;
            CheckedLine checked = checkLine(line, rules);
            if (!checked.reason.isEmpty()) {
                refuse(lineNumber, checked.reason);
                return;
            }
            checked.values << m_importId << type;
            if (insert.run(checked.values))
                ++m_stored[type - 1];
            else
                refuse(lineNumber, QStringLiteral(": ") + db::refusalReason(insert.lastError()));
        });
    }
}

void InterchangeImport::run(Operator &op, Format format)
{
    FileDialogRequest request;
    request.fileName = QString();
    if (format == Format::V2E) {
        request.filter = QStringLiteral("V2E-Dateien (*.v2e)|*.v2e");
        request.title = QStringLiteral("Daten von MERIDOR importieren");
    } else {
        request.filter = QStringLiteral("E2V-Dateien (*.e2v)|*.e2v");
        request.title = QStringLiteral("Daten von Externer Auswertung importieren");
    }
    const auto path = op.chooseOpenFile(request);
    if (!path)
        return;
    const auto wait = op.waitCursor();
    const auto progress = op.progress(QStringLiteral("%1 wird eingelesen …").arg(QFileInfo(*path).fileName()));
    m_progress = progress.get();
    const auto done = qScopeGuard([this] { m_progress = nullptr; });
    importFile(*path, format);
    op.report(summary(format));
}

QString InterchangeImport::summary(Format format) const
{
    return QStringLiteral("%1: %2, %3 eingelesen, %4 abgewiesen")
        .arg(format == Format::V2E ? QStringLiteral("V2E") : QStringLiteral("E2V"),
             counted(m_stored[1], QStringLiteral("Teilnehmer"), QStringLiteral("Teilnehmer")),
             counted(m_stored[0], QStringLiteral("Leistung"), QStringLiteral("Leistungen")),
             counted(m_refused, QStringLiteral("Zeile"), QStringLiteral("Zeilen")));
}

}  // namespace rq::interchange
