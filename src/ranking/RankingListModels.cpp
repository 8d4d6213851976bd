#include "ranking/RankingListModels.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "ranking/LinkedTableModel.h"
#include "ranking/OrderedListModel.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace rq::ranking {
namespace {

const QString kListQuery =
    QStringLiteral("SELECT KAT_NR, SPARTE_D, KATEGORIE_D, KLASSE_D, VERSION, DATUM, HERKUNFT, KLASSE_NR FROM RANGLISTE "
                   "ORDER BY KAT_NR, KLASSE_NR");
const QString kKat = QStringLiteral("KAT_NR");
const QString kKlasse = QStringLiteral("KLASSE_NR");
const QString kPosition = QStringLiteral("RANGPOS_NR");
const QString kBlock = QStringLiteral("DETAILBLOCK_NR");

bool changed(const QSqlRecord &stored, const QSqlRecord &values, const QString &field)
{
    return values.contains(field) && values.isGenerated(field) && values.value(field) != stored.value(field);
}

}  // namespace

RankingListModels::RankingListModels(db::Database &db, Operator &op)
    : m_db(db)
    , m_op(op)
    , m_lists(std::make_unique<QSqlQueryModel>())
    , m_order(std::make_unique<OrderedListModel>())
{
    const QSqlDatabase connection = db.connection();
    m_title = std::make_unique<LinkedTableModel>(nullptr, connection, QStringLiteral("RANGLISTE"),
                                                 QStringList{kKat, kKlasse}, QString());
    m_positions = std::make_unique<LinkedTableModel>(nullptr, connection, QStringLiteral("RANGPOS"),
                                                     QStringList{kKat, kKlasse}, kPosition);
    m_blocks = std::make_unique<LinkedTableModel>(nullptr, connection, QStringLiteral("DETAILBLOCK"),
                                                  QStringList{kKat, kKlasse, kPosition}, kBlock);
    m_details = std::make_unique<LinkedTableModel>(nullptr, connection, QStringLiteral("DETAIL"),
                                                   QStringList{kKat, kKlasse, kPosition, kBlock},
                                                   QStringLiteral("DETAILPOS_NR"));
    const db::StatementRunner runner(db, op);
    m_positions->setFollowUps([this](const QSqlRecord &s, const QSqlRecord &v) { return positionFollowUps(s, v); },
                              runner);
    m_blocks->setFollowUps([this](const QSqlRecord &s, const QSqlRecord &v) { return blockFollowUps(s, v); }, runner);
    for (LinkedTableModel *m : {m_title.get(), m_positions.get(), m_blocks.get(), m_details.get()})
        m->link({});
    // A posted edit changes what its list prints; the listener acts once the edit is stored.
    for (LinkedTableModel *m : {m_title.get(), m_positions.get(), m_blocks.get(), m_details.get()}) {
        const auto tell = [this](const QSqlRecord &r) {
            m_db.listChanged(r.value(kKat).toInt(), r.value(kKlasse).toInt());
        };
        QObject::connect(m, &QSqlTableModel::beforeInsert, m, [tell](QSqlRecord &r) { tell(r); });
        QObject::connect(m, &QSqlTableModel::beforeUpdate, m,
                         [m, tell](int row, QSqlRecord &) { tell(m->record(row)); });
        QObject::connect(m, &QSqlTableModel::beforeDelete, m, [m, tell](int row) { tell(m->record(row)); });
    }
    refreshLists();
}

RankingListModels::~RankingListModels() = default;

void RankingListModels::refreshLists()
{
    m_lists->setQuery(kListQuery, m_db.connection());
    if (m_lists->lastError().isValid())
        db::throwFailure(m_lists->lastError(), kListQuery);
    while (m_lists->canFetchMore())
        m_lists->fetchMore();
    const int rows = m_lists->rowCount();
    setCurrentRow(rows == 0 ? -1 : std::clamp(m_currentRow, 0, rows - 1));
}

