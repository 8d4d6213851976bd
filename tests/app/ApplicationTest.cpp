#include "app/Application.h"
#include "app/MainWindow.h"
#include "common/IniFile.h"
#include "common/SingleInstance.h"
#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace rq;

namespace {

// Answers every message box that opens with its first button and records its text.
class BoxAnswerer
{
public:
    BoxAnswerer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->buttons().first()->click();
            }
        });
        m_timer.start(10);
    }
    QStringList texts;

private:
    QTimer m_timer;
};

// A program whose directory, settings and alias all lie in `dir`.
AppPaths pathsIn(const QTemporaryDir &dir)
{
    AppPaths paths;
    paths.baseDirectory = dir.path() + u'/';
    paths.settingsFile = dir.filePath(QStringLiteral("Ranquill.ini"));
    paths.aliasFile = dir.filePath(QStringLiteral("config/RANBASE.cfg"));
    return paths;
}

}  // namespace

TEST(ApplicationTest, WithoutADatabaseTheDataCommandsSayWhy)
{
    QTemporaryDir dir;
    const AppPaths paths = pathsIn(dir);
    test::writeBytes(dir.filePath(QStringLiteral("Daten")), "a file where the data directory belongs");
    IniFile ini(paths.settingsFile);
    const QString why = QStringLiteral("Verzeichnis %1Daten/ kann nicht erstellt werden.").arg(paths.baseDirectory);

    BoxAnswerer boxes;
    Application application(paths, ini);
    EXPECT_EQ(boxes.texts, QStringList{why});
    for (Command c : {Command::ImportV2e, Command::EditRankingLists, Command::Backup, Command::ImportTextTable}) {
        boxes.texts.clear();
        application.mainWindow().action(c)->trigger();
        EXPECT_EQ(boxes.texts, QStringList{why}) << int(c);
    }
}

TEST(ApplicationTest, ADatabaseAnotherCopyUsesIsNotOpened)
{
    QTemporaryDir dir;
    const AppPaths paths = pathsIn(dir);
    IniFile ini(paths.settingsFile);
    const QString data = paths.baseDirectory + QStringLiteral("Daten/");
    ASSERT_TRUE(QDir().mkpath(data));
    // Another copy, whatever its runtime directory, holds the lock beside the database.
    SingleInstance other(db::DatabaseSetup::lockFile(data));
    ASSERT_TRUE(other.tryAcquire());

    BoxAnswerer boxes;
    Application application(paths, ini);
    const QString why = db::DatabaseSetup::inUseMessage(data);
    EXPECT_EQ(boxes.texts, QStringList{why});
    EXPECT_EQ(application.databaseFailure(), why);
    EXPECT_FALSE(QFileInfo::exists(db::Database::fileIn(data)));
}

TEST(ApplicationTest, TheRestoreOfferOnANewDatabaseComesOverTheWindowThatSaysWhy)
{
    QTemporaryDir dir;
    const AppPaths paths = pathsIn(dir);
    IniFile ini(paths.settingsFile);

    // The first start creates the tables and offers the restore with the open dialog.
    bool offered = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        offered = true;
        auto *main = qobject_cast<MainWindow *>(dialog->parentWidget());
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(main->isVisible());
        EXPECT_TRUE(main->summary().contains(QStringLiteral("Sicherung (RanBase.sql) kann jetzt in sie geladen")));
        dialog->reject();
    });
    Application application(paths, ini);
    EXPECT_TRUE(offered);
    EXPECT_TRUE(application.mainWindow().summary().isEmpty());  // the offer was declined: the line goes
}

TEST(ApplicationTest, PublishingAsksForTheDirectoryAndWritesTheSite)
{
    QTemporaryDir dir;
    const AppPaths paths = pathsIn(dir);
    IniFile ini(paths.settingsFile);
    QTimer::singleShot(0, [] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
            dialog->reject();  // no restore into the new database
    });
    Application application(paths, ini);
    {
        db::Database other(db::Database::fileIn(paths.baseDirectory + QStringLiteral("Daten/")));
        other.open();
        other.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, KATEGORIE_D, LAYOUT) VALUES (7, 0, "
                                  "'Frauen', 'EINZEL')"));
    }
    const QString site = dir.filePath(QStringLiteral("Ergebnisse"));
    QString asked;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *input = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())) {
            asked = input->labelText();
            input->setTextValue(site);
            input->accept();
        }
    });
    answer.start(10);
    application.mainWindow().action(Command::PublishResults)->trigger();
    EXPECT_TRUE(asked.startsWith(QStringLiteral("Verzeichnis der Ergebnisse")));
    EXPECT_EQ(ini.readString(QStringLiteral("Options"), QStringLiteral("Ergebnisse-Pfad")), site);
    EXPECT_TRUE(test::readBytes(site + QStringLiteral("/index.html")).contains("Frauen"));
    EXPECT_TRUE(QFileInfo::exists(site + QStringLiteral("/liste-7-0.html")));
    EXPECT_TRUE(application.mainWindow().summary().startsWith(QStringLiteral("Ergebnisse in ")));
}
