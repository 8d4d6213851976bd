#include "capture/ParticipantData.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "db/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

#include <array>

namespace rq::capture {
namespace {

// Texts joined with a blank; a missing part counts as empty text.
const QString kCategories =
    QStringLiteral("select distinct KAT_ID as KAT_NR, SPARTE as SPARTE_BEZ, KATEGORIE as KAT_BEZ,\n"
                   "coalesce(SPARTE, '') || ' ' || coalesce(KATEGORIE, '') as KAT_STR from Person order by KAT_ID");
const QString kPersons = QStringLiteral(
    "select distinct KAT_ID as KAT_NR, PERS_ID as START_NR,\n"
    "CAST(KAT_ID as VARCHAR(10)) || '-' || CAST(PERS_ID as VARCHAR(10)) as IDENT,\n"
    "coalesce(PREFIX, '') || ' ' || coalesce(ORT, '') as EINTRAG, coalesce(NAME, '') || ' ' || coalesce(VORNAME, '') "
    "as NAME,\n"
    "JAHRGANG, ORT, STATUS_ID as STATUS from PERSON where KAT_ID = ? order by PERS_ID");
const QString kOrdered = QStringLiteral(
    "select PKT_VAL, ZUSATZ1 as PUNKTE_TXT, RANG, AUSZEICHNUNG_ID, KAT_ID, PERS_ID, BEMERKUNG, STATUS_ID, TEAM_ID, "
    "TEAM, NAME, VORNAME, JAHRGANG, PREFIX, ORT, SPARTE, KATEGORIE, ZUSATZ1, ZUSATZ2, ZUSATZ3, ZUSATZ4, IMPORT_ID, "
    "ZEILENTYP_ID\n"
    "from PERSON where KAT_ID = ? AND STATUS_ID = 1 order by PKT_VAL desc,RANG asc,AUSZEICHNUNG_ID asc");

// A model needs a query that can move back and forth, so it is not the
// forward-only kind the database hands out for plain reading. The model reads
// its rows in portions as its grid asks for them, unless `all`.
void fill(QSqlQueryModel &model, db::Database &db, const QString &sql, const QVariantList &values, bool all)
{
    QSqlQuery q(db.connection());
    if (!q.prepare(sql))
        db::throwFailure(q.lastError(), sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        db::throwFailure(q.lastError(), sql);
    model.setQuery(std::move(q));
    while (all && model.canFetchMore())
        model.fetchMore();
}

}  // namespace

ParticipantData::ParticipantData(db::Database &db)
    : m_db(db)
    , m_categories(std::make_unique<QSqlQueryModel>())
    , m_persons(std::make_unique<QSqlQueryModel>())
    , m_ordered(std::make_unique<QSqlQueryModel>())
{
}

ParticipantData::~ParticipantData() = default;

void ParticipantData::refreshCategories()
{
    // One row per category: all of them, so that a category is found among them.
    fill(*m_categories, m_db, kCategories, {}, true);
}

void ParticipantData::showCategory(int kat)
{
    m_shownCategory = kat;
    fill(*m_persons, m_db, kPersons, {kat}, false);
}

void ParticipantData::refreshOrdered(int kat)
{
    fill(*m_ordered, m_db, kOrdered, {kat}, false);
}

int ParticipantData::categoryRow(qint64 kat) const
{
    for (int r = 0; r < m_categories->rowCount(); ++r) {
        if (m_categories->record(r).value(QStringLiteral("KAT_NR")).toLongLong() == kat)
            return r;
    }
    return -1;
}

int ParticipantData::personRow(const QString &text)
{
    // The search reads the keys and searched texts of the category in the grid's
    // order, not the grid's rows, which are read only up to the row found.
    QSqlQuery q = m_db.exec(QStringLiteral("select PERS_ID, coalesce(NAME, '') || ' ' || coalesce(VORNAME, ''), "
                                           "coalesce(PREFIX, '') || ' ' || coalesce(ORT, ''), ORT from PERSON "
                                           "where KAT_ID = ? order by PERS_ID"),
                            {m_shownCategory});
    const auto number = num::parseInteger(text);
    std::array<int, 3> firstMatch = {-1, -1, -1};  // by name, club, place
    int found = -1;
    for (int row = 0; found < 0 && q.next(); ++row) {
        if (number) {
            if (q.value(0).toLongLong() == *number)
                found = row;
            continue;
        }
        for (int field = 0; field < 3; ++field) {
            if (firstMatch.at(field) < 0 && q.value(field + 1).toString().startsWith(text, Qt::CaseInsensitive))
                firstMatch.at(field) = row;
        }
        if (firstMatch.at(0) >= 0)
            found = firstMatch.at(0);  // a name comes first; nothing later can change that
    }
    if (found < 0 && !number)
        found = firstMatch.at(1) >= 0 ? firstMatch.at(1) : firstMatch.at(2);
    while (found >= m_persons->rowCount() && m_persons->canFetchMore())
        m_persons->fetchMore();
    return found < m_persons->rowCount() ? found : -1;
}

QString ParticipantData::statusWord(int status)
{
    static const char *words[] = {"Unbearbeitet", "Erfasst", "Abgemeldet", "Disqualifiziert"};
    return status >= 0 && status <= 3 ? QString::fromLatin1(words[status]) : QString();
}

QString ParticipantData::statusCount(int kat, const QString &categoryText) const
{
    static const char *words[] = {"Unbearbeitet: ", "Bearbeitet: ", "Abgemeldet: ", "Disqualifiziert: "};
    QString text = QString::number(kat) + u' ' + categoryText + QStringLiteral("\r\n");
    QSqlQuery q = m_db.exec(QStringLiteral("select distinct STATUS_ID, Count(STATUS_ID) as ANZAHL from PERSON where "
                                           "KAT_ID = ? group by STATUS_ID order by STATUS_ID"),
                            {kat});
    while (q.next()) {
        const int status = q.value(0).toInt();
        if (status >= 0 && status <= 3)
            text += QStringLiteral("\r\n") + QString::fromLatin1(words[status]) + q.value(1).toString();
    }
    return text;
}

}  // namespace rq::capture
