#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "common/AppPaths.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/SingleInstance.h"
#include "db/Database.h"
#include "db/DatabaseSetup.h"

#include <QApplication>
#include <QLocale>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    rq::SingleInstance instance;
    QApplication app(argc, argv);
    if (!instance.tryAcquire()) {
        QMessageBox::information(nullptr, QStringLiteral("Ranquill"), rq::SingleInstance::alreadyRunningMessage());
        return 1;
    }
    QApplication::setApplicationName(QStringLiteral("Ranquill"));
    // Numbers in widgets follow the program's fixed formats, not the system's.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    QLocale::setDefault(c);

    const rq::AppPaths paths = rq::AppPaths::detect();
    rq::IniFile ini(paths.settingsFile);

    // Created once, in this order; they live until the process ends.
    rq::MainWindow mainWindow(ini);
    rq::Operator &op = mainWindow.op();

    std::unique_ptr<rq::db::Database> database;
    rq::db::DatabaseSetup setup(op, mainWindow);
    rq::runGuarded(op, [&] {
        const QString dataDirectory =
            rq::db::DatabaseSetup::locateDataDirectory(paths.aliasFile, paths.defaultDataDirectory());
        database = setup.run(dataDirectory, mainWindow.rebuildId(), {});
    });

    rq::AboutBox aboutBox(ini, &mainWindow);
    mainWindow.setCommand(rq::Command::About, [&] { aboutBox.exec(); });

    mainWindow.showStored();
    mainWindow.activateWindow();
    return app.exec();
}
