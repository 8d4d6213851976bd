// ranquill-cli: the operations of Ranquill without a window, for unattended
// work (nightly backups, PDFs for a results screen, scripted imports).
#include "cli/CommandLine.h"
#include "common/AppPaths.h"
#include "common/ConsoleOperator.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/SingleInstance.h"
#include "db/Database.h"
#include "db/DatabaseSetup.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <optional>

using namespace rq;

namespace {

int usageError()
{
    std::fputs(cli::CommandLine::usage(), stderr);
    return 2;
}

// Everything written to standard output has arrived; a full disk behind a
// redirection is an error, not a success.
bool outputWritten()
{
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

int withOutputChecked(int code)
{
    if (outputWritten())
        return code;
    std::fputs("Fehler: Die Ausgabe kann nicht vollständig geschrieben werden.\n", stderr);
    return 1;
}

}  // namespace

int main(int argc, char *argv[])
{
    // Beyond a file-size limit a write fails and is reported, instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // A GUI application object without a window: the PDF writer needs fonts.
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);

    // The whole command line is checked before anything is touched.
    QStringList words = app.arguments().mid(1);
    std::optional<QString> dataDirectory;
    QString iniPath;
    QString server, database, user;
    const QStringList options = {QStringLiteral("--data"), QStringLiteral("--ini"), QStringLiteral("--server"),
                                 QStringLiteral("--database"), QStringLiteral("--user")};
    while (!words.isEmpty() && options.contains(words.first())) {
        if (words.size() < 2 || words.at(1).trimmed().isEmpty())
            return usageError();
        const QString &option = words.first();
        if (option == QStringLiteral("--data"))
            dataDirectory = words.at(1);
        else if (option == QStringLiteral("--ini"))
            iniPath = words.at(1);
        else if (option == QStringLiteral("--server"))
            server = words.at(1);
        else if (option == QStringLiteral("--database"))
            database = words.at(1);
        else
            user = words.at(1);
        words = words.mid(2);
    }
    if (server.isEmpty() && (!database.isEmpty() || !user.isEmpty()))
        return usageError();
    if (!words.isEmpty() && (words.first() == QStringLiteral("--help") || words.first() == QStringLiteral("-h"))) {
        std::fputs(cli::CommandLine::usage(), stdout);
        return withOutputChecked(0);
    }
    std::optional<cli::CommandLine::Invocation> invocation;
    try {
        invocation = cli::CommandLine::parse(words);
    } catch (const cli::UsageError &) {
        return usageError();
    }

    SingleInstance instance;
    switch (instance.acquire()) {
    case SingleInstance::Result::Acquired:
        break;
    case SingleInstance::Result::HeldElsewhere:
        std::fprintf(stderr, "%s\n", SingleInstance::alreadyRunningMessage().toLocal8Bit().constData());
        return 3;
    case SingleInstance::Result::Failed:
        std::fprintf(stderr, "Fehler: %s\n", instance.failure().toLocal8Bit().constData());
        return 1;
    }
    const AppPaths paths = AppPaths::detect();
    IniFile ini(iniPath.isEmpty() ? paths.settingsFile : iniPath);
    ConsoleOperator op;
    ConsoleErrorList errors;
    int code = 1;
    try {
        // Only a command that brings data in may start a database; all others
        // need one and touch nothing when there is none.
        const bool mayCreate = invocation->mayCreate();
        QString directory;
        if (!dataDirectory) {
            directory =
                db::DatabaseSetup::locateDataDirectory(paths.aliasFile, paths.defaultDataDirectory(), mayCreate);
        } else {
            directory = *dataDirectory;
            if (mayCreate && !QDir().mkpath(directory))
                throw Error(QStringLiteral("Verzeichnis ") + directory + QStringLiteral(" kann nicht erstellt werden"));
            if (!QFileInfo(directory).isDir())
                throw Error(QStringLiteral("Keine Datenbank: das Verzeichnis %1 gibt es nicht").arg(directory));
        }
        // The server of the command line, else that of the settings.
        const db::ServerSettings onServer =
            server.isEmpty() ? db::DatabaseSetup::serverOf(ini) : db::ServerSettings::parse(server, database, user);
        // Two copies must not work on one database file; on a server, several are the point.
        SingleInstance dataLock(db::DatabaseSetup::lockFile(directory));
        switch (onServer.isSet() ? SingleInstance::Result::Acquired : dataLock.acquire()) {
        case SingleInstance::Result::Acquired:
            break;
        case SingleInstance::Result::HeldElsewhere:
            std::fprintf(stderr, "%s\n", db::DatabaseSetup::inUseMessage(directory).toLocal8Bit().constData());
            return 3;
        case SingleInstance::Result::Failed:
            throw Error(dataLock.failure());
        }
        // Unattended, a damaged database is never moved aside: it is reported and left as it is.
        db::DatabaseSetup setup(op, errors, {mayCreate, false});
        if (onServer.isSet())
            setup.useServer(onServer);
        auto database = setup.run(directory, 0, {});
        if (!database || !setup.failure().isEmpty())
            return withOutputChecked(1);
        cli::CommandLine commands(*database, ini, op, errors);
        const bool ok = commands.run(*invocation);
        code = ok && op.errors == 0 ? 0 : 1;
    } catch (const cli::UsageError &) {
        return usageError();
    } catch (const std::exception &e) {
        showGeneralError(op, e);
        code = 1;
    }
    return withOutputChecked(code);
}
