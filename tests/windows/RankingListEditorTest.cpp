#include "common/CodePage1252.h"
#include "common/IniFile.h"
#include "db/Database.h"
#include "ranking/LinkedTableModel.h"
#include "ranking/OrderedListModel.h"
#include "ranking/RankingListModels.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "windows/RankingListEditor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::ranking;
using rq::windows::RankingListEditor;

namespace {

class RankingListEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (5, 0)"));
        db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR) VALUES (5, 0, 3)"));
        db.exec(QStringLiteral(
            "INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR) VALUES (5, 0, 3, 1)"));
        module = std::make_unique<RankingListModels>(db, op);
        form = std::make_unique<RankingListEditor>(*module, op, ini, temp.dir.path() + u'/');
        show();
    }

    void show()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
    }

    QAction *contextAction(const QString &text)
    {
        for (QAction *a : form->listGrid()->actions()) {
            if (a->text() == text)
                return a;
        }
        return nullptr;
    }

    // Types `text` into a cell through the grid's own editor and commits it.
    void type(Level level, int row, const char *field, const QString &text)
    {
        QTableView *view = form->grid(level);
        auto *model = static_cast<LinkedTableModel *>(view->model());
        const QModelIndex index = model->index(row, model->fieldIndex(QString::fromLatin1(field)));
        view->setCurrentIndex(index);
        view->edit(index);
        // Whole-number columns edit in a spin box, text columns in a line edit.
        QWidget *editor = QApplication::focusWidget();
        ASSERT_TRUE(editor && editor != view) << field << " row " << row << " of " << model->rowCount();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void insert(Level level)
    {
        form->grid(level)->setFocus();
        QTest::mouseClick(form->findChild<QToolButton *>(QStringLiteral("NavInsert")), Qt::LeftButton);
    }

    void select(Level level, int row)
    {
        QTableView *view = form->grid(level);
        view->setFocus();
        view->setCurrentIndex(view->model()->index(row, view->horizontalHeader()->logicalIndex(0)));
    }

    int count(const QString &sql) { return db.scalar(sql).toInt(); }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    IniFile ini{temp.dir.filePath(QStringLiteral("Ranquill.ini"))};
    std::unique_ptr<RankingListModels> module;
    std::unique_ptr<RankingListEditor> form;
};

}  // namespace

TEST_F(RankingListEditorTest, NewListIsSelectedAndRefusedTwice)
{
    op.answerText(QStringLiteral("12"));
    op.answerText(QStringLiteral("0"));
    contextAction(QStringLiteral("Neue Rangliste erstellen"))->trigger();
    const QModelIndex current = form->listGrid()->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(form->listGrid()->model()->index(current.row(), 0).data().toInt(), 12);
    EXPECT_EQ(module->currentKey(), (ListKey{12, 0}));

    for (const char *kat : {"12", "12a"}) {
        op.answerText(QString::fromLatin1(kat));
        op.answerText(QStringLiteral("0"));
        contextAction(QStringLiteral("Neue Rangliste erstellen"))->trigger();
    }
    EXPECT_EQ(op.messages.filter(QStringLiteral("Warnung")),
              QStringList({QStringLiteral("Warnung: Rangliste mit Kat. 12 und Klasse 0 kann nicht erzeugt werden"),
                           QStringLiteral("Warnung: Rangliste mit Kat. 12a und Klasse 0 kann nicht erzeugt werden")}));
}

