#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>

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

class RankingTableModel;

// A ranking list's key.
struct ListKey
{
    int kat = 0;
    int klasse = 0;
    bool operator==(const ListKey &) const = default;
};

// The four editable levels of a ranking list.
enum class Level { Title, Position, Block, Detail };

// The ranking-list data module: the list of lists whose selected row is the
// current list of the whole program, the title row, positions, blocks and
// details of that list as linked editable models, the ordered list, and the
// statement runner that first shows a failed statement's text.
class KonfigDataModule
{
public:
    KonfigDataModule(db::Database &db, Operator &op);
    ~KonfigDataModule();

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
    // The current list's RANGLISTE row (empty record without a current list).
    QSqlRecord currentList() const;
    // Row of the list of lists with this key, or -1.
    int rowOf(const ListKey &key) const;

    RankingTableModel *model(Level level) const;
    // Links positions to the title row, blocks to position row `row`, details to block row `row`.
    void setCurrentPosition(int row);
    void setCurrentBlock(int row);
    // Opens the four editable levels on the current list (tab "Erfassen") or closes them.
    void openEditing();
    // Posts (`keep`) or discards pending edits of all four levels, then closes them.
    // A post that fails discards the edit silently, as closing a cursor does.
    void closeEditing(bool keep);
    // Posts the pending edits of every level; throws EngineError at the first failure.
    void postAll();
    void discardAll();
    bool hasPendingChanges() const;

    // The ordered list of the current list: RANGPOS with PKT_VAL, RANG_VAL and
    // JAHRG_VAL computed, ordered by `orderBy` (the last SQL line).
    QSqlQueryModel *orderModel() const { return m_order.get(); }
    void openOrderedList(const QString &orderBy = QStringLiteral("ORDER BY PKT_VAL DESC, RANGPOS_NR asc"));
    const QString &orderBy() const { return m_orderBy; }
    // The ORDER BY line for the sort settings of the tab "Rangieren".
    static QString orderByLine(bool ascending, bool byAge);
    // "Kategorie " + KAT_NR + " - " + SPARTE_D + " " + KATEGORIE_D + " " + KLASSE_D, trimmed.
    QString captionLine() const;

    // The highest position number of the current list; 0 without positions.
    int maxPosition() const;

    // Runs one statement given as lines (joined by line breaks). On failure an
    // error box shows the full statement, then EngineError is thrown.
    void runStatement(const QStringList &lines);

    // "Neue Rangliste erstellen" with the texts as entered; makes the new list
    // current. Warns "Rangliste mit Kat. ... kann nicht erzeugt werden" and
    // returns false when a text is no whole number or the list exists.
    bool createList(const QString &katText, const QString &klasseText);
    // "Kategorie suchen": moves to the first list of the category; warns when
    // the text is no whole number or no list has the category.
    bool findCategory(const QString &text);
    // The last text searched for, or the category of the last generated list.
    QString lastKatSearch;

    // Both commands with their input dialogs.
    void askNewList();
    void askFindCategory();

private:
    QList<QStringList> positionFollowUps(const QSqlRecord &stored, const QSqlRecord &values) const;
    QList<QStringList> blockFollowUps(const QSqlRecord &stored, const QSqlRecord &values) const;

    db::Database &m_db;
    Operator &m_op;
    std::unique_ptr<QSqlQueryModel> m_lists;
    std::unique_ptr<QSqlQueryModel> m_order;
    std::unique_ptr<RankingTableModel> m_title;
    std::unique_ptr<RankingTableModel> m_positions;
    std::unique_ptr<RankingTableModel> m_blocks;
    std::unique_ptr<RankingTableModel> m_details;
    int m_currentRow = -1;
    bool m_editing = false;
    QString m_orderBy = QStringLiteral("ORDER BY PKT_VAL DESC, RANGPOS_NR asc");
};

} // namespace rq::ranking
