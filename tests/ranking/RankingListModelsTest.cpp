#include "common/ColumnFit.h"
#include "common/Errors.h"
#include "db/Database.h"
#include "ranking/LinkedTableModel.h"
#include "ranking/OrderedListModel.h"
#include "ranking/RankingListModels.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QSqlQueryModel>
#include <QSqlRecord>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::ranking;

namespace {

class RankingListModelsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int kat : {5, 12}) {
            db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, SPARTE_D, KATEGORIE_D) VALUES (?, 0, "
                                   "'Turnen', 'Aktive')"),
                    {kat});
            for (int pos : {3, 4}) {
                db.exec(
                    QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, NAME1) VALUES (?, 0, ?, ?)"),
                    {kat, pos, QStringLiteral("P%1").arg(pos)});
                for (int blk : {1, 2}) {
                    db.exec(QStringLiteral("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR) "
                                           "VALUES (?, 0, ?, ?)"),
                            {kat, pos, blk});
                    db.exec(QStringLiteral("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, "
                                           "DETAILPOS_NR) VALUES (?, 0, ?, ?, 1)"),
                            {kat, pos, blk});
                }
            }
        }
        module = std::make_unique<RankingListModels>(db, op);
    }

    int count(const QString &sql) { return db.scalar(sql).toInt(); }

    // Position 3 of category 12 gets `number` and is posted.
    void renumber(int number)
    {
        module->setCurrentRow(module->rowOf({12, 0}));
        module->openEditing();
        LinkedTableModel *positions = module->model(Level::Position);
        ASSERT_EQ(positions->rowCount(), 2);
        positions->setData(positions->index(0, positions->fieldIndex(QStringLiteral("RANGPOS_NR"))), number);
        positions->post();
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    std::unique_ptr<RankingListModels> module;
};

}  // namespace

TEST_F(RankingListModelsTest, RenumberingAPositionCarriesItsChildren)
{
    renumber(7);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 12 AND RANGPOS_NR = 7")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAIL WHERE KAT_NR = 12 AND RANGPOS_NR = 7")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 12 AND RANGPOS_NR = 3")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 5 AND RANGPOS_NR = 3")), 2);
    EXPECT_TRUE(op.messages.isEmpty());

    // A block renumbered carries its details.
    module->setCurrentPosition(1);  // position 4
    LinkedTableModel *blocks = module->model(Level::Block);
    ASSERT_EQ(blocks->rowCount(), 2);
    blocks->setData(blocks->index(1, blocks->fieldIndex(QStringLiteral("DETAILBLOCK_NR"))), 9);
    blocks->post();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAIL WHERE KAT_NR = 12 AND RANGPOS_NR = 4 AND "
                                   "DETAILBLOCK_NR = 9")),
              1);
}

TEST_F(RankingListModelsTest, CollisionInAFollowUpChangesNothing)
{
    // Blocks left behind by a deleted position 8 block the move of position 3 to 8.
    db.exec(
        QStringLiteral("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR) VALUES (12, 0, 8, 1)"));
    EXPECT_THROW(renumber(8), EngineError);
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages.first(),
              QStringLiteral("Fehler: UPDATE DETAILBLOCK SET RANGPOS_NR = 8\nWHERE RANGPOS_NR = 3\n"
                             "AND KLASSE_NR = 0\nAND KAT_NR = 12"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM RANGPOS WHERE KAT_NR = 12 AND RANGPOS_NR = 3")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = 12 AND RANGPOS_NR = 3")), 2);
    // The edit stays for correction, and a free number then goes through.
    LinkedTableModel *positions = module->model(Level::Position);
    EXPECT_TRUE(positions->hasPendingChanges());
    positions->setData(positions->index(0, positions->fieldIndex(QStringLiteral("RANGPOS_NR"))), 9);
    positions->post();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM DETAIL WHERE KAT_NR = 12 AND RANGPOS_NR = 9")), 2);
}

