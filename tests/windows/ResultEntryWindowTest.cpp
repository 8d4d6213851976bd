#include "capture/FormulaParser.h"
#include "capture/ParticipantData.h"
#include "common/IniFile.h"
#include "db/Database.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "windows/ParticipantSelection.h"
#include "windows/ResultEntryWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::capture;
using namespace rq::windows;

namespace {

class ResultEntryWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const struct
        {
            int kat;
            int nr;
            const char *name;
            int status;
        } people[] = {{12, 3, "Brändli", 0}, {12, 7, "Meier", 0}, {12, 9, "Zürcher", 1}, {13, 1, "Roth", 2}};
        for (const auto &p : people)
            db.exec(
                QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, NAME, VORNAME, ORT, SPARTE, KATEGORIE, "
                               "STATUS_ID, IMPORT_ID, ZEILENTYP_ID) VALUES (?, ?, ?, 'Hans', 'Bern', 'LA', 'Aktive', "
                               "?, 1, 2)"),
                {p.kat, p.nr, QString::fromUtf8(p.name), p.status});
        const struct
        {
            int disz;
            int unit;
            const char *name;
        } disciplines[] = {{1, 0, "Sprint"}, {2, 2, "Weit"}, {3, 1, "Hoch"}, {4, 0, "Wurf"}};
        for (const auto &d : disciplines)
            db.exec(QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, EINHEIT_ID, STATUS_ID, DISZIPLIN, "
                                   "IMPORT_ID, ZEILENTYP_ID) VALUES (12, 7, ?, ?, 0, ?, 1, 1)"),
                    {d.disz, d.unit, QString::fromLatin1(d.name)});
        ini.writeString(QStringLiteral("Formulas"), QStringLiteral("2-Weit"), QStringLiteral("L 100 *"));
        ini.writeString(QStringLiteral("Formulas"), QStringLiteral("3-Hoch"), QStringLiteral("L Z +"));
    }

    void open(int decimals = 0, bool average = false)
    {
        form.prepare(12, 7, decimals, average);
        form.show();
        QApplication::setActiveWindow(&form);
        form.grid()->setFocus();
    }

    // Types into the current cell through its editor and ends with Enter.
    void typeCell(const QString &text)
    {
        QTest::keyClick(form.grid(), text.at(0).toLatin1());
        QWidget *editor = QApplication::focusWidget();
        ASSERT_NE(editor, form.grid());
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the delegate takes the text over queued
    }

    QString value(const QString &sql) { return db.scalar(sql).toString(); }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    IniFile ini{temp.dir.filePath(QStringLiteral("Ranquill.ini"))};
    FormulaParser parser{op};
    ResultEntryWindow form{db, op, ini, parser};
};

}  // namespace

TEST_F(ResultEntryWindowTest, TypeCalculateAndSave)
{
    open(2);
    typeCell(QStringLiteral("12.5"));  // Sprint, Punkte: L
    typeCell(QStringLiteral("5.5"));  // Weit, Meter: L 100 *
    QTest::keyClick(form.grid(), Qt::Key_Right);  // Hoch: performance first
    EXPECT_EQ(op.messages, QStringList());
    typeCell(QStringLiteral("180"));
    QTest::keyClick(form.grid(), Qt::Key_Up);
    QTest::keyClick(form.grid(), Qt::Key_Right);  // now Zusatzwert of Hoch
    typeCell(QStringLiteral("2"));
    QTest::mouseClick(form.calculateButton(), Qt::LeftButton);
    EXPECT_EQ(form.totalField()->text(), QStringLiteral("744.50"));
    EXPECT_TRUE(form.saveButton()->isEnabled());
    QTest::mouseClick(form.saveButton(), Qt::LeftButton);
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();

    QSqlQuery q = db.exec(QStringLiteral("SELECT group_concat(coalesce(ZUSATZ1,'-') || '/' || coalesce(ZUSATZ2,'-') || "
                                         "'/' || coalesce(ZUSATZ3,'-') || '/' || STATUS_ID, ' ') FROM "
                                         "(SELECT * FROM LEISTUNG ORDER BY DISZ_ID)"),
                          {});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString().toStdString(), "12.50/-/12.50/1 5.50/-/550.00/1 180/2/182.00/1 -/-/0/0");
    EXPECT_EQ(
        value(QStringLiteral("SELECT ZUSATZ1 || '/' || PKT_VAL || '/' || STATUS_ID FROM PERSON WHERE PERS_ID = 7")),
        QStringLiteral("744.50/744.5/1"));
}