TEST_F(RankingListEditorTest, EditingPositionsBlocksAndDetails)
{
    op.answerText(QStringLiteral("12"));
    op.answerText(QStringLiteral("0"));
    contextAction(QStringLiteral("Neue Rangliste erstellen"))->trigger();
    form->tabs()->setCurrentIndex(RankingListEditor::Erfassen);

    insert(Level::Position);
    type(Level::Position, 0, "RANGPOS_NR", QStringLiteral("3"));
    type(Level::Position, 0, "NAME1", QStringLiteral("Meier"));
    QTest::mouseClick(form->findChild<QToolButton *>(QStringLiteral("NavPost")), Qt::LeftButton);
    for (int block = 1; block <= 2; ++block) {
        insert(Level::Block);
        // An open editor is taken over by "Übernehmen" too.
        QTableView *blocks = form->grid(Level::Block);
        blocks->edit(blocks->currentIndex());
        QTest::keyClicks(QApplication::focusWidget(), QString::number(block));
        QTest::mouseClick(form->findChild<QToolButton *>(QStringLiteral("NavPost")), Qt::LeftButton);
        insert(Level::Detail);
        type(Level::Detail, 0, "DETAILPOS_NR", QStringLiteral("1"));
        type(Level::Detail, 0, "DISZIPLIN", QStringLiteral("Weitsprung"));
        QTest::mouseClick(form->findChild<QToolButton *>(QStringLiteral("NavPost")), Qt::LeftButton);
    }
    EXPECT_TRUE(op.messages.filter(QStringLiteral("Ranquill")).isEmpty()) << op.messages.join(u'\n').toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAIL WHERE KAT_NR = 12 AND RANGPOS_NR = 3")), 2);

    // 3 → 7 carries blocks and details; list 5's position 3 stays.
    type(Level::Position, 0, "RANGPOS_NR", QStringLiteral("7"));
    QTest::mouseClick(form->findChild<QToolButton *>(QStringLiteral("NavPost")), Qt::LeftButton);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 12 AND RANGPOS_NR = 7")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAIL WHERE KAT_NR = 12 AND RANGPOS_NR = 7")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 5 AND RANGPOS_NR = 3")), 1);

    // No to the delete question keeps the row.
    select(Level::Position, 0);
    op.answer(Button::No);
    QTest::mouseClick(form->findChild<QToolButton *>(QStringLiteral("NavDelete")), Qt::LeftButton);
    EXPECT_EQ(op.messages.last(), QStringLiteral("Bestätigung: Wollen Sie den aktuellen Datensatz wirklich löschen?"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM RANGPOS WHERE KAT_NR = 12")), 1);

    // Ctrl+Del asks the grid's question first.
    op.answer(Button::Ok);
    op.answer(Button::Yes);
    QTest::keyClick(form->grid(Level::Position), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(op.messages.mid(op.messages.size() - 2),
              QStringList({QStringLiteral("Bestätigung: Datensatz löschen?"),
                           QStringLiteral("Bestätigung: Wollen Sie den aktuellen Datensatz wirklich löschen?")}));
    EXPECT_EQ(op.enterButtons.value(QStringLiteral("Datensatz löschen?")), Button::Cancel);
    EXPECT_EQ(op.enterButtons.value(QStringLiteral("Wollen Sie den aktuellen Datensatz wirklich löschen?")),
              Button::No);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM RANGPOS WHERE KAT_NR = 12")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 12")), 2);
}

TEST_F(RankingListEditorTest, ClosingDiscardsOrKeepsThePendingEdit)
{
    module->setCurrentRow(module->rowOf({5, 0}));
    form->tabs()->setCurrentIndex(RankingListEditor::Erfassen);
    type(Level::Position, 0, "NAME1", QStringLiteral("Verworfen"));
    QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("BitBtnCancel")), Qt::LeftButton);
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT NAME1 IS NULL FROM RANGPOS")).toBool());
    EXPECT_FALSE(form->isVisible());

    show();
    form->tabs()->setCurrentIndex(RankingListEditor::Erfassen);
    type(Level::Position, 0, "NAME1", QStringLiteral("Behalten"));
    QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("BitBtnOk")), Qt::LeftButton);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME1 FROM RANGPOS")).toString(), QStringLiteral("Behalten"));

    // A pending edit that cannot be posted keeps the window open.
    show();
    form->tabs()->setCurrentIndex(RankingListEditor::Erfassen);
    db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR) VALUES (5, 0, 4)"));
    type(Level::Position, 0, "RANGPOS_NR", QStringLiteral("4"));
    QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("BitBtnOk")), Qt::LeftButton);
    EXPECT_TRUE(form->isVisible());
    ASSERT_FALSE(op.messages.isEmpty());
    EXPECT_TRUE(op.messages.last().startsWith(
        QStringLiteral("Ranquill: Ein Datensatz mit diesem Schlüssel ist schon vorhanden (UNIQUE")));
}

