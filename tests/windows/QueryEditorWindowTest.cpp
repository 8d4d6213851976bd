#include "common/IniFile.h"
#include "db/Database.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "tools/QueryRunner.h"
#include "windows/QueryEditorWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QFileInfo>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace rq;
using rq::windows::QueryEditorWindow;

class QueryEditorWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (1, 0)"));
        for (int i = 1; i <= 3; ++i)
            db.exec(QStringLiteral(
                        "INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1) VALUES (1, 0, ?, ?, ?)"),
                    {i, QString::number(i), i == 2 ? QVariant() : QVariant(QStringLiteral("N%1").arg(i))});
        window = std::make_unique<QueryEditorWindow>(db, op, ini);
    }

    void run(const QString &text)
    {
        window->editor()->setPlainText(text);
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("BitBtn4")), Qt::LeftButton);
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    IniFile ini{temp.dir.filePath(QStringLiteral("Ranquill.ini"))};
    std::unique_ptr<QueryEditorWindow> window;
};

TEST_F(QueryEditorWindowTest, EveryOpeningStartsInTheEditor)
{
    for (int opening = 0; opening < 2; ++opening) {
        window->show();
        QApplication::setActiveWindow(window.get());
        EXPECT_EQ(QApplication::focusWidget(), window->editor()) << opening;
        window->findChild<QPushButton *>(QStringLiteral("BitBtn4"))->setFocus();  // the last opening ended elsewhere
        window->hide();
    }
}

TEST_F(QueryEditorWindowTest, SecondStatementsRowsAreShown)
{
    run(QStringLiteral("select * from RANGLISTE; select * from RANGPOS"));
    EXPECT_EQ(window->grid()->model()->rowCount(), 3);
    EXPECT_EQ(window->rowCountText(), QStringLiteral("Zeilen: 3"));
    EXPECT_TRUE(op.messages.isEmpty());

    run(QStringLiteral("\n  select RANG from RANGPOS where RANGPOS_NR > 1"));
    EXPECT_EQ(window->rowCountText(), QStringLiteral("Zeilen: 2"));

    run(QStringLiteral("-- Kommentar\nselect * from RANGPOS"));
    EXPECT_EQ(window->rowCountText(), QStringLiteral("Zeilen:"));
}

TEST_F(QueryEditorWindowTest, SemicolonInsideQuotesSplitsThere)
{
    run(QStringLiteral("select * from RANGPOS where NAME1 = 'a;b'"));
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_TRUE(op.messages.first().startsWith(QStringLiteral("Ranquill: unrecognized token")))
        << op.messages.first().toStdString();
    EXPECT_EQ(window->rowCountText(), QStringLiteral("Zeilen:"));
}

