#pragma once

#include "ranking/RankingList.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace rq::interchange {

// A release carries the list's new version number; a development copy counts
// the version up as well, but its list file shows version 0.
enum class ExportKind { Release, Development };

// Writes a ranking list as four text tables (historically
// `TRankExportDataModule`): "LST_" + B with the RANGLISTE row, "POS_" + B with
// its positions, "BLK_" + B with their blocks and "DET_" + B with the details,
// all beside each other. Each export counts the list's VERSION up and stamps
// DATUM with the time of the export before anything is written.
class RankingListExport
{
public:
    // The version an export of a list whose VERSION is `stored` gets: the
    // stored number plus one, 1 when it is no number.
    static int nextVersion(const QString &stored);
    // "12_0_Vers4.txt", or "12_0_Vers4_dev.txt" for a development copy.
    static QString suggestedName(ranking::ListKey key, int version, ExportKind kind);
    // The four files of base name B in the directory of `basePath`, in the order they are written.
    static QStringList filesFor(const QString &basePath);
    // The stamp's time text, the same whatever the system's regional settings.
    static QString stampText(const QDateTime &time);

    explicit RankingListExport(ranking::RankingList list);

    // Stamps the list with `version` and `time` and writes the four files
    // beside `basePath`. `stamped` runs between the two, for the window to show
    // the new version. Stops at the first file that cannot be written (FileError);
    // the files before it stay, and so does the stamp.
    void write(const QString &basePath, ExportKind kind, int version, const QDateTime &time,
               const std::function<void()> &stamped = {});

    // The editor's command: proposes the name in the dialog "Druckvorstufe
    // exportieren", then writes. False when the operator cancelled.
    bool run(ExportKind kind, const std::function<void()> &stamped = {});

private:
    ranking::RankingList m_list;
};

}  // namespace rq::interchange
