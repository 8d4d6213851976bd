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
#include "db/Snapshots.h"
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
#include "reports/ResultsSite.h"
#include "tools/QueryRunner.h"
#include "tools/SqlBackup.h"

#include <QScopeGuard>

#include <cstdio>
#include <limits>
#include <optional>

namespace rq::cli {
namespace {

bool never(const Arguments &)
{
    return false;
}

bool always(const Arguments &)
{
    return true;
}

// A statement that changes data may start a database; a query needs one.
bool whenChangingData(const Arguments &a)
{
    return tools::QueryRunner::changesData(a.at(0));
}

std::optional<int> whole(const QString &text)
{
    const auto n = num::parseInteger(text);
    if (!n || *n < std::numeric_limits<int>::min() || *n > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*n);
}

bool fits(QChar kind, const QString &word)
{
    switch (kind.unicode()) {
    case u'N':
        return whole(word).has_value();
    case u'D':
        return num::parseDecimal(word).has_value();
    case u'C': {
        const qsizetype eq = word.indexOf(u'=');
        return eq > 0 && whole(word.left(eq)).has_value();
    }
    case u'T':
        return true;
    default:  // F, W
        return !word.trimmed().isEmpty();
    }
}

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
    // The editor offers 0 to 4 decimals; more than 10 is no format.
    const int decimals = a.option(QStringLiteral("--format"), QStringLiteral("0")).toInt();
    if (decimals < 0 || decimals > 10)
        throw UsageError();
    return decimals;
}

ranking::PointsTotal totalOf(const Arguments &a)
{
    return a.has(QStringLiteral("--average")) ? ranking::PointsTotal::Average : ranking::PointsTotal::Sum;
}

}  // namespace

Arguments::Arguments(const QStringList &words, const QString &positional, const QString &options)
{
    QHash<QString, QChar> kinds;  // option -> value kind, null for a flag
    for (const QString &spec : options.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = spec.indexOf(u'=');
        kinds.insert(eq < 0 ? spec : spec.left(eq), eq < 0 ? QChar() : spec.at(eq + 1));
    }
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &w = words.at(i);
        if (!w.startsWith(QStringLiteral("--"))) {
            m_positional << w;
            continue;
        }
        const auto kind = kinds.constFind(w);
        if (kind == kinds.constEnd() || m_options.contains(w))
            throw UsageError();
        if (kind->isNull()) {
            m_options.insert(w, QString());
            continue;
        }
        if (i + 1 >= words.size() || !fits(*kind, words.at(i + 1)))
            throw UsageError();
        m_options.insert(w, words.at(++i));
    }
    const bool repeats = positional.endsWith(u'+');
    const QString letters = repeats ? positional.chopped(1) : positional;
    if (repeats ? m_positional.size() < letters.size() : m_positional.size() != letters.size())
        throw UsageError();
    for (qsizetype i = 0; i < m_positional.size(); ++i) {
        if (!fits(letters.at(std::min(i, letters.size() - 1)), m_positional.at(i)))
            throw UsageError();
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
    const auto n = whole(at(i));
    if (!n)
        throw UsageError();
    return *n;
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
    return "Aufruf: ranquill-cli [--data DIR] [--ini DATEI] [--server HOST[:PORT] --database NAME [--user NAME]]\n"
           "                    BEFEHL [ARGUMENTE]\n"
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
           "  export-list KAT KLASSE DATEI [--dev] | import-list DATEI ... | import-table DATEI [--ignore-errors]\n"
           "  snapshots | snapshot-restore NAME | publish VERZEICHNIS\n";
}

