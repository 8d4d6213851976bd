#include "cli/CommandLine.h"

#include "capture/FormulaParser.h"
#include "capture/ListGeneration.h"
#include "capture/ResultEntry.h"
#include "common/CodePage1252.h"
#include "common/ConsoleOperator.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Numbers.h"
#include "db/Database.h"
#include "interchange/E2vExport.h"
#include "interchange/ImportRemoval.h"
#include "interchange/InterchangeImport.h"
#include "interchange/RankingListExport.h"
#include "interchange/RankingListImport.h"
#include "interchange/TextTableImport.h"
#include "ranking/PrintPreStage.h"
#include "ranking/RankingList.h"
#include "ranking/RankingListModels.h"
#include "ranking/RankingOperations.h"
#include "reports/PreStageTextFile.h"
#include "reports/Report.h"
#include "reports/ReportDispatch.h"
#include "tools/QueryRunner.h"
#include "tools/SqlBackup.h"

#include <cstdio>

namespace rq::cli {
namespace {

// Options that take no value.
const QStringList kFlags = {
    QStringLiteral("--average"),     QStringLiteral("--ascending"), QStringLiteral("--age"),
    QStringLiteral("--count"),       QStringLiteral("--no-rules"),  QStringLiteral("--points-hidden"),
    QStringLiteral("--single-line"), QStringLiteral("--dev"),       QStringLiteral("--ignore-errors")};

void out(const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

ranking::SortSettings sortOf(const Arguments &a)
{
    return {a.has(QStringLiteral("--ascending")), a.has(QStringLiteral("--age"))};
}

int decimalsOf(const Arguments &a)
{
    return a.option(QStringLiteral("--format"), QStringLiteral("0")).toInt();
}

ranking::PointsTotal totalOf(const Arguments &a)
{
    return a.has(QStringLiteral("--average")) ? ranking::PointsTotal::Average : ranking::PointsTotal::Sum;
}

}  // namespace

Arguments::Arguments(const QStringList &words, const QStringList &flags)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &w = words.at(i);
        if (!w.startsWith(QStringLiteral("--"))) {
            m_positional << w;
        } else if (flags.contains(w)) {
            m_options.insert(w, QString());
        } else {
            if (i + 1 >= words.size())
                throw UsageError();
            m_options.insert(w, words.at(++i));
        }
    }
}

QString Arguments::at(int i) const
{
    if (i >= m_positional.size())
        throw UsageError();
    return m_positional.at(i);
}

int Arguments::integer(int i) const
{
    const auto n = num::parseInteger(at(i));
    if (!n)
        throw UsageError();
    return int(*n);
}

QString Arguments::option(const QString &name, const QString &fallback) const
{
    return m_options.value(name, fallback);
}

CommandLine::CommandLine(db::Database &db, IniFile &ini, ConsoleOperator &op, ConsoleErrorList &errors)
    : m_db(db)
    , m_ini(ini)
    , m_op(op)
    , m_errors(errors)
{
}

const char *CommandLine::usage()
{
    return "Aufruf: ranquill-cli [--data DIR] [--ini DATEI] BEFEHL [ARGUMENTE]\n"
           "Befehle:\n"
           "  import-v2e DATEI | import-e2v DATEI | export-e2v DATEI | remove-imports\n"
           "  backup DATEI | restore DATEI | sql ANWEISUNG\n"
           "  capture KAT START_NR DISZ_ID=LEISTUNG[/ZUSATZ] ... [--format D] [--average] [--status N]\n"
           "  new-list KAT KLASSE | generate KAT [--award TEXT] [--title1 .. --title4 TEXT]\n"
           "  rank KAT KLASSE [--ascending] [--age] | same-ranks KAT KLASSE | position-ranks KAT KLASSE\n"
           "  awards KAT KLASSE MENGE --text TEXT [--count] | clear-awards KAT KLASSE\n"
           "  totals KAT KLASSE blocks|positions [--average] [--format D]\n"
           "  print-pdf KAT KLASSE DATEI [--no-rules] [--points-hidden] | prestage-txt KAT KLASSE DATEI\n"
           "  medal-pdf KAT KLASSE DATEI [--intro MM] [--single-line] [--no-rules] [--points-hidden]\n"
           "  export-list KAT KLASSE DATEI [--dev] | import-list DATEI ... | import-table DATEI [--ignore-errors]\n";
}