TEST_F(RankingListEditorTest, SettingsAreWrittenAndReadBack)
{
    form->findChild<QLineEdit *>(QStringLiteral("LabeledEditArt"))->setText(QStringLiteral("Kranz"));
    form->findChild<QCheckBox *>(QStringLiteral("CheckBoxRePrint"))->setChecked(false);
    form.reset();
    EXPECT_EQ(ini.readString(QStringLiteral("Options"), QStringLiteral("LabeledEditArt")), QStringLiteral("Kranz"));
    EXPECT_EQ(ini.readInt(QStringLiteral("Options"), QStringLiteral("CheckBoxRePrint"), -1), 0);
    EXPECT_EQ(ini.readInt(QStringLiteral("Options"), QStringLiteral("CheckBoxPreview"), -1), 1);
    EXPECT_EQ(ini.readString(QStringLiteral("Options"), QStringLiteral("PDF-Path")),
              temp.dir.path() + QStringLiteral("/PDF-Temp/"));
    EXPECT_TRUE(QFileInfo(temp.dir.path() + QStringLiteral("/PDF-Temp")).isDir());
    EXPECT_TRUE(ini.contains(QStringLiteral("Windows"), QStringLiteral("KonfigInFormWidth")));

    form = std::make_unique<RankingListEditor>(*module, op, ini, temp.dir.path() + u'/');
    EXPECT_EQ(form->awardText(), QStringLiteral("Kranz"));
    EXPECT_FALSE(form->rePrint());
    EXPECT_TRUE(form->preview());
}

TEST_F(RankingListEditorTest, RankingTabShowsTheCaptionAndTheOrderedList)
{
    db.exec(QStringLiteral("UPDATE RANGLISTE SET SPARTE_D = 'Turnen', KLASSE_D = 'A'"));
    db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, PUNKTE) VALUES (5, 0, 9, '20')"));
    module->setCurrentRow(module->rowOf({5, 0}));
    form->tabs()->setCurrentIndex(RankingListEditor::Rangieren);
    EXPECT_EQ(form->captionText(), QStringLiteral("Kategorie 5 - Turnen  A"));
    ASSERT_EQ(form->orderGrid()->model()->rowCount(), 2);
    EXPECT_EQ(module->orderModel()->record(0).value(QStringLiteral("RANGPOS_NR")).toInt(), 9);
}

TEST_F(RankingListEditorTest, RankingButtonsOnTheRealTab)
{
    db.exec(QStringLiteral("DELETE FROM DETAILBLOCK"));
    db.exec(QStringLiteral("DELETE FROM RANGPOS"));
    const char *points[] = {"45", "48", "50", "48"};
    for (int i = 0; i < 4; ++i)
        db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, PUNKTE) VALUES (5, 0, ?, ?)"),
                {i + 1, QString::fromLatin1(points[i])});
    module->setCurrentRow(module->rowOf({5, 0}));
    form->tabs()->setCurrentIndex(RankingListEditor::Rangieren);
    const auto grid = [this] {
        QStringList rows;
        QAbstractItemModel *m = form->orderGrid()->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (const char *f : {"RANGPOS_NR", "RANG", "PUNKTE", "AUSZEICHNUNG"})
                cells << module->orderModel()->record(r).value(QString::fromLatin1(f)).toString();
            rows << cells.join(u'|');
        }
        return rows;
    };
    QTest::mouseClick(form->button(QStringLiteral("BitBtnRank")), Qt::LeftButton);
    EXPECT_EQ(grid(), QStringList({QStringLiteral("1|1|50|"), QStringLiteral("2|2|48|"), QStringLiteral("3||48|"),
                                   QStringLiteral("4|4|45|")}));
    op.answer(Button::Yes);
    QTest::mouseClick(form->button(QStringLiteral("BitBtnSameRanks")), Qt::LeftButton);
    form->findChild<QLineEdit *>(QStringLiteral("LabeledEditArt"))->setText(QStringLiteral("Kranz"));
    form->findChild<QLineEdit *>(QStringLiteral("LabeledEditCount"))->setText(QStringLiteral("2"));
    form->findChild<QRadioButton *>(QStringLiteral("Anz."))->setChecked(true);
    QTest::mouseClick(form->button(QStringLiteral("BitBtnDistribute")), Qt::LeftButton);
    EXPECT_EQ(grid(), QStringList({QStringLiteral("1|1|50|Kranz"), QStringLiteral("2|2|48|Kranz"),
                                   QStringLiteral("3|2|48|Kranz"), QStringLiteral("4|4|45|")}));
    EXPECT_EQ(op.messages.filter(QStringLiteral("Ranquill")), QStringList());
}

