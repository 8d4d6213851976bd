#pragma once

#include "reports/Report.h"

#include <functional>
#include <optional>

namespace rq {
class Operator;
}

namespace rq::ranking {
class KonfigDataModule;
}

namespace rq::reports {

// "&Drucken" up to the finished report: the print pre-stage of the current
// list, the report chosen by its LAYOUT, the detail columns resolved, the rows
// read. Nothing (after the message) for an unknown layout or an empty list.
class ReportDispatch
{
public:
    ReportDispatch(ranking::KonfigDataModule &module, Operator &op);

    std::optional<ReportDocument> prepare(bool rankLines, bool shortDetail,
                                          const std::function<void(int, int)> &progress = {});

    // The 20 titles of the automatic title query's first row (empty without rows).
    QStringList automaticTitles();

private:
    ranking::KonfigDataModule &m_module;
    Operator &m_op;
};

} // namespace rq::reports