const QList<CommandLine::Command> &CommandLine::commands()
{
    static const QList<Command> table = {
        {"import-v2e", 1, &CommandLine::importV2e},
        {"import-e2v", 1, &CommandLine::importE2v},
        {"export-e2v", 1, &CommandLine::exportE2v},
        {"remove-imports", 0, &CommandLine::removeImports},
        {"backup", 1, &CommandLine::backup},
        {"restore", 1, &CommandLine::restore},
        {"sql", 1, &CommandLine::sql},
        {"capture", -2, &CommandLine::capture},
        {"new-list", 2, &CommandLine::newList},
        {"generate", 1, &CommandLine::generate},
        {"rank", 2, &CommandLine::rank},
        {"same-ranks", 2, &CommandLine::sameRanks},
        {"position-ranks", 2, &CommandLine::positionRanks},
        {"awards", 3, &CommandLine::awards},
        {"clear-awards", 2, &CommandLine::clearAwards},
        {"totals", 3, &CommandLine::totals},
        {"print-pdf", 3, &CommandLine::printPdf},
        {"medal-pdf", 3, &CommandLine::medalPdf},
        {"prestage-txt", 3, &CommandLine::prestageText},
        {"export-list", 3, &CommandLine::exportList},
        {"import-list", -1, &CommandLine::importList},
        {"import-table", 1, &CommandLine::importTable},
    };
    return table;
}

bool CommandLine::run(const QString &command, const QStringList &words)
{
    for (const Command &c : commands()) {
        if (command != QLatin1String(c.name))
            continue;
        const Arguments a(words, kFlags);
        if (c.positional >= 0 ? a.count() != c.positional : a.count() < -c.positional)
            throw UsageError();
        return (this->*c.handler)(a);
    }
    throw UsageError();
}

ranking::RankingList CommandLine::list(const Arguments &a) const
{
    return ranking::RankingList::load(m_db, m_op, {a.integer(0), a.integer(1)});
}

bool CommandLine::importV2e(const Arguments &a)
{
    interchange::InterchangeImport(m_db, m_errors).importFile(a.at(0), interchange::Format::V2E);
    return true;
}

bool CommandLine::importE2v(const Arguments &a)
{
    interchange::InterchangeImport(m_db, m_errors).importFile(a.at(0), interchange::Format::E2V);
    return true;
}

bool CommandLine::exportE2v(const Arguments &a)
{
    interchange::E2vExport::writeFile(m_db, a.at(0));
    return true;
}

bool CommandLine::removeImports(const Arguments &)
{
    interchange::ImportRemoval::removeAll(m_db);
    return true;
}

bool CommandLine::backup(const Arguments &a)
{
    tools::SqlBackup::writeFile(m_db, a.at(0));
    return true;
}

bool CommandLine::restore(const Arguments &a)
{
    tools::SqlRestore restore(m_db, m_errors);
    restore.restoreFile(a.at(0));
    return restore.failedStatements() == 0;
}

bool CommandLine::sql(const Arguments &a)
{
    const tools::QueryOutcome outcome = tools::QueryRunner(m_db, m_op).run(a.at(0));
    if (outcome.hasResult) {
        for (const QString &line : tools::QueryRunner::resultFileLines(outcome))
            out(line);
    }
    return true;
}

bool CommandLine::capture(const Arguments &a)
{
    const int decimals = decimalsOf(a);
    capture::FormulaParser parser(m_op);
    capture::ResultEntry entry(m_db, m_op, m_ini, parser);
    if (!entry.load(a.integer(0), a.integer(1), decimals))
        throw Error(QStringLiteral("Teilnehmer %1-%2 nicht vorhanden").arg(a.at(0), a.at(1)));
    for (int i = 2; i < a.count(); ++i) {
        const QString item = a.at(i);
        const qsizetype eq = item.indexOf(u'=');
        const auto disz = num::parseInteger(item.left(eq));
        if (eq < 0 || !disz)
            throw UsageError();
        const QString value = item.mid(eq + 1);
        const qsizetype slash = value.indexOf(u'/');
        bool found = false;
        for (int r = 0; r < entry.rows().size(); ++r) {
            if (entry.rows().at(r).disziplinId == *disz) {
                entry.setPerformance(r, slash < 0 ? value : value.left(slash));
                entry.setAdditional(r, slash < 0 ? QString() : value.mid(slash + 1));
                found = true;
            }
        }
        if (!found)
            throw Error(QStringLiteral("Disziplin %1 nicht vorhanden").arg(*disz));
    }
    for (int r = 0; r < entry.rows().size(); ++r) {
        if (entry.validate(r))
            return false;  // the message was shown; nothing is saved
        entry.recalculate(r, decimals);
    }
    const QString total = entry.total(a.has(QStringLiteral("--average")), decimals);
    capture::PersonFields fields = entry.person();
    if (a.has(QStringLiteral("--status")))
        fields.status = a.option(QStringLiteral("--status")).toInt();
    if (entry.save(fields, total) != capture::ResultEntry::Saved::Yes)
        return false;
    for (const capture::DisciplineRow &row : entry.rows())
        out(QString::number(row.disziplinId) + u'\t' + row.performance + u'\t' + row.points);
    out(QStringLiteral("TOTAL\t") + total);
    return true;
}

bool CommandLine::newList(const Arguments &a)
{
    return ranking::RankingListModels(m_db, m_op).createList(a.at(0), a.at(1));
}

bool CommandLine::generate(const Arguments &a)
{
    QStringList titles;
    for (int i = 1; i <= 4; ++i)
        titles << a.option(QStringLiteral("--title%1").arg(i));
    return capture::ListGeneration(m_db, m_op).run(a.integer(0), a.option(QStringLiteral("--award")), titles);
}

