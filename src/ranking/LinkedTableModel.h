#pragma once

#include "db/StatementRunner.h"

#include <QSqlTableModel>
#include <QStringList>

#include <functional>
#include <optional>

namespace rq::ranking {

// An editable table of the ranking-list editor (one of the linked cursors of
// the old editor), showing the rows of its master's current row. A new row gets its link fields from the master. An
// update runs together with its follow-up statements (the renumbering of
// children) in one transaction: when one of them fails nothing changes and the
// row stays in the model for correction.
class LinkedTableModel : public QSqlTableModel
{
    Q_OBJECT

public:
    // The follow-up statements of an update, from the row's stored values and
    // its new values; each statement is its lines and its bound values.
    using Statement = std::pair<QStringList, QVariantList>;
    using FollowUps = std::function<QList<Statement>(const QSqlRecord &stored, const QSqlRecord &values)>;

    LinkedTableModel(QObject *parent, const QSqlDatabase &db, const QString &table, const QStringList &linkFields,
                     const QString &orderField);

    // Shows the rows whose link fields equal `values`; no values shows nothing.
    // Linking to the rows already shown changes nothing.
    void link(const QVariantList &values);
    const QVariantList &linkValues() const { return m_linkValues; }
    bool isLinked() const { return !m_linkValues.isEmpty(); }

    // The follow-ups run through `runner`, which shows a refused statement.
    void setFollowUps(FollowUps followUps, db::StatementRunner runner);

    // Posts pending changes. Throws EngineError with the engine's message.
    void post();
    bool hasPendingChanges() const { return isDirty(); }

protected:
    bool updateRowInTable(int row, const QSqlRecord &values) override;
    QString orderByClause() const override;

private:
    QStringList m_linkFields;
    QVariantList m_linkValues;
    QString m_orderField;
    FollowUps m_followUps;
    std::optional<db::StatementRunner> m_runner;
};

}  // namespace rq::ranking
