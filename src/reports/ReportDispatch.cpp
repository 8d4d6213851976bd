#include "reports/ReportDispatch.h"

#include "common/Errors.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "ranking/KonfigDataModule.h"
#include "ranking/PrintPreStage.h"
#include "reports/RanklistEinzelReport.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::reports {

ReportDispatch::ReportDispatch(ranking::KonfigDataModule &module, Operator &op)
    : m_module(module)
    , m_op(op)
{
}

QStringList ReportDispatch::automaticTitles()
{
    const auto key = m_module.currentKey();
    QStringList fields;
    QStringList order;
    for (int i = 1; i <= 20; ++i) {
        fields << QStringLiteral("DISZIPLIN%1 as DETAIL%1_TITEL").arg(i);
        order.prepend(QStringLiteral("DISZIPLIN%1 desc").arg(i));
    }
    QSqlQuery q = m_module.database().exec(QStringLiteral("SELECT distinct %1 from DETAILLINE d where d.KAT_NR = ? and "
                                                          "d.KLASSE_NR = ? ORDER BY %2")
                                               .arg(fields.join(QStringLiteral(", ")), order.join(QStringLiteral(", "))),
                                           {key ? key->kat : -1, key ? key->klasse : -1});
    QStringList titles;
    if (q.next()) {
        for (int i = 0; i < 20; ++i)
            titles << q.value(i).toString();
    }
    return titles;
}

std::optional<ReportDocument> ReportDispatch::prepare(bool rankLines, bool shortDetail,
                                                      const std::function<void(int, int)> &progress)
{
    const auto key = m_module.currentKey();
    if (!key)
        return std::nullopt;
    ranking::PrintPreStage(m_module, m_op).buildDetailLines(shortDetail, progress);
    const QSqlRecord list = m_module.currentList();
    const QString layout = list.value(QStringLiteral("LAYOUT")).toString();
    if (layout != QStringLiteral("EINZEL") && layout != QStringLiteral("PAAR")) {
        // The team, group and game reports are not part of this version.
        m_op.warn(QStringLiteral("Kein Report für den Layouttyp ") + layout + QStringLiteral(" vorhanden"));
        return std::nullopt;
    }
    const DetailColumns columns = resolveDetailColumnCount(list, [this] { return automaticTitles(); });
    QStringList titles;
    for (int i = 1; i <= 20; ++i) {
        if (columns.automatic)
            titles << columns.autoTitles.value(i - 1);
        else
            titles << (i <= 15 ? list.value(QStringLiteral("DETAIL%1_TITEL").arg(i)).toString() : QString());
    }
    QSqlQuery q = m_module.database().exec(RanklistEinzelReport::rowQuery(), {key->kat, key->klasse});
    QList<QSqlRecord> rows;
    while (q.next())
        rows << q.record();
    if (rows.isEmpty()) {
        m_op.warn(QStringLiteral("Kein Daten für Rangliste vorhanden"));
        return std::nullopt;
    }
    return RanklistEinzelReport::build(rows, columns.count, titles, rankLines);
}

} // namespace rq::reports
