#include "ranking/KonfigDataModule.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "ranking/RankingTableModel.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

namespace rq::ranking {
namespace {

const QString kListQuery = QStringLiteral(
    "SELECT KAT_NR, SPARTE_D, KATEGORIE_D, KLASSE_D, VERSION, DATUM, HERKUNFT, KLASSE_NR FROM RANGLISTE "
    "ORDER BY KAT_NR, KLASSE_NR");

QString orderSql(const QString &orderBy)
{
    return QStringList{
        QStringLiteral("SELECT KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, NAME2, JAHRGANG, VEREIN, KANTON, PUNKTE,"),
        QStringLiteral("AUSZEICHNUNG, BEMERKUNGEN, VEREIN_ID, VERBAND_NR, PREFIX, ORT, ZUSATZ,"),
        QStringLiteral("CAST(PUNKTE as FLOAT) as PKT_VAL, CAST(RANG as INTEGER) as RANG_VAL,"),
        QStringLiteral("CAST(JAHRGANG as FLOAT) as JAHRG_VAL"),
        QStringLiteral("FROM RANGPOS"),
        QStringLiteral("WHERE KAT_NR = :KAT_NR AND KLASSE_NR = :KLASSE_NR"),
        orderBy,
    }.join(u'\n');
}

bool changed(const QSqlRecord &stored, const QSqlRecord &values, const QString &field)
{
    return values.contains(field) && values.isGenerated(field) && values.value(field) != stored.value(field);
}

} // namespace

KonfigDataModule::KonfigDataModule(db::Database &db, Operator &op)
    : m_db(db)
    , m_op(op)
    , m_lists(std::make_unique<QSqlQueryModel>())
    , m_order(std::make_unique<QSqlQueryModel>())
{
    const QSqlDatabase connection = db.connection();
    m_title = std::make_unique<RankingTableModel>(nullptr, connection, QStringLiteral("RANGLISTE"),
                                                  QStringList{QStringLiteral("KAT_NR"), QStringLiteral("KLASSE_NR")},
                                                  QString());
    m_positions = std::make_unique<RankingTableModel>(
        nullptr, connection, QStringLiteral("RANGPOS"),
        QStringList{QStringLiteral("KAT_NR"), QStringLiteral("KLASSE_NR")}, QStringLiteral("RANGPOS_NR"));
    m_blocks = std::make_unique<RankingTableModel>(
        nullptr, connection, QStringLiteral("DETAILBLOCK"),
        QStringList{QStringLiteral("KAT_NR"), QStringLiteral("KLASSE_NR"), QStringLiteral("RANGPOS_NR")},
        QStringLiteral("DETAILBLOCK_NR"));
    m_details = std::make_unique<RankingTableModel>(
        nullptr, connection, QStringLiteral("DETAIL"),
        QStringList{QStringLiteral("KAT_NR"), QStringLiteral("KLASSE_NR"), QStringLiteral("RANGPOS_NR"),
                    QStringLiteral("DETAILBLOCK_NR")},
        QStringLiteral("DETAILPOS_NR"));
    const auto runner = [this](const QStringList &lines) { runStatement(lines); };
    m_positions->setFollowUps([this](const QSqlRecord &s, const QSqlRecord &v) { return positionFollowUps(s, v); },
                              runner);
    m_blocks->setFollowUps([this](const QSqlRecord &s, const QSqlRecord &v) { return blockFollowUps(s, v); }, runner);
    for (RankingTableModel *m : {m_title.get(), m_positions.get(), m_blocks.get(), m_details.get()})
        m->link({});
    refreshLists();
}

KonfigDataModule::~KonfigDataModule() = default;

void KonfigDataModule::refreshLists()
{
    m_lists->setQuery(kListQuery, m_db.connection());
    while (m_lists->canFetchMore())
        m_lists->fetchMore();
    const int rows = m_lists->rowCount();
    setCurrentRow(rows == 0 ? -1 : std::clamp(m_currentRow, 0, rows - 1));
}

void KonfigDataModule::setCurrentRow(int row)
{
    m_currentRow = row >= 0 && row < m_lists->rowCount() ? row : -1;
    if (m_editing) {
        const auto key = currentKey();
        m_title->link(key ? QVariantList{key->kat, key->klasse} : QVariantList{});
        setCurrentPosition(-1);
        m_positions->link(key ? QVariantList{key->kat, key->klasse} : QVariantList{});
    }
}

std::optional<ListKey> KonfigDataModule::currentKey() const
{
    if (m_currentRow < 0)
        return std::nullopt;
    const QSqlRecord r = m_lists->record(m_currentRow);
    return ListKey{r.value(QStringLiteral("KAT_NR")).toInt(), r.value(QStringLiteral("KLASSE_NR")).toInt()};
}

QSqlRecord KonfigDataModule::currentList() const
{
    const auto key = currentKey();
    if (!key)
        return {};
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT * FROM RANGLISTE WHERE KAT_NR = ? AND KLASSE_NR = ?"),
                            {key->kat, key->klasse});
    return q.next() ? q.record() : QSqlRecord();
}

