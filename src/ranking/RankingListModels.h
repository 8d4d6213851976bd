#pragma once

#include "ranking/RankingList.h"

#include <QString>

#include <memory>
#include <optional>

class QSqlQueryModel;

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::ranking {

class LinkedTableModel;
class OrderedListModel;

// The four editable levels of a ranking list.
enum class Level { Title, Position, Block, Detail };

// What the ranking-list editor shows (historically `KonfigDataModule`): the list
// of lists and its selected row, the title row, positions, blocks and details of
// the selected list as linked editable models, and its positions in ranking
// order. It hands out the selected list as a value for everything that works on
// a list; it holds no other state of that list.
class RankingListModels
{
public:
    RankingListModels(db::Database &db, Operator &op);
    ~RankingListModels();

    db::Database &database() { return m_db; }

    // The list of lists (read-only, key order). Columns: KAT_NR, SPARTE_D,
    // KATEGORIE_D, KLASSE_D, VERSION, DATUM, HERKUNFT, KLASSE_NR.
    QSqlQueryModel *listModel() const { return m_lists.get(); }
    // Re-reads the list of lists, keeping the current row number where it exists.
    void refreshLists();
    int currentRow() const { return m_currentRow; }
    // Makes row `row` of the list of lists current and links the title row to it.
    void setCurrentRow(int row);
    std::optional<ListKey> currentKey() const;
    // Row of the list of lists with this key, or -1.
    int rowOf(const ListKey &key) const;

    // The selected list, read afresh; nothing without a selection.
    std::optional<RankingList> selectedList() const;
    // The same; throws Error "Keine Rangliste gewählt" without a selection.
    RankingList requireSelectedList() const;

    LinkedTableModel *model(Level level) const;
    // Links blocks to position row `row`, details to block row `row`.
    void setCurrentPosition(int row);
    void setCurrentBlock(int row);
    // Opens the four editable levels on the selected list (tab "Erfassen") or closes them.
    void openEditing();
    // Posts (`keep`) or discards pending edits of all four levels, then closes them.
    // A post that fails discards the edit silently, as closing a cursor does.
    void closeEditing(bool keep);
    // Posts the pending edits of every level; throws EngineError at the first failure.
    void postAll();
    void discardAll();
    bool hasPendingChanges() const;

    // The positions of the selected list in the order of `sort`.
    OrderedListModel *orderModel() const { return m_order.get(); }
    void refreshOrdered(const SortSettings &sort);

    // "Neue Rangliste erstellen" with the texts as entered; makes the new list
    // current. Warns "Rangliste mit Kat. ... kann nicht erzeugt werden" and
    // returns false when a text is no whole number or the list exists.
    bool createList(const QString &katText, const QString &klasseText);
    // "Kategorie suchen": moves to the first list of the category; warns when
    // the text is no whole number or no list has the category.
    bool findCategory(const QString &text);
    // Both commands with their input dialogs.
    void askNewList();
    void askFindCategory();
    // The text "Kategorie suchen" proposes: the last one searched for, or the
    // category of the list generated last.
    const QString &lastCategorySearch() const { return m_lastCategorySearch; }
    void setLastCategorySearch(const QString &text) { m_lastCategorySearch = text; }

private:
    QList<std::pair<QStringList, QVariantList>> positionFollowUps(const QSqlRecord &stored,
                                                                  const QSqlRecord &values) const;
    QList<std::pair<QStringList, QVariantList>> blockFollowUps(const QSqlRecord &stored,
                                                               const QSqlRecord &values) const;

    db::Database &m_db;
    Operator &m_op;
    std::unique_ptr<QSqlQueryModel> m_lists;
    std::unique_ptr<OrderedListModel> m_order;
    std::unique_ptr<LinkedTableModel> m_title;
    std::unique_ptr<LinkedTableModel> m_positions;
    std::unique_ptr<LinkedTableModel> m_blocks;
    std::unique_ptr<LinkedTableModel> m_details;
    int m_currentRow = -1;
    bool m_editing = false;
    QString m_lastCategorySearch;
};

}  // namespace rq::ranking
