#include "db/Database.h"
#include "db/Snapshots.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "windows/SnapshotDialog.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace rq;

TEST(SnapshotDialog, ListsTheSnapshotsAndGoesBackAfterAskingWithNoAsDefault)
{
    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    db.exec(QStringLiteral("INSERT INTO VEREIN (VEREIN_ID, ORT) VALUES (1, 'Bern')"));
    db::Snapshots(db).take(db::SnapshotReason::RemoveImports);
    db.exec(QStringLiteral("DELETE FROM VEREIN"));

    windows::SnapshotDialog dialog(db, op);
    dialog.show();
    QTableWidget *list = dialog.list();
    ASSERT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("Importe löschen"));
    auto *goBack = dialog.findChild<QPushButton *>(QStringLiteral("BitBtnGoBack"));
    ASSERT_TRUE(goBack && goBack->isEnabled());

    op.answer(Button::No);
    QTest::mouseClick(goBack, Qt::LeftButton);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM VEREIN")).toInt(), 0);
    EXPECT_TRUE(op.messages.last().contains(QStringLiteral("zurückgesetzt. Der jetzige Stand wird vorher")));

    op.answer(Button::Yes);
    QTest::mouseClick(goBack, Qt::LeftButton);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT ORT FROM VEREIN")).toString(), QStringLiteral("Bern"));
    EXPECT_TRUE(op.messages.last().startsWith(QStringLiteral("Information: Die Daten sind auf den Stand vom ")));
    // The state it replaced is the newest snapshot now.
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("Vor dem Zurücksetzen"));
}