TEST_F(ResultEntryWindowTest, AverageNegativeTotalAndWithdrawal)
{
    ini.writeString(QStringLiteral("Formulas"), QStringLiteral("2-Weit"), QStringLiteral("10"));
    ini.writeString(QStringLiteral("Formulas"), QStringLiteral("3-Hoch"), QStringLiteral("10"));
    open(2, true);
    typeCell(QStringLiteral("10"));
    typeCell(QStringLiteral("1"));
    typeCell(QStringLiteral("1"));
    QTest::mouseClick(form.calculateButton(), Qt::LeftButton);
    EXPECT_EQ(form.totalField()->text(), QStringLiteral("7.50"));

    // A negative total typed by hand is stored as 0.
    form.totalField()->setText(QStringLiteral("-3"));
    QTest::mouseClick(form.saveButton(), Qt::LeftButton);
    EXPECT_EQ(op.messages,
              QStringList{QStringLiteral("Warnung: Ungültiger Wert in Punktetotal wird als O gespeichert")});
    EXPECT_EQ(
        value(QStringLiteral("SELECT ZUSATZ1 || '/' || CAST(PKT_VAL * 10 AS INTEGER) || '/' || STATUS_ID FROM PERSON "
                             "WHERE PERS_ID = 7")),
        QStringLiteral("0/0/1"));

    // "Abgemeldet" after "&Berechnen" stays 2; after a cell move the total is gone: 0 and a warning.
    op.messages.clear();
    open(2, true);
    form.statusBox()->setCurrentIndex(2);
    QTest::mouseClick(form.calculateButton(), Qt::LeftButton);
    QTest::mouseClick(form.saveButton(), Qt::LeftButton);
    EXPECT_EQ(value(QStringLiteral("SELECT STATUS_ID FROM PERSON WHERE PERS_ID = 7")), QStringLiteral("2"));
    open(2, true);
    form.statusBox()->setCurrentIndex(2);
    QTest::mouseClick(form.calculateButton(), Qt::LeftButton);
    form.grid()->setFocus();
    QTest::keyClick(form.grid(), Qt::Key_Down);
    QTest::mouseClick(form.saveButton(), Qt::LeftButton);
    EXPECT_EQ(value(QStringLiteral("SELECT STATUS_ID FROM PERSON WHERE PERS_ID = 7")), QStringLiteral("0"));
    EXPECT_EQ(op.messages.last(),
              QStringLiteral("Warnung: Datensatz gilt als unbearbeitet wegen fehlendem Punktetotal, "));
}

TEST_F(ResultEntryWindowTest, BadEntriesAreRefusedAndQuotesStoredAsTyped)
{
    open();
    form.grid()->setCurrentCell(1, ResultEntryWindow::Leistung);
    typeCell(QStringLiteral("-2"));
    EXPECT_EQ(op.messages.last(), QStringLiteral("Fehler: Negative Leistung nicht erlaubt"));
    EXPECT_EQ(form.grid()->currentRow(), 1);
    form.grid()->item(1, ResultEntryWindow::Leistung)->setText(QStringLiteral("abc"));
    EXPECT_EQ(form.grid()->item(1, ResultEntryWindow::Leistung)->text(), QString());
    EXPECT_FALSE(form.moveTo(2, ResultEntryWindow::Zusatzwert));
    EXPECT_EQ(op.messages.last(), QStringLiteral("Information: Zuerst Leistung anwählen"));

    op.messages.clear();
    form.field(QStringLiteral("EditName"))->setText(QStringLiteral("O'Neil \"Jr\""));
    form.field(QStringLiteral("EditBemerkung"))->setText(QStringLiteral("d'accord"));
    QTest::mouseClick(form.calculateButton(), Qt::LeftButton);
    QTest::mouseClick(form.saveButton(), Qt::LeftButton);
    EXPECT_EQ(value(QStringLiteral("SELECT NAME || '|' || BEMERKUNG FROM PERSON WHERE PERS_ID = 7")),
              QStringLiteral("O'Neil \"Jr\"|d'accord"));
}

TEST_F(ResultEntryWindowTest, StoredDataThatFailLoadWithTheirMessage)
{
    db.exec(QStringLiteral("UPDATE LEISTUNG SET ZUSATZ1 = '-5' WHERE DISZ_ID = 2"));
    open();
    EXPECT_EQ(op.messages, QStringList({QStringLiteral("Fehler: Negative Leistung nicht erlaubt"),
                                        QStringLiteral("Fehler: Fehlerhafte Daten gefunden")}));
    EXPECT_EQ(form.grid()->item(1, ResultEntryWindow::Leistung)->text(), QStringLiteral("-5"));
    EXPECT_TRUE(form.calculateButton()->isEnabled());
}

