#include "capture/ListGeneration.h"
#include "common/IniFile.h"
#include "db/Database.h"
#include "interchange/ImportRemoval.h"
#include "ranking/RankingList.h"
#include "ranking/RankingOperations.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "widgets/WidgetOperator.h"
#include "windows/QueryEditorWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace rq;

namespace {

// Presses Enter on the box that opens next and returns the button it answered with.
Button pressEnterOn(const std::function<Button()> &asking)
{
    QTimer::singleShot(0, [] {
        QWidget *box = QApplication::activeModalWidget();
        if (box)
            QTest::keyClick(box, Qt::Key_Return);
    });
    return asking();
}

}  // namespace

TEST(SafeDefaults, EnterPressesTheButtonThatKeepsTheData)
{
    QWidget parent;
    WidgetOperator op(&parent);
    const struct
    {
        QList<Button> buttons;
        std::optional<Button> keep;  // nothing: an ordinary question
        Button enter;
    } cases[] = {
        {{Button::Yes, Button::No}, Button::No, Button::No},
        {{Button::Ok, Button::Cancel}, Button::Cancel, Button::Cancel},
        {{Button::Yes, Button::No}, std::nullopt, Button::Yes},
        {{Button::Abort, Button::Ignore}, std::nullopt, Button::Abort},
    };
    for (const auto &c : cases) {
        const Button answer = pressEnterOn([&] {
            return c.keep ? op.askKeeping(QStringLiteral("Frage"), c.buttons, *c.keep)
                          : op.ask(QStringLiteral("Frage"), c.buttons);
        });
        EXPECT_EQ(answer, c.enter);
    }
    EXPECT_EQ(pressEnterOn(
                  [&] { return Button(op.confirmDiscarding(QStringLiteral("Löschen?")) ? Button::Yes : Button::No); }),
              Button::No);
}

// Every question whose first answer destroys or discards data names the button
// that keeps them; answered with it, nothing changes.
TEST(SafeDefaults, EveryQuestionThatDiscardsDataOffersToKeepThem)
{
    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    db.exec(QStringLiteral("INSERT INTO IMPORT (PFAD) VALUES ('a.v2e')"));
    db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (1, 0)"));
    db.exec(
        QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, AUSZEICHNUNG) VALUES (1, 0, 1, 'Kranz')"));
    const auto enterOf = [&](const char *text) { return op.enterButtons.value(QString::fromUtf8(text), Button::Ok); };

    op.answer(Button::No);
    interchange::ImportRemoval::run(db, op);
    EXPECT_EQ(enterOf("Wollen Sie wirklich alle importierten E2V und V2E Daten löschen?"), Button::No);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM IMPORT")).toInt(), 1);

    op.answer(Button::Cancel);
    EXPECT_FALSE(capture::ListGeneration(db, op).run(1, QString(), {}));
    EXPECT_EQ(enterOf("Manuell erfasste Ranglistendaten werden durch diese Operation überschrieben"), Button::Cancel);

    op.answer(Button::No);
    ranking::RankingOperations(ranking::RankingList::load(db, op, {1, 0})).clearAwards();
    EXPECT_EQ(enterOf("Auszeichnungen der aktuellen Rangliste löschen?"), Button::No);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT AUSZEICHNUNG FROM RANGPOS")).toString(), QStringLiteral("Kranz"));

    IniFile ini(temp.dir.filePath(QStringLiteral("Ranquill.ini")));
    windows::QueryEditorWindow window(db, op, ini);
    window.editor()->setPlainText(QStringLiteral("select * from RANGPOS"));
    op.answer(Button::No);
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    EXPECT_EQ(enterOf("Anweisung löschen?"), Button::No);
    EXPECT_EQ(window.editor()->toPlainText(), QStringLiteral("select * from RANGPOS"));
}
