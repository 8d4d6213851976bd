#include "reports/ReportLayout.h"

#include "reports/GameListLayout.h"
#include "reports/GameMedalLayout.h"
#include "reports/GroupListLayout.h"
#include "reports/GroupMedalLayout.h"
#include "reports/IndividualListLayout.h"
#include "reports/IndividualMedalLayout.h"
#include "reports/SingleLineMedalLayout.h"
#include "reports/TeamListLayout.h"
#include "reports/TeamMedalLayout.h"

namespace rq::reports {

ReportLayout::~ReportLayout() = default;

ReportDocument ReportLayout::build(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    if (rows.isEmpty())
        return {};
    ReportBands laid = lay(rows, options);
    return paginate(laid.frame, std::move(laid.bands));
}

std::unique_ptr<ReportLayout> ReportLayout::rankingList(const QString &layout)
{
    if (layout == QStringLiteral("TEAM"))
        return std::make_unique<TeamListLayout>();
    if (layout == QStringLiteral("GRUPPE"))
        return std::make_unique<GroupListLayout>();
    if (layout == QStringLiteral("EINZEL") || layout == QStringLiteral("PAAR"))
        return std::make_unique<IndividualListLayout>();
    if (layout == QStringLiteral("SPIEL"))
        return std::make_unique<GameListLayout>();
    return nullptr;
}

std::unique_ptr<ReportLayout> ReportLayout::medalList(const QString &layout, bool singleLine)
{
    if (layout == QStringLiteral("TEAM"))
        return std::make_unique<TeamMedalLayout>();
    if (layout == QStringLiteral("GRUPPE"))
        return std::make_unique<GroupMedalLayout>();
    if (layout == QStringLiteral("EINZEL") || layout == QStringLiteral("PAAR")) {
        if (singleLine)
            return std::make_unique<SingleLineMedalLayout>();
        return std::make_unique<IndividualMedalLayout>();
    }
    if (layout == QStringLiteral("SPIEL"))
        return std::make_unique<GameMedalLayout>();
    return nullptr;
}

}  // namespace rq::reports