TEST_F(ResultEntryWindowTest, SelectionSearchAndStatusCount)
{
    ParticipantData data(db);
    ParticipantSelection select(data, form, op, ini);
    select.show();
    EXPECT_FALSE(select.button(QStringLiteral("ButtonSearch"))->isEnabled());
    select.field(QStringLiteral("EditSearchKat"))->setText(QStringLiteral("12"));
    EXPECT_TRUE(select.button(QStringLiteral("ButtonSearch"))->isEnabled());

    select.field(QStringLiteral("EditSearchStart"))->setText(QStringLiteral("8"));
    select.search();
    EXPECT_EQ(op.messages.last(), QStringLiteral("Ranquill: Start Nr. 8 nicht vorhanden."));
    EXPECT_EQ(select.currentCategory(), 12);

    select.field(QStringLiteral("EditSearchKat"))->clear();
    select.field(QStringLiteral("EditSearchStart"))->setText(QStringLiteral("meier"));
    select.search();
    EXPECT_EQ(select.currentStartNr(), 7);
    EXPECT_EQ(select.statusText(), QStringLiteral("Unbearbeitet"));

    select.showStatusCount();
    EXPECT_EQ(op.messages.last(), QStringLiteral("Information: 12 LA Aktive\r\n\r\nUnbearbeitet: 2\r\nBearbeitet: 1"));
}

TEST_F(ResultEntryWindowTest, ColumnsShowTheirTextsWhole)
{
    ini.writeInt(QStringLiteral("Windows"), QStringLiteral("FlexResultInFormCol5"), 20);  // "Zusatzwert" too narrow
    db.exec(QStringLiteral("UPDATE LEISTUNG SET DISZIPLIN = 'Weitsprung aus dem Stand' WHERE DISZ_ID = 2"));
    ResultEntryWindow window(db, op, ini, parser);
    window.prepare(12, 7, 0, false);
    window.show();
    QTableWidget *grid = window.grid();
    const QAbstractItemView *view = grid;
    const auto needed = [&](int c) {
        return std::max(grid->horizontalHeader()->sectionSizeHint(c), view->sizeHintForColumn(c));
    };
    EXPECT_EQ(grid->columnWidth(ResultEntryWindow::Formel), needed(ResultEntryWindow::Formel));
    EXPECT_LT(grid->columnWidth(ResultEntryWindow::Formel), 154);
    for (int c : {ResultEntryWindow::Disziplin, ResultEntryWindow::Zusatzwert, ResultEntryWindow::Punkte})
        EXPECT_GE(grid->columnWidth(c), needed(c)) << c;
    // The last total stays inside the window.
    const auto *last = window.findChild<QLabel *>(QStringLiteral("LetztesTotal"));
    EXPECT_LE(last->mapTo(&window, QPoint(last->width(), 0)).x(), window.width());
}

