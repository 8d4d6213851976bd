#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace rq {
class ConsoleErrorList;
class ConsoleOperator;
class IniFile;
}  // namespace rq

namespace rq::db {
class Database;
}

namespace rq::ranking {
class RankingList;
}

namespace rq::reports {
class ResultsSite;
}

namespace rq::cli {

// Thrown for a command line that does not fit its command: the usage is shown, exit 2.
struct UsageError
{
};

// The words of a command: positional arguments and "--name value" / "--flag"
// options, checked against the command's forms before anything runs.
class Arguments
{
public:
    // `positional`: one letter per argument: N a whole number within 32 bits,
    // F a file (not empty), W a word (not empty), C a capture item
    // DISZ_ID=VALUE; a final "+" repeats the letter before it one or more
    // times. `options`: "--name" for a flag, "--name=N" (whole number),
    // "--name=D" (decimal) or "--name=T" (text) for one with a value.
    // Throws UsageError for anything that does not fit.
    Arguments(const QStringList &words, const QString &positional, const QString &options);

    QString at(int i) const;
    // Positional argument `i` as a whole number.
    int integer(int i) const;
    int count() const { return int(m_positional.size()); }
    bool has(const QString &option) const { return m_options.contains(option); }
    QString option(const QString &name, const QString &fallback = QString()) const;

private:
    QStringList m_positional;
    QHash<QString, QString> m_options;
};

// ranquill-cli's commands over the logic, one table entry each.
class CommandLine
{
public:
    // A command line checked against its command.
    struct Invocation;

    // The command and its words, checked; UsageError when they do not fit.
    // Nothing is touched before this has passed.
    static Invocation parse(const QStringList &words);

    CommandLine(db::Database &db, IniFile &ini, ConsoleOperator &op, ConsoleErrorList &errors);

    // Runs a checked command; true when it did all of its work.
    bool run(const Invocation &invocation);

    static const char *usage();

private:
    struct Command
    {
        const char *name;
        const char *positional;
        const char *options;
        // Whether the command may start a database where there is none: the
        // ones that bring data in. Every other command needs the database to exist.
        bool (*mayCreate)(const Arguments &);
        bool (CommandLine::*handler)(const Arguments &);
    };
    static const QList<Command> &commands();

    bool importV2e(const Arguments &a);
    bool importE2v(const Arguments &a);
    bool exportE2v(const Arguments &a);
    bool removeImports(const Arguments &a);
    bool backup(const Arguments &a);
    bool restore(const Arguments &a);
    bool sql(const Arguments &a);
    bool capture(const Arguments &a);
    bool newList(const Arguments &a);
    bool generate(const Arguments &a);
    bool rank(const Arguments &a);
    bool sameRanks(const Arguments &a);
    bool positionRanks(const Arguments &a);
    bool awards(const Arguments &a);
    bool clearAwards(const Arguments &a);
    bool totals(const Arguments &a);
    bool printPdf(const Arguments &a);
    bool medalPdf(const Arguments &a);
    bool prestageText(const Arguments &a);
    bool exportList(const Arguments &a);
    bool importList(const Arguments &a);
    bool importTable(const Arguments &a);
    bool snapshots(const Arguments &a);
    bool snapshotRestore(const Arguments &a);
    bool publish(const Arguments &a);
    reports::ResultsSite resultsSite(const QString &directory) const;

    // The list named by the first two positional arguments (KAT KLASSE).
    ranking::RankingList list(const Arguments &a) const;

    db::Database &m_db;
    IniFile &m_ini;
    ConsoleOperator &m_op;
    ConsoleErrorList &m_errors;
};

struct CommandLine::Invocation
{
    const Command *command;
    Arguments arguments;
    // True when the command may create the database (see Command::mayCreate).
    bool mayCreate() const { return command->mayCreate(arguments); }
};

}  // namespace rq::cli
