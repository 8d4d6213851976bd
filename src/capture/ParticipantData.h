#pragma once

#include <QString>

#include <memory>

class QSqlQueryModel;

namespace rq::db {
class Database;
}

namespace rq::capture {

// The queries of result capture: the categories, the participants of the
// current category with their status, the status count, and the captured
// participants of a category best first.
class ParticipantData
{
public:
    explicit ParticipantData(db::Database &db);
    ~ParticipantData();

    db::Database &database() { return m_db; }

    // Columns KAT_NR, SPARTE_BEZ, KAT_BEZ, KAT_STR, ordered by category.
    QSqlQueryModel *categories() const { return m_categories.get(); }
    // Columns KAT_NR, START_NR, IDENT, EINTRAG (club), NAME, JAHRGANG, ORT, STATUS.
    // Read in portions as the grid scrolls: a category may have thousands.
    QSqlQueryModel *persons() const { return m_persons.get(); }
    // Participants with status 1 of the category: PKT_VAL desc, RANG, AUSZEICHNUNG_ID (as text); read in portions.
    QSqlQueryModel *ordered() const { return m_ordered.get(); }

    db::Database &database() const { return m_db; }
    void refreshCategories();
    void showCategory(int kat);
    void refreshOrdered(int kat);

    // "Info": the category number and text, a blank line, then one line per
    // status ("Unbearbeitet: 12"), lines separated by CR LF.
    QString statusCount(int kat, const QString &categoryText) const;

    // Row of the category in categories(), or -1.
    int categoryRow(qint64 kat) const;
    // Row of the participant in persons(): by start number when `text` is a
    // whole number, else the first whose name, then club, then place begins
    // with it (any case); -1 when none. The model has read that row when it returns.
    int personRow(const QString &text);

    // "Unbearbeitet", "Erfasst", "Abgemeldet", "Disqualifiziert"; empty for other codes.
    static QString statusWord(int status);

private:
    db::Database &m_db;
    std::unique_ptr<QSqlQueryModel> m_categories;
    std::unique_ptr<QSqlQueryModel> m_persons;
    std::unique_ptr<QSqlQueryModel> m_ordered;
    int m_shownCategory = 0;
};

}  // namespace rq::capture