int KonfigDataModule::rowOf(const ListKey &key) const
{
    for (int r = 0; r < m_lists->rowCount(); ++r) {
        const QSqlRecord rec = m_lists->record(r);
        if (rec.value(QStringLiteral("KAT_NR")).toInt() == key.kat &&
            rec.value(QStringLiteral("KLASSE_NR")).toInt() == key.klasse)
            return r;
    }
    return -1;
}

RankingTableModel *KonfigDataModule::model(Level level) const
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

void KonfigDataModule::setCurrentPosition(int row)
{
    QVariantList link;
    if (row >= 0 && row < m_positions->rowCount()) {
        const QSqlRecord r = m_positions->record(row);
        if (!r.isNull(QStringLiteral("RANGPOS_NR")))
            link = {r.value(QStringLiteral("KAT_NR")), r.value(QStringLiteral("KLASSE_NR")),
                    r.value(QStringLiteral("RANGPOS_NR"))};
    }
    if (!link.isEmpty() && link == m_blocks->linkValues())
        return;  // the same position again: its blocks and their details stay as shown
    m_details->link({});
    m_blocks->link(link);
}

void KonfigDataModule::setCurrentBlock(int row)
{
    QVariantList link;
    if (row >= 0 && row < m_blocks->rowCount()) {
        const QSqlRecord r = m_blocks->record(row);
        if (!r.isNull(QStringLiteral("DETAILBLOCK_NR")))
            link = {r.value(QStringLiteral("KAT_NR")), r.value(QStringLiteral("KLASSE_NR")),
                    r.value(QStringLiteral("RANGPOS_NR")), r.value(QStringLiteral("DETAILBLOCK_NR"))};
    }
    m_details->link(link);
}

void KonfigDataModule::openEditing()
{
    m_editing = true;
    setCurrentRow(m_currentRow);
}

