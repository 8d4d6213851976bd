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

namespace rq::cli {

// Thrown for a command line that does not fit its command: the usage is shown, exit 2.
struct UsageError
{
};

// The words of a command: positional arguments and "--name value" / "--flag" options.
class Arguments
{
public:
    Arguments(const QStringList &words, const QStringList &flags);

    QString at(int i) const;
    // Positional argument `i` as a whole number; UsageError when it is none.
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
    CommandLine(db::Database &db, IniFile &ini, ConsoleOperator &op, ConsoleErrorList &errors);

    // Runs `command` with its words; true when it did all of its work. Throws
    // UsageError for an unknown command or words that do not fit it.
    bool run(const QString &command, const QStringList &words);

    static const char *usage();

private:
    struct Command
    {
        const char *name;
        int positional;  // the number of positional arguments; -N: N or more
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

    // The list named by the first two positional arguments (KAT KLASSE).
    ranking::RankingList list(const Arguments &a) const;

    db::Database &m_db;
    IniFile &m_ini;
    ConsoleOperator &m_op;
    ConsoleErrorList &m_errors;
};

}  // namespace rq::cli