TEST_F(ResultEntryWindowTest, SelectionByKeyboard)
{
    ParticipantData data(db);
    ParticipantSelection select(data, form, op, ini);
    select.show();
    QApplication::setActiveWindow(&select);
    // Whatever opens the result entry shows it modally: close it at once and count.
    int opened = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (form.isVisible()) {
            ++opened;
            form.close();
        }
    });
    closer.start(5);

    // Tab leaves the category list and reaches the search fields and the buttons.
    select.categoryGrid()->setFocus();
    QSet<QString> reached;
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    for (const char *name : {"DBGridPerson", "EditSearchKat", "EditSearchStart", "ButtonOk"})
        EXPECT_TRUE(reached.contains(QLatin1String(name))) << name;
    EXPECT_EQ(select.categoryGrid()->currentIndex().column(), 0);

    // A participant found by category and number opens with Enter in the search field.
    QLineEdit *kat = select.field(QStringLiteral("EditSearchKat"));
    QLineEdit *start = select.field(QStringLiteral("EditSearchStart"));
    kat->setFocus();
    QTest::keyClicks(kat, QStringLiteral("12"));
    start->setFocus();
    QTest::keyClicks(start, QStringLiteral("7"));
    QTest::keyClick(start, Qt::Key_Return);
    QTRY_COMPARE(opened, 1);
    EXPECT_EQ(select.currentStartNr(), 7);

    // A category typed alone (the old number goes with the old category) opens that category, no participant.
    kat->setFocus();
    kat->selectAll();
    QTest::keyClicks(kat, QStringLiteral("13"));
    EXPECT_TRUE(start->text().isEmpty());
    QTest::keyClick(kat, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(select.currentCategory(), 13);
    EXPECT_TRUE(op.messages.isEmpty());

    // Enter anywhere else is OK, whichever button was pressed last.
    QTest::mouseClick(select.button(QStringLiteral("ButtonInfo")), Qt::LeftButton);
    op.messages.clear();
    EXPECT_TRUE(select.button(QStringLiteral("ButtonOk"))->isDefault());
    EXPECT_FALSE(select.button(QStringLiteral("ButtonSearch"))->autoDefault());
    select.personGrid()->setFocus();
    QTest::keyClick(select.personGrid(), Qt::Key_Return);
    QTRY_COMPARE(opened, 2);

    // Ctrl+Tab switches the tabs from any control.
    QApplication::setActiveWindow(&select);
    kat->setFocus();
    QTest::keyClick(kat, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(select.tabs()->currentIndex(), 1);
    // The conversion tab says which category it turns into a list.
    EXPECT_EQ(select.findChild<QLabel *>(QStringLiteral("ConvertLine"))->text(),
              QStringLiteral("Kategorie 13: LA Aktive"));
    QLineEdit *title = select.field(QStringLiteral("LabeledEdit1"));
    title->setFocus();
    QTest::keyClick(title, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(select.tabs()->currentIndex(), 0);
}

TEST_F(ResultEntryWindowTest, ArrowKeysLeaveAnOpenCellAfterItsTextIsTaken)
{
    open(2);
    ASSERT_TRUE(form.moveTo(1, ResultEntryWindow::Leistung));  // Weit, Meter: L 100 *
    QTest::keyClick(form.grid(), Qt::Key_6);
    QWidget *editor = QApplication::focusWidget();
    ASSERT_NE(editor, form.grid());
    QTest::keyClicks(editor, QStringLiteral(".57"));
    QTest::keyClick(editor, Qt::Key_Right);
    EXPECT_EQ(form.grid()->currentRow(), 1);
    EXPECT_EQ(form.grid()->currentColumn(), int(ResultEntryWindow::Zusatzwert));
    EXPECT_EQ(form.grid()->item(1, ResultEntryWindow::Leistung)->text(), QStringLiteral("6.57"));
    EXPECT_EQ(form.grid()->item(1, ResultEntryWindow::Punkte)->text(), QStringLiteral("657.00"));
    typeCell(QStringLiteral("208.70"));  // lands in "Zusatzwert", not in the performance
    EXPECT_EQ(form.grid()->item(1, ResultEntryWindow::Zusatzwert)->text(), QStringLiteral("208.7"));
    EXPECT_EQ(form.grid()->item(1, ResultEntryWindow::Leistung)->text(), QStringLiteral("6.57"));

    // Left inside an open "Zusatzwert" goes back to "Leistung" of the row, through the same checks.
    ASSERT_TRUE(form.moveTo(1, ResultEntryWindow::Leistung));
    ASSERT_TRUE(form.moveTo(1, ResultEntryWindow::Zusatzwert));
    QTest::keyClick(form.grid(), Qt::Key_3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(form.grid()->currentColumn(), int(ResultEntryWindow::Leistung));
    EXPECT_EQ(form.grid()->item(1, ResultEntryWindow::Zusatzwert)->text(), QStringLiteral("3"));

    // A typed value that fails keeps the cell, with its message.
    QTest::keyClick(form.grid(), Qt::Key_Minus);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(op.messages.last(), QStringLiteral("Fehler: Negative Leistung nicht erlaubt"));
    EXPECT_EQ(form.grid()->currentColumn(), int(ResultEntryWindow::Leistung));
}

TEST_F(ResultEntryWindowTest, AClickOnTheLastTotalTakesItOver)
{
    db.exec(QStringLiteral("UPDATE PERSON SET ZUSATZ1 = '99.50' WHERE PERS_ID = 7"));
    open(2);
    auto *last = form.findChild<QLabel *>(QStringLiteral("LetztesTotal"));
    ASSERT_TRUE(last);
    QTest::mouseClick(last, Qt::LeftButton);
    EXPECT_EQ(form.totalField()->text(), QString());  // read-only before "&Berechnen"
    QTest::mouseClick(form.calculateButton(), Qt::LeftButton);
    QTest::mouseClick(last, Qt::LeftButton);
    EXPECT_EQ(form.totalField()->text(), QStringLiteral("99.50"));
}

TEST_F(ResultEntryWindowTest, ClosingAfterTypingAsksFirst)
{
    open(2);
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("ButtonCancel")), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());  // nothing typed: no question
    EXPECT_TRUE(op.messages.isEmpty());

    open(2);
    typeCell(QStringLiteral("12.5"));
    op.answer(Button::No);
    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("ButtonCancel")), Qt::LeftButton);
    EXPECT_EQ(op.messages.last(), QStringLiteral("Bestätigung: Verlassen ohne zu speichern?"));
    EXPECT_EQ(op.enterButtons.value(QStringLiteral("Verlassen ohne zu speichern?")), Button::No);
    EXPECT_TRUE(form.isVisible());
    op.answer(Button::Yes);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM LEISTUNG WHERE ZUSATZ1 IS NOT NULL")), QStringLiteral("0"));
}
