#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "common/CodePage1252.h"
#include "common/IniFile.h"
#include "interchange/InterchangeImport.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace rq;

namespace {

QStringList captions(const QMenu *menu)
{
    QStringList list;
    for (const QAction *a : menu->actions())
        list << a->text();
    return list;
}

QMenu *submenu(const QMenu *menu, const QString &caption)
{
    for (QAction *a : menu->actions()) {
        if (a->text() == caption)
            return a->menu();
    }
    return nullptr;
}

}  // namespace

class MainWindowTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Ranquill.ini"));
    IniFile ini{path};
};

TEST_F(MainWindowTest, MenuCaptionsHintsAndDefaults)
{
    MainWindow w(ini);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("VELDOR Ranquill"));
    EXPECT_EQ(w.minimumSize(), QSize(640, 480));
    const QList<QAction *> top = w.menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top.at(0)->text(), QStringLiteral("&Datei"));
    EXPECT_EQ(top.at(1)->text(), QStringLiteral("&Bearbeiten"));
    EXPECT_EQ(top.at(2)->text(), QStringLiteral("&Hilfe"));

    QMenu *datei = top.at(0)->menu();
    EXPECT_EQ(captions(datei),
              QStringList({QStringLiteral("&Exportieren"), QStringLiteral("Importieren"),
                           QStringLiteral("&Zurück zu einem Sicherungspunkt..."),
                           QStringLiteral("Ergebnisse &veröffentlichen"), QStringLiteral("&Beenden")}));
    EXPECT_EQ(captions(submenu(datei, QStringLiteral("&Exportieren"))),
              QStringList({QStringLiteral("&Sicherung aller Daten"), QStringLiteral("Mit &Editor Abfrage erstellen"),
                           QStringLiteral("E2V Datei exportieren")}));
    EXPECT_EQ(captions(submenu(datei, QStringLiteral("Importieren"))),
              QStringList({QStringLiteral("&V2E Datei importieren"), QStringLiteral("&E2V Datei importieren"),
                           QStringLiteral("Importe löschen"), QStringLiteral("&Rangliste importieren"),
                           QStringLiteral("Textdatei in Tabelle einlesen")}));
    EXPECT_EQ(captions(top.at(1)->menu()),
              QStringList({QStringLiteral("Resultate erfassen "), QStringLiteral("&Rangliste bearbeiten"),
                           QStringLiteral("&Nachmelden")}));

    EXPECT_EQ(w.action(Command::RemoveImports)->statusTip(),
              QStringLiteral("Alle E2V und V2E samt Nachmeldungen löschen"));
    EXPECT_TRUE(w.action(Command::Backup)->font().bold());
    EXPECT_TRUE(w.action(Command::CaptureResults)->font().bold());
    EXPECT_FALSE(w.action(Command::QueryEditor)->font().bold());
    for (Command c : {Command::Backup, Command::ImportV2e, Command::Quit, Command::About})
        EXPECT_FALSE(w.action(c)->icon().isNull());
    for (const char *caption : {"&Exportieren", "Importieren"})
        EXPECT_FALSE(submenu(datei, QString::fromLatin1(caption))->icon().isNull()) << caption;
}

TEST_F(MainWindowTest, StatusBarShowsTheTextAfterTheBar)
{
    MainWindow w(ini);
    w.show();
    w.action(Command::About)->showStatusText(&w);
    EXPECT_EQ(w.statusBar()->currentMessage(),
              QStringLiteral("Anzeige von Informationen, Versionsnummer und Copyright-Vermerk"));
    w.action(Command::RemoveImports)->showStatusText(&w);
    EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("Alle E2V und V2E samt Nachmeldungen löschen"));
}

TEST_F(MainWindowTest, ErrorListIsHiddenUntilShown)
{
    MainWindow w(ini);
    w.show();
    EXPECT_FALSE(w.errorListVisible());
    EXPECT_EQ(w.errorListText(), QStringLiteral("Fehlerliste"));
    w.clearLines();
    w.appendLine(QStringLiteral("Fehler in Zeile 2: Status ID ungültig"));
    w.showList();
    EXPECT_TRUE(w.errorListVisible());
    EXPECT_EQ(w.errorListText(), QStringLiteral("Fehler in Zeile 2: Status ID ungültig"));
}

