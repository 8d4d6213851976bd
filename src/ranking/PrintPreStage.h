#pragma once

#include "ranking/RankingList.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace rq::ranking {

// The six fields of one detail column group of DETAILLINE, in their order.
enum class DetailField { Disziplin, Leistung, Zusatzwert, Anzahl, Punkte, Detailtext };
inline constexpr int kDetailGroups = 20;
inline constexpr int kDetailFields = 6;
// The DETAILLINE column of a group: "LEISTUNG7" for (Leistung, 7).
QString detailLineColumn(DetailField field, int group);

// The display text of a detail: for "EINZEL" the performance, " [additional]"
// and " (points)" (points left out with `shortDetail`); for "PAAR" the same with
// " + additional"; for every other layout the stored detail text. Trimmed.
QString detailDisplayText(const QString &layout, const QString &leistung, const QString &zusatzwert,
                          const QString &punkte, const QString &detailText, bool shortDetail);

// One detail with the block it belongs to, in the order the pre-stage takes them.
struct DetailEntry
{
    int position = 0;
    int block = 0;
    QString blockName1;
    QString blockName2;
    QString blockJahrgang;
    QString blockPoints;
    QString blockRemarks;
    int detailNr = 0;
    QString disziplin;
    QString leistung;
    QString zusatzwert;
    QString anzahl;
    QString punkte;
    QString detailText;
};

// One DETAILLINE row: a block with its details spread over 20 column groups.
struct DetailLine
{
    int position = 0;
    int block = 0;
    QString name1;
    QString name2;
    QString jahrgang;
    QString points;
    QString remarks;
    // groups[i][f]: field f of group i + 1; empty where no detail went.
    std::array<std::array<QString, kDetailFields>, kDetailGroups> groups{};
};

struct PreStage
{
    QList<DetailLine> lines;
    // Group numbers of details that have no column group (below 1 or above 20), in order.
    QList<int> unplaced;
};

// The pre-stage of a list with this layout and DETAILS_PRO_ZEILE: one line per
// block with details. With "FLEX" the details are packed from group 1 on and
// those without performance, with an empty text or with the performance "*"
// are left out ("EINZEL" and "PAAR" put the discipline before the text);
// otherwise a detail goes to the group of its DETAILPOS_NR.
//
// The builder takes the details one by one, in pre-stage order, and hands on
// each line as soon as its block is complete, so that a list of thousands of
// positions is never held whole.
class PreStageBuilder
{
public:
    PreStageBuilder(const QString &layout, const QString &detailsPerLine, bool shortDetail,
                    std::function<void(const DetailLine &)> lineDone);
    void add(const DetailEntry &detail);
    // Hands on the last line.
    void finish();
    // Group numbers of details that have no column group (below 1 or above 20), in order.
    const QList<int> &unplaced() const { return m_unplaced; }

private:
    bool m_flex;
    bool m_individual;
    QString m_layout;
    bool m_shortDetail;
    std::function<void(const DetailLine &)> m_lineDone;
    std::optional<DetailLine> m_line;
    int m_count = 1;
    QList<int> m_unplaced;
};

// The same for details held in a list.
PreStage buildPreStage(const QList<DetailEntry> &details, const QString &layout, const QString &detailsPerLine,
                       bool shortDetail);

// The print pre-stage of a list (table DETAILLINE), rebuilt before every print.
class PrintPreStage
{
public:
    // Rebuilds DETAILLINE for `list` in one transaction; warns "Detail Nr. … kann
    // nicht in Druckvorstufe übernommen werden" for each detail without a group.
    // `progress` receives (done, total) while the rows are written and (0, 0) at
    // the end. Throws EngineError after showing the refused statement.
    static void build(const RankingList &list, bool shortDetail, const std::function<void(int, int)> &progress = {});
};

}  // namespace rq::ranking
