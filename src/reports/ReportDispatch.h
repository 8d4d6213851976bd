#pragma once

#include "reports/Report.h"

#include <functional>
#include <optional>

namespace rq::ranking {
class RankingList;
}

namespace rq::reports {

// The output options of the ranking-list editor that the reports read.
struct ReportOptions
{
    bool rankSeparators = true;  // "Rangtrennlinien"
    bool shortDetail = false;  // "Nur Leistungen anzeigen": no points in the detail texts
    bool singleLine = false;  // "Alle Details auf Hauptzeile": the single-line medal list
    double introMm = 0;  // "Intro": free space above the titles on page 1 of a medal list, mm
};

// "&Drucken" up to the finished report: the print pre-stage of the list, the
// report chosen by its LAYOUT, the detail columns resolved, the rows read.
// Nothing (after the message) for an unknown layout or an empty list.
class ReportDispatch
{
public:
    static std::optional<ReportDocument> rankingList(const ranking::RankingList &list, const ReportOptions &options,
                                                     const std::function<void(int, int)> &progress = {});

    // The 20 titles of the automatic title query's first row (empty without rows).
    static QStringList automaticTitles(const ranking::RankingList &list);
};

}  // namespace rq::reports
