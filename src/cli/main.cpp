// ranquill-cli: the operations of Ranquill without a window, for unattended
// work (nightly backups, PDFs for a results screen, scripted imports).
#include "capture/FormulaParser.h"
#include "capture/ListGeneration.h"
#include "capture/ResultEntry.h"
#include "capture/Units.h"
#include "common/ConsoleOperator.h"
#include "common/AppPaths.h"
#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Numbers.h"
#include "common/SingleInstance.h"
#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "interchange/E2vExport.h"
#include "interchange/InterchangeImport.h"
#include "ranking/KonfigDataModule.h"
#include "ranking/PrintPreStage.h"
#include "ranking/RankingOperations.h"
#include "reports/Report.h"
#include "reports/ReportDispatch.h"
#include "tools/QueryRunner.h"
#include "tools/SqlBackup.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

using namespace rq;

namespace {

const char *kUsage =
    "Aufruf: ranquill-cli [--data DIR] [--ini DATEI] BEFEHL [ARGUMENTE]\n"
    "Befehle:\n"
    "  import-v2e DATEI | import-e2v DATEI | export-e2v DATEI | remove-imports\n"
    "  backup DATEI | restore DATEI | sql ANWEISUNG\n"
    "  capture KAT START_NR DISZ_ID=LEISTUNG[/ZUSATZ] ... [--format D] [--average] [--status N]\n"
    "  new-list KAT KLASSE | generate KAT [--award TEXT] [--title1 .. --title4 TEXT]\n"
    "  rank KAT KLASSE [--ascending] [--age] | same-ranks KAT KLASSE | position-ranks KAT KLASSE\n"
    "  awards KAT KLASSE MENGE --text TEXT [--count] | clear-awards KAT KLASSE\n"
    "  totals KAT KLASSE blocks|positions [--average] [--format D]\n"
    "  print-pdf KAT KLASSE DATEI [--no-rules] [--points-hidden] | prestage-txt KAT KLASSE DATEI\n";

struct Usage
{
};

// The words of a command: positional arguments and "--name value" / "--flag" options.
class Arguments
{
public:
    Arguments(QStringList words, const QStringList &flags)
    {
        for (int i = 0; i < words.size(); ++i) {
            const QString &w = words.at(i);
            if (!w.startsWith(QStringLiteral("--"))) {
                m_positional << w;
            } else if (flags.contains(w)) {
                m_options.insert(w, QString());
            } else {
                if (i + 1 >= words.size())
                    throw Usage();
                m_options.insert(w, words.at(++i));
            }
        }
    }
    QString at(int i) const
    {
        if (i >= m_positional.size())
            throw Usage();
        return m_positional.at(i);
    }
    int integer(int i) const
    {
        const auto n = num::parseInteger(at(i));
        if (!n)
            throw Usage();
        return int(*n);
    }
    int count() const { return int(m_positional.size()); }
    bool has(const QString &option) const { return m_options.contains(option); }
    QString option(const QString &name, const QString &fallback = QString()) const
    {
        return m_options.value(name, fallback);
    }
    void expect(int positional) const
    {
        if (m_positional.size() != positional)
            throw Usage();
    }

private:
    QStringList m_positional;
    QHash<QString, QString> m_options;
};

void out(const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

class Cli
{
public:
    Cli(db::Database &db, IniFile &ini, ConsoleOperator &op)
        : m_db(db)
        , m_ini(ini)
        , m_op(op)
        , m_module(db, op)
    {
    }

    bool run(const QString &command, const QStringList &words);

private:
    void selectList(int kat, int klasse)
    {
        m_module.refreshLists();
        const int row = m_module.rowOf({kat, klasse});
        if (row < 0)
            throw Error(QStringLiteral("Rangliste mit Kat. %1 und Klasse %2 nicht vorhanden").arg(kat).arg(klasse));
        m_module.setCurrentRow(row);
    }
    bool capture(const Arguments &a);

    db::Database &m_db;
    IniFile &m_ini;
    ConsoleOperator &m_op;
    ConsoleErrorList m_errors;
    ranking::KonfigDataModule m_module;
};

bool Cli::run(const QString &command, const QStringList &words)
{
    const Arguments a(words, {QStringLiteral("--average"), QStringLiteral("--ascending"), QStringLiteral("--age"),
                              QStringLiteral("--count"), QStringLiteral("--no-rules"), QStringLiteral("--points-hidden")});
    if (command == QStringLiteral("import-v2e") || command == QStringLiteral("import-e2v")) {
        a.expect(1);
        interchange::InterchangeImport(m_db, m_errors)
            .importFile(a.at(0), command == QStringLiteral("import-v2e") ? interchange::Format::V2E
                                                                         : interchange::Format::E2V);
        return true;
    }
    if (command == QStringLiteral("export-e2v")) {
        a.expect(1);
        interchange::E2vExport::writeFile(m_db, a.at(0));
        return true;
    }
    if (command == QStringLiteral("remove-imports")) {
        a.expect(0);
        interchange::ImportRemoval::removeAll(m_db);
        return true;
    }
    if (command == QStringLiteral("backup")) {
        a.expect(1);
        tools::SqlBackup::writeFile(m_db, a.at(0));
        return true;
    }
    if (command == QStringLiteral("restore")) {
        a.expect(1);
        tools::SqlRestore restore(m_db, m_errors);
        restore.restoreFile(a.at(0));
        return restore.failedStatements() == 0;
    }
    if (command == QStringLiteral("sql")) {
        a.expect(1);
        const tools::QueryOutcome outcome = tools::QueryRunner(m_db, m_op).run(a.at(0));
        if (outcome.hasResult) {
            for (const QString &line : tools::QueryRunner::resultFileLines(outcome))
                out(line);
        }
        return true;
    }
    if (command == QStringLiteral("capture"))
        return capture(a);
    if (command == QStringLiteral("new-list")) {
        a.expect(2);
        return m_module.createList(a.at(0), a.at(1));
    }
    if (command == QStringLiteral("generate")) {
        a.expect(1);
        QStringList titles;
        for (int i = 1; i <= 4; ++i)
            titles << a.option(QStringLiteral("--title%1").arg(i));
        return capture::ListGeneration(m_module, m_op).run(a.integer(0), a.option(QStringLiteral("--award")), titles);
    }
    const QStringList listCommands = {QStringLiteral("rank"),         QStringLiteral("same-ranks"),
                                      QStringLiteral("position-ranks"), QStringLiteral("awards"),
                                      QStringLiteral("clear-awards"), QStringLiteral("totals"),
                                      QStringLiteral("print-pdf"),    QStringLiteral("prestage-txt")};
    if (!listCommands.contains(command))
        throw Usage();
    selectList(a.integer(0), a.integer(1));
    const ranking::SortSettings sort{a.has(QStringLiteral("--ascending")), a.has(QStringLiteral("--age"))};
    ranking::RankingOperations ops(m_module, m_op);
    const int decimals = a.option(QStringLiteral("--format"), QStringLiteral("0")).toInt();
    if (command == QStringLiteral("rank")) {
        a.expect(2);
        ops.rankAndRenumber(sort, -1);
        return true;
    }
    if (command == QStringLiteral("same-ranks")) {
        a.expect(2);
        return ops.sameRanks(sort);
    }
    if (command == QStringLiteral("position-ranks")) {
        a.expect(2);
        return ops.positionAsRank(sort);
    }
    if (command == QStringLiteral("awards")) {
        a.expect(3);
        if (!a.has(QStringLiteral("--text")))
            throw Usage();
        return ops.distributeAwards(sort, a.at(2), a.has(QStringLiteral("--count")), a.option(QStringLiteral("--text")));
    }
    if (command == QStringLiteral("clear-awards")) {
        a.expect(2);
        return ops.clearAwards(sort);
    }
    if (command == QStringLiteral("totals")) {
        a.expect(3);
        const bool average = a.has(QStringLiteral("--average"));
        if (a.at(2) == QStringLiteral("blocks"))
            return ops.blockTotals(sort, average, decimals);
        if (a.at(2) == QStringLiteral("positions"))
            return ops.positionTotals(sort, average, decimals);
        throw Usage();
    }
    a.expect(3);
    if (command == QStringLiteral("print-pdf")) {
        const auto document = reports::ReportDispatch(m_module, m_op)
                                  .prepare(!a.has(QStringLiteral("--no-rules")), a.has(QStringLiteral("--points-hidden")));
        if (!document)
            return false;
        reports::writePdf(*document, a.at(2));
        return true;
    }
    ranking::PrintPreStage stage(m_module, m_op);
    stage.buildDetailLines(a.has(QStringLiteral("--points-hidden")));
    const auto lines = stage.textLines();
    if (!lines)
        return false;
    cp1252::writeLines(a.at(2), *lines);
    return true;
}

bool Cli::capture(const Arguments &a)
{
    if (a.count() < 2)
        throw Usage();
    const int decimals = a.option(QStringLiteral("--format"), QStringLiteral("0")).toInt();
    capture::FormulaParser parser(m_op);
    capture::ResultEntry entry(m_db, m_op, m_ini, parser);
    if (!entry.load(a.integer(0), a.integer(1), decimals))
        throw Error(QStringLiteral("Teilnehmer %1-%2 nicht vorhanden").arg(a.at(0), a.at(1)));
    for (int i = 2; i < a.count(); ++i) {
        const QString item = a.at(i);
        const qsizetype eq = item.indexOf(u'=');
        const auto disz = num::parseInteger(item.left(eq));
        if (eq < 0 || !disz)
            throw Usage();
        const QString value = item.mid(eq + 1);
        const qsizetype slash = value.indexOf(u'/');
        bool found = false;
        for (capture::DisciplineRow &row : entry.rows) {
            if (row.disziplinId == *disz) {
                row.performance = slash < 0 ? value : value.left(slash);
                row.additional = slash < 0 ? QString() : value.mid(slash + 1);
                found = true;
            }
        }
        if (!found)
            throw Error(QStringLiteral("Disziplin %1 nicht vorhanden").arg(*disz));
    }
    for (int r = 0; r < entry.rows.size(); ++r) {
        if (entry.validate(r))
            return false;  // the message was shown; nothing is saved
        entry.recalculate(r, decimals);
    }
    const QString total = entry.total(a.has(QStringLiteral("--average")), decimals);
    capture::PersonFields fields = entry.person;
    if (a.has(QStringLiteral("--status")))
        fields.status = a.option(QStringLiteral("--status")).toInt();
    if (entry.save(fields, total) != capture::ResultEntry::Saved::Yes)
        return false;
    for (const capture::DisciplineRow &row : entry.rows)
        out(QString::number(row.disziplinId) + u'\t' + row.performance + u'\t' + row.points);
    out(QStringLiteral("TOTAL\t") + total);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // A GUI application object without a window: the PDF writer needs fonts.
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    QStringList words = app.arguments().mid(1);
    QString dataDirectory;
    QString iniPath;
    while (!words.isEmpty() && (words.first() == QStringLiteral("--data") || words.first() == QStringLiteral("--ini"))) {
        if (words.size() < 2) {
            std::fputs(kUsage, stderr);
            return 2;
        }
        (words.first() == QStringLiteral("--data") ? dataDirectory : iniPath) = words.at(1);
        words = words.mid(2);
    }
    if (words.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    SingleInstance instance;
    if (!instance.tryAcquire()) {
        std::fprintf(stderr, "%s\n", SingleInstance::alreadyRunningMessage().toLocal8Bit().constData());
        return 3;
    }
    const AppPaths paths = AppPaths::detect();
    IniFile ini(iniPath.isEmpty() ? paths.settingsFile : iniPath);
    ConsoleOperator op;
    ConsoleErrorList errors;
    try {
        if (dataDirectory.isEmpty())
            dataDirectory = db::DatabaseSetup::locateDataDirectory(paths.aliasFile, paths.defaultDataDirectory());
        else if (!QDir().mkpath(dataDirectory))
            throw Error(QStringLiteral("Verzeichnis ") + dataDirectory + QStringLiteral(" kann nicht erstellt werden"));
        auto database = db::DatabaseSetup(op, errors).run(dataDirectory, 0, {});
        if (!database)
            return 1;
        Cli cli(*database, ini, op);
        const bool ok = cli.run(words.first(), words.mid(1));
        return ok && op.errors == 0 ? 0 : 1;
    } catch (const Usage &) {
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const std::exception &e) {
        showGeneralError(op, e);
        return 1;
    }
}
