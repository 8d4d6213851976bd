#include "reports/ReportDispatch.h"

#include "common/Operator.h"
#include "db/Database.h"
#include "ranking/PrintPreStage.h"
#include "ranking/RankingList.h"
#include "reports/IndividualListLayout.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::reports {

QStringList ReportDispatch::automaticTitles(const ranking::RankingList &list)
{
    QStringList fields;
    QStringList order;
    for (int i = 1; i <= 20; ++i) {
        fields << QStringLiteral("DISZIPLIN%1 as DETAIL%1_TITEL").arg(i);
        order.prepend(QStringLiteral("DISZIPLIN%1 desc").arg(i));
    }
    QSqlQuery q = list.database().exec(QStringLiteral("SELECT distinct %1 from DETAILLINE d where d.KAT_NR = ? and "
                                                      "d.KLASSE_NR = ? ORDER BY %2")
                                           .arg(fields.join(QStringLiteral(", ")), order.join(QStringLiteral(", "))),
                                       {list.key().kat, list.key().klasse});
    QStringList titles;
    if (q.next()) {
        for (int i = 1; i <= 20; ++i)
            titles << q.value(QStringLiteral("DETAIL%1_TITEL").arg(i)).toString();
    }
    return titles;
}

std::optional<ReportDocument> ReportDispatch::rankingList(const ranking::RankingList &list,
                                                          const ReportOptions &options,
                                                          const std::function<void(int, int)> &progress)
{
    ranking::PrintPreStage::build(list, options.shortDetail, progress);
    const QString layout = list.layout();
    if (layout != QStringLiteral("EINZEL") && layout != QStringLiteral("PAAR")) {
        list.op().warn(QStringLiteral("Kein Report für den Layouttyp ") + layout + QStringLiteral(" vorhanden"));
        return std::nullopt;
    }
    const DetailColumns columns = resolveDetailColumnCount(list.header(), [&list] { return automaticTitles(list); });
    QStringList titles;
    for (int i = 1; i <= 20; ++i) {
        if (columns.automatic)
            titles << columns.autoTitles.value(i - 1);
        else
            titles << (i <= 15 ? list.text(QStringLiteral("DETAIL%1_TITEL").arg(i)) : QString());
    }
    QSqlQuery q = list.database().exec(IndividualListLayout::rowQuery(), {list.key().kat, list.key().klasse});
    QList<QSqlRecord> rows;
    while (q.next())
        rows << q.record();
    if (rows.isEmpty()) {
        list.op().warn(QStringLiteral("Kein Daten für Rangliste vorhanden"));
        return std::nullopt;
    }
    return IndividualListLayout::build(rows, columns.count, titles, options.rankSeparators);
}

}  // namespace rq::reports