const QList<CommandLine::Command> &CommandLine::commands()
{
    static const QList<Command> table = {
        {"import-v2e", "F", "", always, &CommandLine::importV2e},
        {"import-e2v", "F", "", always, &CommandLine::importE2v},
        {"export-e2v", "F", "", never, &CommandLine::exportE2v},
        {"remove-imports", "", "", never, &CommandLine::removeImports},
        {"backup", "F", "", never, &CommandLine::backup},
        {"restore", "F", "", always, &CommandLine::restore},
        {"sql", "W", "", whenChangingData, &CommandLine::sql},
        {"capture", "NNC+", "--format=N --average --status=N", never, &CommandLine::capture},
        {"new-list", "NN", "", always, &CommandLine::newList},
        {"generate", "N", "--award=T --title1=T --title2=T --title3=T --title4=T", never, &CommandLine::generate},
        {"rank", "NN", "--ascending --age", never, &CommandLine::rank},
        {"same-ranks", "NN", "--ascending --age", never, &CommandLine::sameRanks},
        {"position-ranks", "NN", "", never, &CommandLine::positionRanks},
        {"awards", "NNW", "--text=T --count --ascending --age", never, &CommandLine::awards},
        {"clear-awards", "NN", "", never, &CommandLine::clearAwards},
        {"totals", "NNW", "--average --format=N", never, &CommandLine::totals},
        {"print-pdf", "NNF", "--no-rules --points-hidden", never, &CommandLine::printPdf},
        {"medal-pdf", "NNF", "--no-rules --points-hidden --single-line --intro=D", never, &CommandLine::medalPdf},
        {"prestage-txt", "NNF", "--points-hidden", never, &CommandLine::prestageText},
        {"export-list", "NNF", "--dev", never, &CommandLine::exportList},
        {"import-list", "F+", "", always, &CommandLine::importList},
        {"import-table", "F", "--ignore-errors", always, &CommandLine::importTable},
        {"snapshots", "", "", never, &CommandLine::snapshots},
        {"snapshot-restore", "W", "", never, &CommandLine::snapshotRestore},
        {"publish", "F", "", never, &CommandLine::publish},
    };
    return table;
}

CommandLine::Invocation CommandLine::parse(const QStringList &words)
{
    if (words.isEmpty())
        throw UsageError();
    for (const Command &c : commands()) {
        if (words.first() == QLatin1String(c.name))
            return {&c, Arguments(words.mid(1), QString::fromLatin1(c.positional), QString::fromLatin1(c.options))};
    }
    throw UsageError();
}

bool CommandLine::run(const Invocation &invocation)
{
    // The lists the command changes; with "Ergebnisse-Pfad" set, their pages are rewritten after it.
    QList<ranking::ListKey> changed;
    m_db.setListListener([&changed](int kat, int klasse) {
        if (!changed.contains(ranking::ListKey{kat, klasse}))
            changed.append({kat, klasse});
    });
    const auto forget = qScopeGuard([this] { m_db.setListListener({}); });
    const bool ok = (this->*invocation.command->handler)(invocation.arguments);
    const QString site = reports::ResultsSite::directorySetting(m_ini);
    if (!changed.isEmpty() && !site.isEmpty()) {
        try {
            resultsSite(site).publishLists(changed);
        } catch (const Error &e) {
            // The command's own work is done and stays; the site is written again after the next change.
            m_op.warn(
                QStringLiteral("Die Ergebnisse in %1 konnten nicht geschrieben werden: %2").arg(site, e.message()));
        }
    }
    return ok;
}

reports::ResultsSite CommandLine::resultsSite(const QString &directory) const
{
    reports::ResultsSite site(m_db, directory);
    site.setPdfDirectory(m_ini.readString(QStringLiteral("Options"), QStringLiteral("PDF-Path")));
    site.setAutoRefresh(reports::ResultsSite::autoRefreshSetting(m_ini));
    return site;
}

bool CommandLine::publish(const Arguments &a)
{
    resultsSite(a.at(0)).publishAll();
    return true;
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
    const capture::ResultEntry::Saved saved = entry.save(fields, total);
    if (saved == capture::ResultEntry::Saved::Conflict)
        m_op.error(entry.conflictMessage());
    if (saved != capture::ResultEntry::Saved::Yes)
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
    if (a.has(QStringLiteral("--intro")))
        options.introMm = num::parseDecimal(a.option(QStringLiteral("--intro"))).value_or(0.0);
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

bool CommandLine::snapshots(const Arguments &)
{
    for (const db::SnapshotInfo &snapshot : db::Snapshots(m_db).list())
        out(QStringLiteral("%1\t%2\t%3")
                .arg(snapshot.name, snapshot.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")), snapshot.reason));
    return true;
}

bool CommandLine::snapshotRestore(const Arguments &a)
{
    db::Snapshots(m_db).goBackTo(a.at(0));
    return true;
}

}  // namespace rq::cli