TEST_F(QueryEditorWindowTest, ParametersAreTypedAndCancelLeavesThemUnset)
{
    op.answerText(QStringLiteral("12"));
    run(QStringLiteral("select typeof(:KAT)"));
    EXPECT_EQ(window->outcome().rows.value(0).value(0).toString(), QStringLiteral("integer"));
    op.answerText(QStringLiteral("12.5"));
    run(QStringLiteral("select typeof(:KAT), :KAT * 2"));
    EXPECT_EQ(window->outcome().rows.value(0).value(0).toString(), QStringLiteral("real"));
    op.answerText(std::nullopt);
    run(QStringLiteral("select :KAT is null"));
    EXPECT_EQ(window->outcome().rows.value(0).value(0).toInt(), 1);
    EXPECT_TRUE(op.messages.contains(QStringLiteral("Parameterabfrage: KAT")));

    op.answerText(QStringLiteral("1"));
    run(QStringLiteral("update RANGPOS set RANG = 'x' where RANGPOS_NR = :NR"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT RANG FROM RANGPOS WHERE RANGPOS_NR = 1")).toString(),
              QStringLiteral("x"));

    const struct
    {
        const char *answer;
        QMetaType::Type type;
    } cases[] = {{"12", QMetaType::Int},      {"12.5", QMetaType::Double}, {"24.12.2026", QMetaType::QDateTime},
                 {"14:30", QMetaType::QTime}, {"true", QMetaType::Bool},   {"12,5", QMetaType::QString},
                 {"Bern", QMetaType::QString}};
    for (const auto &c : cases)
        EXPECT_EQ(tools::typedAnswer(QString::fromUtf8(c.answer)).metaType().id(), int(c.type)) << c.answer;
}

TEST_F(QueryEditorWindowTest, ClipboardOutputKeepsColumnsAligned)
{
    run(QStringLiteral("select NAME1, RANG from RANGPOS order by RANGPOS_NR"));
    const QString path = temp.dir.filePath(QStringLiteral("Export.txt"));
    op.answerFile(path);
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    EXPECT_EQ(test::readBytes(path), QByteArray("NAME1\tRANG\r\nN1\t1\r\n\t2\r\nN3\t3\r\n"));
    EXPECT_EQ(QApplication::clipboard()->text().split(QStringLiteral("\r\n")).mid(0, 7),
              QStringList({QStringLiteral("SQL-Anweisung:"), QString(),
                           QStringLiteral("select NAME1, RANG from RANGPOS order by RANGPOS_NR"), QString(), QString(),
                           QStringLiteral("Ausgabe:"), QStringLiteral("NAME1\tRANG")}));
}

TEST_F(QueryEditorWindowTest, EditableResultOnlyForAPlainTableQuery)
{
    window->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(true);
    run(QStringLiteral("select * from RANGPOS where RANGPOS_NR = 2"));
    EXPECT_TRUE(op.messages.isEmpty());
    EXPECT_EQ(window->grid()->model()->rowCount(), 1);
    EXPECT_TRUE(window->grid()->model()->flags(window->grid()->model()->index(0, 4)) & Qt::ItemIsEditable);

    // A column list, a parameter and an order: still one table, still editable, in the statement's order.
    op.answerText(QStringLiteral("1"));
    run(QStringLiteral("select NAME1, RANG from RANGPOS where RANGPOS_NR > :NR order by RANGPOS_NR desc"));
    EXPECT_TRUE(op.messages.filter(QStringLiteral("Information")).isEmpty());
    const QAbstractItemModel *model = window->grid()->model();
    ASSERT_EQ(model->rowCount(), 2);
    const QHeaderView *header = window->grid()->horizontalHeader();
    EXPECT_EQ(model->headerData(header->logicalIndex(0), Qt::Horizontal).toString(), QStringLiteral("NAME1"));
    EXPECT_EQ(model->headerData(header->logicalIndex(1), Qt::Horizontal).toString(), QStringLiteral("RANG"));
    EXPECT_EQ(model->data(model->index(0, header->logicalIndex(0))).toString(), QStringLiteral("N3"));
    EXPECT_TRUE(model->flags(model->index(0, header->logicalIndex(0))) & Qt::ItemIsEditable);

    // What the grid shows, edits included, goes to the clipboard file.
    window->grid()->model()->setData(model->index(0, header->logicalIndex(0)), QStringLiteral("Neu"));
    const QString path = temp.dir.filePath(QStringLiteral("Export.txt"));
    op.answerFile(path);
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    EXPECT_EQ(test::readBytes(path), QByteArray("NAME1\tRANG\r\nNeu\t3\r\n\t2\r\n"));

    const char *notPlain[] = {"select count(*) from RANGPOS", "select RANG, NAME1 || 'x' from RANGPOS",
                              "select * from RANGPOS, RANGLISTE", "select distinct RANG from RANGPOS",
                              "select RANG from RANGPOS group by RANG"};
    for (const char *sql : notPlain) {
        op.messages.clear();
        run(QString::fromLatin1(sql));
        EXPECT_EQ(op.messages,
                  QStringList{QStringLiteral("Information: Ausgabe kann nicht editierbar bereitgestellt werden.")})
            << sql;
    }
}

TEST_F(QueryEditorWindowTest, TheFailingStatementStaysSelectedAndTheRunEnds)
{
    window->findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->setChecked(true);
    const QString text = QStringLiteral("select * from RANGPOS;\nselec x from RANGPOS;\nselect 1");
    run(text);
    ASSERT_EQ(op.messages.size(), 1);  // the engine's error, and no word about an editable output after it
    EXPECT_TRUE(op.messages.first().startsWith(QStringLiteral("Ranquill: ")));
    // (A selection shows its line break as a paragraph separator.)
    EXPECT_EQ(window->editor()->textCursor().selectedText(),
              QChar(QChar::ParagraphSeparator) + QStringLiteral("selec x from RANGPOS;"));

    // On success the selection the operator had comes back.
    op.messages.clear();
    window->editor()->setPlainText(QStringLiteral("select 1; select 2"));
    QTextCursor cursor = window->editor()->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    window->editor()->setTextCursor(cursor);
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("BitBtn4")), Qt::LeftButton);
    EXPECT_EQ(window->editor()->textCursor().selectionStart(), 3);
    EXPECT_EQ(window->editor()->textCursor().selectedText(), QStringLiteral("ec"));
}

TEST_F(QueryEditorWindowTest, WithoutAResultTheFileDialogComesFirst)
{
    op.answerFile(std::nullopt);
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    EXPECT_TRUE(op.messages.isEmpty());  // cancelled: nothing more
    const QString path = temp.dir.filePath(QStringLiteral("Export.txt"));
    op.answerFile(path);
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    EXPECT_EQ(op.messages, QStringList{QStringLiteral("Ranquill: Keine Abfrage geöffnet.")});
    EXPECT_FALSE(QFileInfo::exists(path));
}
