#pragma once

#include <QStringList>

#include <functional>
#include <optional>

namespace rq::ranking {
class RankingList;
}

namespace rq::reports {

// "Druckvorstufe &speichern": the rows of a list's report as a tab-separated
// text file, one line of titles, then one line per position with its block
// values, trailing empty values dropped.
class PreStageTextFile
{
public:
    // The lines for the list's layout ("TEAM", "GRUPPE", "EINZEL", "PAAR",
    // "SPIEL"), from the pre-stage as it stands; nothing for any other layout.
    static std::optional<QStringList> lines(const ranking::RankingList &list);

    // The command: the pre-stage rebuilt first with `rebuild`, then the save
    // dialog (LAYOUT-KAT_NR-KLASSE_NR.txt) and the file written.
    static void save(const ranking::RankingList &list, bool rebuild, bool shortDetail,
                     const std::function<void(int, int)> &progress = {});
};

}  // namespace rq::reports
