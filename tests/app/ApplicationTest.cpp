#include "app/Application.h"
#include "app/MainWindow.h"
#include "common/IniFile.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
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

}  // namespace

TEST(ApplicationTest, WithoutADatabaseTheDataCommandsSayWhy)
{
    QTemporaryDir dir;
    AppPaths paths;
    paths.baseDirectory = dir.path() + u'/';
    paths.settingsFile = dir.filePath(QStringLiteral("Ranquill.ini"));
    paths.aliasFile = dir.filePath(QStringLiteral("config/RANBASE.cfg"));
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
