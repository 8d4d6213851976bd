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
#include <QGuiApplication>

#include <cstdio>

using namespace rq;

int main(int argc, char *argv[])
{
    // A GUI application object without a window: the PDF writer needs fonts.
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    QStringList words = app.arguments().mid(1);
    QString dataDirectory;
    QString iniPath;
    while (!words.isEmpty() &&
           (words.first() == QStringLiteral("--data") || words.first() == QStringLiteral("--ini"))) {
        if (words.size() < 2) {
            std::fputs(cli::CommandLine::usage(), stderr);
            return 2;
        }
        (words.first() == QStringLiteral("--data") ? dataDirectory : iniPath) = words.at(1);
        words = words.mid(2);
    }
    if (words.isEmpty()) {
        std::fputs(cli::CommandLine::usage(), stderr);
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
        cli::CommandLine commands(*database, ini, op, errors);
        const bool ok = commands.run(words.first(), words.mid(1));
        return ok && op.errors == 0 ? 0 : 1;
    } catch (const cli::UsageError &) {
        std::fputs(cli::CommandLine::usage(), stderr);
        return 2;
    } catch (const std::exception &e) {
        showGeneralError(op, e);
        return 1;
    }
}
