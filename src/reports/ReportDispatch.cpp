#include "reports/ReportDispatch.h"

#include "common/Operator.h"
#include "db/Database.h"
#include "ranking/PrintPreStage.h"
#include "ranking/RankingList.h"
#include "reports/IndividualListLayout.h"
#include "reports/ReportLayout.h"

#include <QFileInfo>
#include <QSqlQuery>

namespace rq::reports {
namespace {

constexpr int kTitles = 20;

std::optional<ReportDocument> run(const ranking::RankingList &list, const ReportOptions &options,
                                  const std::function<void(int, int)> &progress, bool medal)
{
    auto prepared = ReportDispatch::prepare(list, options, progress, medal);
    if (!prepared)
        return std::nullopt;
    return prepared->layout->build(prepared->rows, prepared->options);
}

}  // namespace

std::optional<ReportDispatch::Prepared> ReportDispatch::prepare(const ranking::RankingList &list,
                                                                const ReportOptions &options,
                                                                const std::function<void(int, int)> &progress,
                                                                bool medal)
{
    ranking::PrintPreStage::build(list, options.shortDetail, progress);
    Prepared prepared;
    prepared.layout =
        medal ? ReportLayout::medalList(list.layout(), options.singleLine) : ReportLayout::rankingList(list.layout());
    if (!prepared.layout) {
        list.op().warn(QStringLiteral("Kein Report für den Layouttyp ") + list.layout() + QStringLiteral(" vorhanden"));
        return std::nullopt;
    }
    prepared.options.rankLines = options.rankSeparators;
    prepared.options.introMm = options.introMm;
    if (prepared.layout->hasDetailColumns()) {
        const DetailColumns columns =
            resolveDetailColumnCount(list.header(), [&list] { return ReportDispatch::automaticTitles(list); });
        prepared.options.detailColumns = columns.count;
        for (int i = 1; i <= kTitles; ++i) {
            if (columns.automatic)
                prepared.options.titles << columns.autoTitles.value(i - 1);
            else
                prepared.options.titles << (i <= 15 ? list.text(QStringLiteral("DETAIL%1_TITEL").arg(i)) : QString());
        }
    }
    prepared.rows =
        ReportRow::readAll(list.database(), prepared.layout->rowQuery(), {list.key().kat, list.key().klasse});
    if (prepared.rows.isEmpty()) {
        list.op().warn(QStringLiteral("Kein Daten für Rangliste vorhanden"));
        return std::nullopt;
    }
    return prepared;
}

QStringList ReportDispatch::automaticTitles(const ranking::RankingList &list)
{
    QStringList fields;
    QStringList order;
    for (int i = 1; i <= kTitles; ++i) {
        fields << QStringLiteral("DISZIPLIN%1 as DETAIL%1_TITEL").arg(i);
        order.prepend(QStringLiteral("DISZIPLIN%1 desc").arg(i));
    }
    QSqlQuery q = list.database().exec(QStringLiteral("SELECT distinct %1 from DETAILLINE d where d.KAT_NR = ? and "
                                                      "d.KLASSE_NR = ? ORDER BY %2")
                                           .arg(fields.join(QStringLiteral(", ")), order.join(QStringLiteral(", "))),
                                       {list.key().kat, list.key().klasse});
    QStringList titles;
    if (q.next()) {
        for (int i = 1; i <= kTitles; ++i)
            titles << q.value(QStringLiteral("DETAIL%1_TITEL").arg(i)).toString();
    }
    return titles;
}

std::optional<ReportDocument> ReportDispatch::rankingList(const ranking::RankingList &list,
                                                          const ReportOptions &options,
                                                          const std::function<void(int, int)> &progress)
{
    return run(list, options, progress, false);
}

std::optional<ReportDocument> ReportDispatch::medalList(const ranking::RankingList &list, const ReportOptions &options,
                                                        const std::function<void(int, int)> &progress)
{
    return run(list, options, progress, true);
}

QString ReportDispatch::templateFile(const QString &pdfPath, const ranking::ListKey &key)
{
    QString prefix = pdfPath;
    if (!prefix.isEmpty() && !prefix.endsWith(u'/') && QFileInfo(prefix).isDir())
        prefix += u'/';
    return prefix + QStringLiteral("Kat%1-%2.pdf").arg(key.kat).arg(key.klasse);
}

}  // namespace rq::reports
