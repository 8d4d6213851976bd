#include "interchange/E2vExport.h"

#include "common/CodePage1252.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "common/SafeFile.h"
#include "common/Text.h"
#include "db/Database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace rq::interchange {
namespace {

// Column 4 is text on both sides of the UNION, so discipline 10 sorts before 9.
const QStringList kExportQuery = {
    QStringLiteral("select 2, KAT_ID, PERS_ID, cast (RANG as varchar(40)), cast (BEMERKUNG as varchar(40)), "
                   "cast (STATUS_ID as varchar(40)), cast (ZUSATZ1 as varchar(40)) as PUNKTE, "
                   "cast (AUSZEICHNUNG_ID as varchar(40)), cast (TEAM_ID as varchar(40)), cast (TEAM as varchar(40)), "
                   "cast (NAME as varchar(40)), cast (VORNAME as varchar(40)), cast (JAHRGANG as varchar(40)), "
                   "cast (PREFIX as varchar(40)), cast (ORT as varchar(40)), cast (SPARTE as varchar(40)), "
                   "cast (KATEGORIE as varchar(40)) from person"),
    QStringLiteral("union"),
    QStringLiteral("select 1, KAT_ID, PERS_ID, cast (DISZ_ID as varchar(40)), cast (EINHEIT_ID as varchar(40)), "
                   "cast (STATUS_ID as varchar(40)), cast (ZUSATZ3 as varchar(40)) as PUNKTE, "
                   "cast (ZUSATZ1 as varchar(40)) as LEISTUNG, cast (EINHEIT as varchar(40)), "
                   "cast (DISZIPLIN as varchar(40)), cast (NAME as varchar(40)), cast (VORNAME as varchar(40)), "
                   "cast (JAHRGANG as varchar(40)), cast (PREFIX as varchar(40)), cast (ORT as varchar(40)), "
                   "cast (SPARTE as varchar(40)), cast (KATEGORIE as varchar(40)) from LEISTUNG"),
    QStringLiteral("order by 1 desc ,2,3,4"),
};

}  // namespace

void E2vExport::forEachLine(db::Database &db, const std::function<void(const QString &)> &line)
{
    QSqlQuery q = db.exec(kExportQuery.join(u'\n'), {});
    QStringList fields;
    while (q.next()) {
        fields.clear();
        for (int i = 0; i < 17; ++i)
            fields << (q.isNull(i) ? QString() : q.value(i).toString());
        line(fields.join(u'\t'));
    }
    // A read that breaks off is no end of the results.
    if (q.lastError().isValid())
        db::throwFailure(q.lastError(), kExportQuery.join(u'\n'));
}

QStringList E2vExport::lines(db::Database &db)
{
    QStringList lines;
    forEachLine(db, [&lines](const QString &line) { lines << line; });
    return lines;
}

qsizetype E2vExport::writeFile(db::Database &db, const QString &path)
{
    // Line by line into the temporary file, which replaces the target when complete.
    files::OutputFile file(path);
    qsizetype written = 0;
    forEachLine(db, [&](const QString &line) {
        file.write(cp1252::encode(line) + "\r\n");
        ++written;
    });
    file.commit();
    return written;
}

void E2vExport::run(db::Database &db, Operator &op)
{
    FileDialogRequest request;
    request.fileName = QStringLiteral("Export.e2v");
    request.filter = QStringLiteral("E2V-Dateien (*.e2v)|*.e2v|Alle Dateien (*.*)|*.*");
    request.title = QStringLiteral("Daten für MERIDOR exportieren");
    request.promptOverwrite = true;
    const auto path = op.chooseSaveFile(request);
    if (!path)
        return;
    const auto wait = op.waitCursor();
    const qsizetype written = writeFile(db, *path);
    op.report(QStringLiteral("E2V: %1 in %2 geschrieben")
                  .arg(counted(written, QStringLiteral("Zeile"), QStringLiteral("Zeilen")), *path));
}

}  // namespace rq::interchange