TEST_F(RankingListModelsTest, NewRowsGetTheirLinkFieldsAndBadKeysAreRefused)
{
    module->setCurrentRow(module->rowOf({12, 0}));
    module->openEditing();
    LinkedTableModel *positions = module->model(Level::Position);
    positions->insertRow(positions->rowCount());
    const int row = positions->rowCount() - 1;
    positions->setData(positions->index(row, positions->fieldIndex(QStringLiteral("NAME1"))), QStringLiteral("Neu"));
    EXPECT_THROW(positions->post(), EngineError);  // no position number yet
    positions->setData(positions->index(row, positions->fieldIndex(QStringLiteral("RANGPOS_NR"))), QStringLiteral("4"));
    EXPECT_THROW(positions->post(), EngineError);  // position 4 exists
    positions->setData(positions->index(row, positions->fieldIndex(QStringLiteral("RANGPOS_NR"))), QStringLiteral("x"));
    EXPECT_THROW(positions->post(), EngineError);
    positions->setData(positions->index(row, positions->fieldIndex(QStringLiteral("RANGPOS_NR"))), 5);
    positions->post();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT NAME1 FROM RANGPOS WHERE KAT_NR = 12 AND KLASSE_NR = 0 AND "
                                       "RANGPOS_NR = 5"))
                  .toString(),
              QStringLiteral("Neu"));
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST_F(RankingListModelsTest, NewListsAndCategorySearch)
{
    EXPECT_TRUE(module->createList(QStringLiteral("12"), QStringLiteral("1")));
    EXPECT_EQ(module->currentKey(), (ListKey{12, 1}));
    // A new list is proposed as an individual list, so that it prints at once.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT LAYOUT FROM RANGLISTE WHERE KAT_NR = 12 AND KLASSE_NR = 1")).toString(),
              QStringLiteral("EINZEL"));
    EXPECT_FALSE(module->createList(QStringLiteral("12"), QStringLiteral("0")));
    EXPECT_FALSE(module->createList(QStringLiteral("12a"), QStringLiteral("0")));
    EXPECT_EQ(op.messages,
              QStringList({QStringLiteral("Warnung: Rangliste mit Kat. 12 und Klasse 0 kann nicht erzeugt werden"),
                           QStringLiteral("Warnung: Rangliste mit Kat. 12a und Klasse 0 kann nicht erzeugt "
                                          "werden")}));
    op.messages.clear();

    op.answerText(QStringLiteral("12"));
    module->askFindCategory();
    EXPECT_EQ(module->currentKey(), (ListKey{12, 0}));
    EXPECT_EQ(module->lastCategorySearch(), QStringLiteral("12"));
    EXPECT_FALSE(module->findCategory(QStringLiteral("99")));
    EXPECT_FALSE(module->findCategory(QStringLiteral("x")));
    EXPECT_EQ(op.messages, QStringList({QStringLiteral("Kategorei nach Kat. Nr. suchen: Kat. Nr:"),
                                        QStringLiteral("Warnung: Kategorie 99 nicht gefunden"),
                                        QStringLiteral("Warnung: Kat. Nr. x ungültig")}));
}

TEST_F(RankingListModelsTest, OrderedListAndCaption)
{
    db.exec(QStringLiteral("UPDATE RANGPOS SET PUNKTE = CASE RANGPOS_NR WHEN 3 THEN '9.5' ELSE '10' END"));
    module->setCurrentRow(module->rowOf({12, 0}));
    module->refreshOrdered({});
    ASSERT_EQ(module->orderModel()->rowCount(), 2);
    EXPECT_EQ(module->orderModel()->record(0).value(QStringLiteral("RANGPOS_NR")).toInt(), 4);
    EXPECT_DOUBLE_EQ(module->orderModel()->record(1).value(QStringLiteral("PKT_VAL")).toDouble(), 9.5);
    EXPECT_EQ(module->selectedList()->maxPosition(), 4);
    EXPECT_EQ(module->selectedList()->captionLine(), QStringLiteral("Kategorie 12 - Turnen Aktive"));
}

TEST(ColumnFit, ProportionalAndSpareToTheGrowingColumns)
{
    EXPECT_EQ(columns::fitProportional({100, 50, 50}, 400), QList<int>({200, 100, 100}));
    EXPECT_EQ(columns::fitProportional({100, 4}, 52), QList<int>({50, 10}));
    EXPECT_EQ(columns::fitProportional({0, 0}, 100), QList<int>({10, 10}));
    const struct
    {
        QList<int> widths;
        int usable;
        QList<int> growing;
        QList<int> fitted;
    } cases[] = {
        {{40, 100, 60, 100}, 400, {1, 3}, {40, 150, 60, 150}},  // the spare in equal parts
        {{40, 100, 60, 100}, 301, {1, 3}, {40, 101, 60, 100}},  // a pixel that does not divide goes to the first
        {{40, 100, 60, 100}, 250, {1, 3}, {40, 100, 60, 100}},  // too narrow: contents stay whole
        {{40, 100}, 300, {}, {40, 100}},  // nothing grows
        {{40, 100}, 300, {5}, {40, 100}},  // an index beyond the columns
    };
    for (const auto &c : cases)
        EXPECT_EQ(columns::fitSpareTo(c.widths, c.usable, c.growing), c.fitted) << c.usable;
}