void RankingListModels::setCurrentRow(int row)
{
    m_currentRow = row >= 0 && row < m_lists->rowCount() ? row : -1;
    if (m_editing) {
        const auto key = currentKey();
        m_title->link(key ? QVariantList{key->kat, key->klasse} : QVariantList{});
        setCurrentPosition(-1);
        m_positions->link(key ? QVariantList{key->kat, key->klasse} : QVariantList{});
    }
}

std::optional<ListKey> RankingListModels::currentKey() const
{
    if (m_currentRow < 0)
        return std::nullopt;
    const QSqlRecord r = m_lists->record(m_currentRow);
    return ListKey{r.value(kKat).toInt(), r.value(kKlasse).toInt()};
}

std::optional<RankingList> RankingListModels::selectedList() const
{
    const auto key = currentKey();
    if (!key)
        return std::nullopt;
    return RankingList::load(m_db, m_op, *key);
}

RankingList RankingListModels::requireSelectedList() const
{
    const auto list = selectedList();
    if (!list)
        throw Error(QStringLiteral("Keine Rangliste gewählt"));
    return *list;
}

int RankingListModels::rowOf(const ListKey &key) const
{
    for (int r = 0; r < m_lists->rowCount(); ++r) {
        const QSqlRecord rec = m_lists->record(r);
        if (rec.value(kKat).toInt() == key.kat && rec.value(kKlasse).toInt() == key.klasse)
            return r;
    }
    return -1;
}

LinkedTableModel *RankingListModels::model(Level level) const
{
    switch (level) {
    case Level::Title:
        return m_title.get();
    case Level::Position:
        return m_positions.get();
    case Level::Block:
        return m_blocks.get();
    case Level::Detail:
        return m_details.get();
    }
    return nullptr;
}

void RankingListModels::setCurrentPosition(int row)
{
    QVariantList link;
    if (row >= 0 && row < m_positions->rowCount()) {
        const QSqlRecord r = m_positions->record(row);
        if (!r.isNull(kPosition))
            link = {r.value(kKat), r.value(kKlasse), r.value(kPosition)};
    }
    if (!link.isEmpty() && link == m_blocks->linkValues())
        return;  // the same position again: its blocks and their details stay as shown
    m_details->link({});
    m_blocks->link(link);
}

void RankingListModels::setCurrentBlock(int row)
{
    QVariantList link;
    if (row >= 0 && row < m_blocks->rowCount()) {
        const QSqlRecord r = m_blocks->record(row);
        if (!r.isNull(kBlock))
            link = {r.value(kKat), r.value(kKlasse), r.value(kPosition), r.value(kBlock)};
    }
    m_details->link(link);
}

void RankingListModels::openEditing()
{
    m_editing = true;
    setCurrentRow(m_currentRow);
}

void RankingListModels::closeEditing(bool keep)
{
    for (Level level : {Level::Detail, Level::Block, Level::Position, Level::Title}) {
        LinkedTableModel *m = model(level);
        if (keep) {
            try {
                m->post();
            } catch (const EngineError &) {
                m->revertAll();
            }
        } else {
            m->revertAll();
        }
    }
    m_editing = false;
    for (LinkedTableModel *m : {m_title.get(), m_positions.get(), m_blocks.get(), m_details.get()})
        m->link({});
}

void RankingListModels::postAll()
{
    for (Level level : {Level::Title, Level::Position, Level::Block, Level::Detail})
        model(level)->post();
}

void RankingListModels::discardAll()
{
    for (Level level : {Level::Title, Level::Position, Level::Block, Level::Detail})
        model(level)->revertAll();
}

bool RankingListModels::hasPendingChanges() const
{
    for (Level level : {Level::Title, Level::Position, Level::Block, Level::Detail}) {
        if (model(level)->hasPendingChanges())
            return true;
    }
    return false;
}

void RankingListModels::refreshOrdered(const SortSettings &sort)
{
    const auto list = selectedList();
    m_order->setPositions(list ? list->positions(sort) : QList<Position>());
}