bool CommandLine::rank(const Arguments &a)
{
    ranking::RankingOperations(list(a)).rankAndRenumber(sortOf(a), -1);
    return true;
}

bool CommandLine::sameRanks(const Arguments &a)
{
    return ranking::RankingOperations(list(a)).sameRanks(sortOf(a));
}

bool CommandLine::positionRanks(const Arguments &a)
{
    return ranking::RankingOperations(list(a)).positionAsRank();
}

bool CommandLine::awards(const Arguments &a)
{
    if (!a.has(QStringLiteral("--text")))
        throw UsageError();
    const auto mode = a.has(QStringLiteral("--count")) ? ranking::AwardMode::Count : ranking::AwardMode::Percent;
    return ranking::RankingOperations(list(a)).distributeAwards(sortOf(a), a.at(2), mode,
                                                                a.option(QStringLiteral("--text")));
}

bool CommandLine::clearAwards(const Arguments &a)
{
    return ranking::RankingOperations(list(a)).clearAwards();
}

bool CommandLine::totals(const Arguments &a)
{
    const QString level = a.at(2);
    if (level == QStringLiteral("blocks"))
        return ranking::RankingOperations(list(a)).blockTotals(totalOf(a), decimalsOf(a));
    if (level == QStringLiteral("positions"))
        return ranking::RankingOperations(list(a)).positionTotals(totalOf(a), decimalsOf(a));
    throw UsageError();
}

bool CommandLine::printPdf(const Arguments &a)
{
    reports::ReportOptions options;
    options.rankSeparators = !a.has(QStringLiteral("--no-rules"));
    options.shortDetail = a.has(QStringLiteral("--points-hidden"));
    const auto document = reports::ReportDispatch::rankingList(list(a), options);
    if (!document)
        return false;
    reports::writePdf(*document, a.at(2));
    return true;
}

bool CommandLine::medalPdf(const Arguments &a)
{
    reports::ReportOptions options;
    options.rankSeparators = !a.has(QStringLiteral("--no-rules"));
    options.shortDetail = a.has(QStringLiteral("--points-hidden"));
    options.singleLine = a.has(QStringLiteral("--single-line"));
    if (a.has(QStringLiteral("--intro"))) {
        const auto intro = num::parseDecimal(a.option(QStringLiteral("--intro")));
        if (!intro)
            throw UsageError();
        options.introMm = *intro;
    }
    const auto document = reports::ReportDispatch::medalList(list(a), options);
    if (!document)
        return false;
    reports::writePdf(*document, a.at(2));
    return true;
}

bool CommandLine::prestageText(const Arguments &a)
{
    const ranking::RankingList rankingList = list(a);
    ranking::PrintPreStage::build(rankingList, a.has(QStringLiteral("--points-hidden")));
    const auto lines = reports::PreStageTextFile::lines(rankingList);
    if (!lines)
        return false;
    cp1252::writeLines(a.at(2), *lines);
    return true;
}

bool CommandLine::exportList(const Arguments &a)
{
    const auto kind =
        a.has(QStringLiteral("--dev")) ? interchange::ExportKind::Development : interchange::ExportKind::Release;
    const ranking::RankingList rankingList = list(a);
    const int version = interchange::RankingListExport::nextVersion(rankingList.text(QStringLiteral("VERSION")));
    interchange::RankingListExport(rankingList).write(a.at(2), kind, version, QDateTime::currentDateTime());
    for (const QString &file : interchange::RankingListExport::filesFor(a.at(2)))
        out(file);
    return true;
}

bool CommandLine::importList(const Arguments &a)
{
    // Every chosen list is tried; the exit tells whether all of them were loaded whole.
    m_op.prefer(Button::Ignore);
    interchange::RankingListImport import(m_db, m_op);
    QStringList files;
    for (int i = 0; i < a.count(); ++i)
        files << a.at(i);
    import.importFiles(files);
    for (const QString &failure : import.failures())
        std::fputs((failure + u'\n').toLocal8Bit().constData(), stderr);
    out(QStringLiteral("%1 Rangliste(n) importiert").arg(import.loadedLists()));
    return import.refusedFiles() == 0;
}

bool CommandLine::importTable(const Arguments &a)
{
    // Without --ignore-errors the first refused line ends the command with the engine's error.
    const bool ignore = a.has(QStringLiteral("--ignore-errors"));
    m_op.prefer(ignore ? Button::Ignore : Button::Yes);
    interchange::TextTableImport import(m_db, m_op);
    import.importFile(a.at(0));
    for (const auto &[line, reason] : import.refusedLines())
        out(QStringLiteral("Zeile %1: %2").arg(line).arg(reason));
    out(QStringLiteral("%1 Zeile(n) eingefügt").arg(import.storedRows()));
    return import.refusedLines().isEmpty();
}

}  // namespace rq::cli