TEST_F(RankingListEditorTest, OpeningTheEditingTabShowsTheFirstBlocksDetails)
{
    db.exec(
        QStringLiteral("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, DETAILPOS_NR, DISZIPLIN) "
                       "VALUES (5, 0, 3, 1, 1, 'Weit')"));
    module->setCurrentRow(module->rowOf({5, 0}));
    form->tabs()->setCurrentIndex(RankingListEditor::Erfassen);
    EXPECT_EQ(form->grid(Level::Position)->model()->rowCount(), 1);
    EXPECT_EQ(form->grid(Level::Block)->model()->rowCount(), 1);
    EXPECT_EQ(form->grid(Level::Detail)->model()->rowCount(), 1);
}

TEST_F(RankingListEditorTest, PrintTemplateShowsTheMedalListThenWritesItsPdf)
{
    db.exec(QStringLiteral("UPDATE RANGLISTE SET LAYOUT = 'EINZEL', SPARTE_D = 'Turnen'"));
    db.exec(QStringLiteral("UPDATE RANGPOS SET RANG = '1', NAME1 = 'Meier', PUNKTE = '50'"));
    module->setCurrentRow(module->rowOf({5, 0}));
    auto *intro = form->findChild<QLineEdit *>(QStringLiteral("LabeledEditIntro"));
    QPushButton *button = form->button(QStringLiteral("BitBtnTemplate"));
    const QString pdf = temp.dir.path() + QStringLiteral("/PDF-Temp/Kat5-0.pdf");
    // The preview is closed as soon as it shows; the file follows.
    int previews = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != form.get()) {
            ++previews;
            EXPECT_FALSE(QFileInfo::exists(pdf));  // not before the preview closes
            EXPECT_FALSE(button->isEnabled());
            modal->close();
        }
    });
    closer.start(20);
    for (const auto &[typed, shown] : {std::pair{"abc", "0"}, std::pair{"12.5", "12.5"}}) {
        intro->setText(QString::fromLatin1(typed));
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(intro->text(), QString::fromLatin1(shown));
        EXPECT_TRUE(test::readBytes(pdf).startsWith("%PDF"));
        EXPECT_TRUE(button->isEnabled());
        QFile::remove(pdf);
    }
    EXPECT_EQ(previews, 2);

    db.exec(QStringLiteral("DELETE FROM RANGPOS"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(op.messages.last(), QStringLiteral("Warnung: Kein Daten für Rangliste vorhanden"));
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(RankingListEditorTest, ExportButtonWritesAReleaseOnClickAndADevelopmentCopyOnContextKeys)
{
    module->setCurrentRow(module->rowOf({5, 0}));
    QPushButton *button = form->button(QStringLiteral("BitBtnExport"));
    const auto versionShown = [&] {
        const QModelIndex current = form->listGrid()->currentIndex();
        EXPECT_EQ(form->listGrid()->model()->index(current.row(), 0).data().toInt(), 5);
        return form->listGrid()->model()->index(current.row(), 4).data().toString();
    };

    op.answerFile(temp.dir.filePath(QStringLiteral("r.txt")));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(op.lastDialog.fileName, QStringLiteral("5_0_Vers1.txt"));
    EXPECT_TRUE(QFileInfo::exists(temp.dir.filePath(QStringLiteral("DET_r.txt"))));
    EXPECT_EQ(versionShown(), QStringLiteral("1"));
    EXPECT_TRUE(button->isEnabled());

    // Right mouse button, menu key and Shift+F10 each write a development copy.
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
    const std::function<void()> requests[] = {
        [&] { QApplication::sendEvent(button, &mouse); },
        [&] { QApplication::sendEvent(button, &menuKey); },
        [&] {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_F10, Qt::ShiftModifier);
        },
    };
    int version = 1;
    for (const auto &request : requests) {
        ++version;
        op.answerFile(temp.dir.filePath(QStringLiteral("d%1.txt").arg(version)));
        request();
        EXPECT_EQ(op.lastDialog.fileName, QStringLiteral("5_0_Vers%1_dev.txt").arg(version));
        EXPECT_EQ(versionShown(), QString::number(version));
        const QStringList list = cp1252::readLines(temp.dir.filePath(QStringLiteral("LST_d%1.txt").arg(version)));
        ASSERT_EQ(list.size(), 2);
        EXPECT_TRUE(list.at(1).contains(QStringLiteral("\t'0'\t")));
    }
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
}

TEST_F(RankingListEditorTest, TheTabsNameTheirListAndLetzterReachesTheEndOfALongOne)
{
    db.exec(QStringLiteral("UPDATE RANGLISTE SET SPARTE_D = 'Turnen', KATEGORIE_D = 'Aktive'"));
    db.exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 4 UNION ALL SELECT i + 1 FROM n WHERE i < 1500) "
                       "INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, NAME1) SELECT 5, 0, i, 'N' || i FROM n"));
    for (const auto tab : {RankingListEditor::Erfassen, RankingListEditor::Rangieren}) {
        form->tabs()->setCurrentIndex(tab);
        const auto lines = form->tabs()->currentWidget()->findChildren<QLabel *>(QStringLiteral("ListLine"));
        ASSERT_EQ(lines.size(), 1) << tab;
        EXPECT_EQ(lines.first()->text(), QStringLiteral("Rangliste 5-0: Kategorie 5 - Turnen Aktive")) << tab;
    }

    // More positions than the grid reads at once: "Letzter" and Ctrl+End go to the last of them.
    form->tabs()->setCurrentIndex(RankingListEditor::Erfassen);
    select(Level::Position, 0);
    QTest::mouseClick(form->findChild<QToolButton *>(QStringLiteral("NavLast")), Qt::LeftButton);
    QTableView *positions = form->grid(Level::Position);
    const auto numberAt = [&](const QModelIndex &index) {
        auto *model = static_cast<LinkedTableModel *>(positions->model());
        return model->record(index.row()).value(QStringLiteral("RANGPOS_NR")).toInt();
    };
    EXPECT_EQ(numberAt(positions->currentIndex()), 1500);
    select(Level::Position, 0);
    QTest::keyClick(positions, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(numberAt(positions->currentIndex()), 1500);

    // The spare width goes to names and clubs, not to the last column.
    form->resize(1200, 700);
    QCoreApplication::processEvents();
    auto *model = static_cast<LinkedTableModel *>(positions->model());
    EXPECT_GT(positions->columnWidth(model->fieldIndex(QStringLiteral("NAME1"))),
              positions->columnWidth(model->fieldIndex(QStringLiteral("BEMERKUNGEN"))));
}

TEST_F(RankingListEditorTest, AMaximisedEditorOpensMaximisedAgain)
{
    form->showMaximized();
    form.reset();
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("KonfigInFormWindowState"), 0), 1);
    form = std::make_unique<RankingListEditor>(*module, op, ini, temp.dir.path() + u'/');
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
}