QList<std::pair<QStringList, QVariantList>> RankingListModels::positionFollowUps(const QSqlRecord &stored,
                                                                                 const QSqlRecord &values) const
{
    if (!changed(stored, values, kPosition) || values.isNull(kPosition))
        return {};
    QList<std::pair<QStringList, QVariantList>> statements;
    for (const char *table : {"DETAILBLOCK", "DETAIL"}) {
        statements.append({{QStringLiteral("UPDATE %1 SET RANGPOS_NR = ?").arg(QLatin1String(table)),
                            QStringLiteral("WHERE RANGPOS_NR = ?"), QStringLiteral("AND KLASSE_NR = ?"),
                            QStringLiteral("AND KAT_NR = ?")},
                           {values.value(kPosition).toInt(), stored.value(kPosition).toInt(),
                            stored.value(kKlasse).toInt(), stored.value(kKat).toInt()}});
    }
    return statements;
}

QList<std::pair<QStringList, QVariantList>> RankingListModels::blockFollowUps(const QSqlRecord &stored,
                                                                              const QSqlRecord &values) const
{
    if (!changed(stored, values, kBlock) || values.isNull(kBlock))
        return {};
    return {
        {{QStringLiteral("UPDATE DETAIL SET DETAILBLOCK_NR = ?"), QStringLiteral("WHERE DETAILBLOCK_NR = ?"),
          QStringLiteral("AND RANGPOS_NR = ?"), QStringLiteral("AND KLASSE_NR = ?"), QStringLiteral("AND KAT_NR = ?")},
         {values.value(kBlock).toInt(), stored.value(kBlock).toInt(), stored.value(kPosition).toInt(),
          stored.value(kKlasse).toInt(), stored.value(kKat).toInt()}}};
}

bool RankingListModels::createList(const QString &katText, const QString &klasseText)
{
    const auto kat = num::parseInteger(katText);
    const auto klasse = num::parseInteger(klasseText);
    bool ok = kat && klasse;
    if (ok) {
        try {
            // "EINZEL" is proposed, so that a new list prints at once; the operator changes it on "Erfassen".
            m_db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, LAYOUT) VALUES (?, ?, 'EINZEL')"),
                      {*kat, *klasse});
        } catch (const EngineError &) {
            ok = false;
        }
    }
    refreshLists();
    if (!ok) {
        m_op.warn(QStringLiteral("Rangliste mit Kat. ") + katText + QStringLiteral(" und Klasse ") + klasseText +
                  QStringLiteral(" kann nicht erzeugt werden"));
        return false;
    }
    setCurrentRow(rowOf({int(*kat), int(*klasse)}));
    return true;
}

bool RankingListModels::findCategory(const QString &text)
{
    const auto kat = num::parseInteger(text);
    if (!kat) {
        m_op.warn(QStringLiteral("Kat. Nr. ") + text + QStringLiteral(" ungültig"));
        return false;
    }
    for (int r = 0; r < m_lists->rowCount(); ++r) {
        if (m_lists->record(r).value(kKat).toLongLong() == *kat) {
            setCurrentRow(r);
            return true;
        }
    }
    m_op.warn(QStringLiteral("Kategorie ") + text + QStringLiteral(" nicht gefunden"));
    return false;
}

void RankingListModels::askNewList()
{
    const QString title = QStringLiteral("Neue Rangliste erstellen");
    const auto kat = m_op.askText(title, QStringLiteral("Kategorie Nr."), QString());
    if (!kat)
        return;
    const auto klasse = m_op.askText(title, QStringLiteral("Klasse Nr."), QStringLiteral("0"));
    if (!klasse)
        return;
    createList(*kat, *klasse);
}

void RankingListModels::askFindCategory()
{
    const auto text = m_op.askText(QStringLiteral("Kategorei nach Kat. Nr. suchen"), QStringLiteral("Kat. Nr:"),
                                   m_lastCategorySearch);
    if (!text)
        return;
    m_lastCategorySearch = *text;
    findCategory(*text);
}

}  // namespace rq::ranking