TEST_F(MainWindowTest, RebuildIdSurvivesStartsAndMaximisedCloseKeepsGeometry)
{
    test::writeBytes(path, "[DB]\r\nRebuildId=7\r\n[Windows]\r\nMainFormTop=33\r\nMainFormLeft=44\r\n");
    for (int start = 0; start < 2; ++start) {
        MainWindow w(ini);
        EXPECT_EQ(w.rebuildId(), 7);
        EXPECT_EQ(w.pos(), QPoint(44, 33));
        w.show();
        w.close();
    }
    EXPECT_EQ(ini.readInt(QStringLiteral("DB"), QStringLiteral("RebuildId"), 0), 7);
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("MainFormWindowState"), -1), 0);

    {
        MainWindow w(ini);
        w.showMaximized();
        w.close();
    }
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("MainFormWindowState"), -1), 1);
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("MainFormTop"), -1), 33);
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("MainFormWidth"), -1), 640);
    EXPECT_EQ(ini.readInt(QStringLiteral("DB"), QStringLiteral("RebuildId"), 0), 7);

    MainWindow w(ini);
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
}

TEST_F(MainWindowTest, AboutBoxShowsBuildDataAndStoresItsPlace)
{
    {
        AboutBox box(ini);
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Info über Ranquill"));
        EXPECT_TRUE(box.versionText().startsWith(QStringLiteral("Version 0.")));
        EXPECT_TRUE(box.buildText().startsWith(QStringLiteral("Build 0.")));
        EXPECT_TRUE(box.osText().contains(QStringLiteral("(Build ")));
        EXPECT_TRUE(box.memoryText().endsWith(QStringLiteral(" KB")));
        // A space between the caption's text and the figure.
        const auto *caption = box.findChild<QLabel *>(QStringLiteral("MemoryCaption"));
        const auto *figure = std::as_const(box).findChildren<QLabel *>().constLast();
        ASSERT_TRUE(caption && figure->text() == box.memoryText());
        EXPECT_GT(figure->x(), caption->x() + caption->fontMetrics().horizontalAdvance(caption->text()));
        box.setDatabase(QStringLiteral("PostgreSQL ranquill@halle:5432/turnfest"));
        EXPECT_EQ(box.databaseText(), QStringLiteral("Datenbank: PostgreSQL ranquill@halle:5432/turnfest"));
        box.move(12, 34);
    }
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("AboutBoxTop"), -1), 34);
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("AboutBoxLeft"), -1), 12);
    EXPECT_FALSE(ini.contains(QStringLiteral("Windows"), QStringLiteral("AboutBoxHeight")));
}

TEST_F(MainWindowTest, ErrorListAfterACleanAndAFaultyImport)
{
    test::TempDatabase temp;
    MainWindow w(ini);
    w.show();
    const QString clean = temp.dir.filePath(QStringLiteral("gut.v2e"));
    cp1252::writeLines(clean, {QStringLiteral("2\t1\t1\t\t\t0\t\t\t\t\tMeier\tHans\t\t\t\t\t")});
    const QString faulty = temp.dir.filePath(QStringLiteral("schlecht.v2e"));
    cp1252::writeLines(faulty, {QStringLiteral("2\t1\t2\t\t\t0"), QStringLiteral("2\t1\t3\t\t\t9")});

    interchange::InterchangeImport(*temp.db, w).importFile(faulty, interchange::Format::V2E);
    EXPECT_TRUE(w.errorListVisible());
    EXPECT_EQ(w.errorListText(), QStringLiteral("Fehler in Zeile 2: Status ID ungültig"));
    interchange::InterchangeImport(*temp.db, w).importFile(clean, interchange::Format::V2E);
    EXPECT_FALSE(w.errorListVisible());
}

TEST_F(MainWindowTest, TheStatusBarSaysWhatAnImportDid)
{
    test::TempDatabase temp;
    MainWindow w(ini);
    w.setCommand(Command::ImportV2e,
                 [&] { interchange::InterchangeImport(*temp.db, w).run(w.op(), interchange::Format::V2E); });
    w.show();
    const QString path = temp.dir.filePath(QStringLiteral("event.v2e"));
    const QString person = QStringLiteral("2\t12\t7\t\tBem\t1\t\t\t\t\tMeier\tHans\t1990\tTV\tBern\tLA\tAktive");
    const QString jump = QStringLiteral("1\t12\t7\t%1\t2\t0\t\t\tMeter\tWeit\tMeier\tHans\t1990\tTV\tBern\tLA\tAktive");
    cp1252::writeLines(path, {person, jump.arg(1), jump.arg(2), QStringLiteral("x")});

    // The command's file dialog is answered with the file.
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    w.action(Command::ImportV2e)->trigger();
    const QString said = QStringLiteral("V2E: 1 Teilnehmer, 2 Leistungen eingelesen, 1 Zeile abgewiesen");
    EXPECT_EQ(w.summary(), said);
    // A menu hint covers the line only while it is shown.
    auto *line = w.findChild<QLabel *>(QStringLiteral("SummaryLine"));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isVisible());
    w.statusBar()->showMessage(QStringLiteral("Hinweis"));
    EXPECT_FALSE(line->isVisible());
    w.statusBar()->clearMessage();
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), said);
}