void KonfigDataModule::closeEditing(bool keep)
{
    for (Level level : {Level::Detail, Level::Block, Level::Position, Level::Title}) {
        RankingTableModel *m = model(level);
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
    for (RankingTableModel *m : {m_title.get(), m_positions.get(), m_blocks.get(), m_details.get()})
        m->link({});
}

void KonfigDataModule::postAll()
{
    for (Level level : {Level::Title, Level::Position, Level::Block, Level::Detail})
        model(level)->post();
}

void KonfigDataModule::discardAll()
{
    for (Level level : {Level::Title, Level::Position, Level::Block, Level::Detail})
        model(level)->revertAll();
}

bool KonfigDataModule::hasPendingChanges() const
{
    for (Level level : {Level::Title, Level::Position, Level::Block, Level::Detail}) {
        if (model(level)->hasPendingChanges())
            return true;
    }
    return false;
}

void KonfigDataModule::openOrderedList(const QString &orderBy)
{
    m_orderBy = orderBy;
    const auto key = currentKey();
    const QString sql = orderSql(orderBy);
    QSqlQuery q(m_db.connection());
    q.prepare(sql);
    q.bindValue(QStringLiteral(":KAT_NR"), key ? key->kat : -1);
    q.bindValue(QStringLiteral(":KLASSE_NR"), key ? key->klasse : -1);
    if (!q.exec()) {
        m_op.error(sql);
        throw EngineError(db::engineMessage(q.lastError()), sql);
    }
    m_order->setQuery(std::move(q));
    while (m_order->canFetchMore())
        m_order->fetchMore();
}

QString KonfigDataModule::orderByLine(bool ascending, bool byAge)
{
    return QStringLiteral(" ORDER BY PKT_VAL %1, %2RANGPOS_NR asc")
        .arg(ascending ? QStringLiteral("ASC") : QStringLiteral("DESC"),
             byAge ? QStringLiteral("JAHRG_VAL DESC, ") : QString());
}

QString KonfigDataModule::captionLine() const
{
    const QSqlRecord list = currentList();
    if (list.isEmpty())
        return QString();
    return (QStringLiteral("Kategorie ") + list.value(QStringLiteral("KAT_NR")).toString() + QStringLiteral(" - ") +
            list.value(QStringLiteral("SPARTE_D")).toString() + u' ' +
            list.value(QStringLiteral("KATEGORIE_D")).toString() + u' ' +
            list.value(QStringLiteral("KLASSE_D")).toString())
        .trimmed();
}

int KonfigDataModule::maxPosition() const
{
    const auto key = currentKey();
    if (!key)
        return 0;
    return m_db.scalar(QStringLiteral("SELECT MAX(RANGPOS_NR) as MAXPOS FROM RANGPOS WHERE KAT_NR = ? AND KLASSE_NR = ?"),
                       {key->kat, key->klasse})
        .toInt();
}

void KonfigDataModule::runStatement(const QStringList &lines)
{
    try {
        m_db.exec(lines);
    } catch (const EngineError &) {
        m_op.error(lines.join(u'\n'));
        throw;
    }
}

QList<QStringList> KonfigDataModule::positionFollowUps(const QSqlRecord &stored, const QSqlRecord &values) const
{
    const QString field = QStringLiteral("RANGPOS_NR");
    if (!changed(stored, values, field) || values.isNull(field))
        return {};
    const QString newNr = values.value(field).toString();
    const QString oldNr = stored.value(field).toString();
    const QString klasse = stored.value(QStringLiteral("KLASSE_NR")).toString();
    const QString kat = stored.value(QStringLiteral("KAT_NR")).toString();
    QList<QStringList> statements;
    for (const char *table : {"DETAILBLOCK", "DETAIL"}) {
        statements << QStringList{QStringLiteral("UPDATE %1 SET RANGPOS_NR = %2").arg(QLatin1String(table), newNr),
                                  QStringLiteral("WHERE RANGPOS_NR = ") + oldNr,
                                  QStringLiteral("AND KLASSE_NR = ") + klasse, QStringLiteral("AND KAT_NR = ") + kat};
    }
    return statements;
}

QList<QStringList> KonfigDataModule::blockFollowUps(const QSqlRecord &stored, const QSqlRecord &values) const
{
    const QString field = QStringLiteral("DETAILBLOCK_NR");
    if (!changed(stored, values, field) || values.isNull(field))
        return {};
    return {{QStringLiteral("UPDATE DETAIL SET DETAILBLOCK_NR = ") + values.value(field).toString(),
             QStringLiteral("WHERE DETAILBLOCK_NR = ") + stored.value(field).toString(),
             QStringLiteral("AND RANGPOS_NR = ") + stored.value(QStringLiteral("RANGPOS_NR")).toString(),
             QStringLiteral("AND KLASSE_NR = ") + stored.value(QStringLiteral("KLASSE_NR")).toString(),
             QStringLiteral("AND KAT_NR = ") + stored.value(QStringLiteral("KAT_NR")).toString()}};
}

bool KonfigDataModule::createList(const QString &katText, const QString &klasseText)
{
    const auto kat = num::parseInteger(katText);
    const auto klasse = num::parseInteger(klasseText);
    bool ok = kat && klasse;
    if (ok) {
        try {
            m_db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (?, ?)"), {*kat, *klasse});
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

bool KonfigDataModule::findCategory(const QString &text)
{
    const auto kat = num::parseInteger(text);
    if (!kat) {
        m_op.warn(QStringLiteral("Kat. Nr. ") + text + QStringLiteral(" ungültig"));
        return false;
    }
    for (int r = 0; r < m_lists->rowCount(); ++r) {
        if (m_lists->record(r).value(QStringLiteral("KAT_NR")).toLongLong() == *kat) {
            setCurrentRow(r);
            return true;
        }
    }
    m_op.warn(QStringLiteral("Kategorie ") + text + QStringLiteral(" nicht gefunden"));
    return false;
}

void KonfigDataModule::askNewList()
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

void KonfigDataModule::askFindCategory()
{
    const auto text = m_op.askText(QStringLiteral("Kategorei nach Kat. Nr. suchen"), QStringLiteral("Kat. Nr:"),
                                   lastKatSearch);
    if (!text)
        return;
    lastKatSearch = *text;
    findCategory(*text);
}

} // namespace rq::ranking
