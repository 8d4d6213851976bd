#pragma once

#include "reports/Report.h"
#include "reports/ReportLayout.h"
#include "reports/ReportRow.h"

#include <functional>
#include <memory>
#include <optional>

namespace rq::ranking {
class RankingList;
struct ListKey;
}  // namespace rq::ranking

namespace rq::reports {

// The output options of the ranking-list editor that the reports read.
struct ReportOptions
{
    bool rankSeparators = true;  // "Rangtrennlinien"
    bool shortDetail = false;  // "Nur Leistungen anzeigen": no points in the detail texts
    bool singleLine = false;  // "Alle Details auf Hauptzeile": the single-line medal list
    double introMm = 0;  // "Intro": free space above the titles on page 1 of a medal list, mm
};

// The reports of a list up to the finished document: the print pre-stage of
// the list, the layout chosen by its LAYOUT, the detail columns resolved, the
// rows read. Nothing (after its message) for an unknown layout ("Kein Report
// für den Layouttyp … vorhanden") or a list without positions ("Kein Daten für
// Rangliste vorhanden").
class ReportDispatch
{
public:
    // A list's report before its bands are drawn: the layout, its options and the rows.
    struct Prepared
    {
        std::unique_ptr<ReportLayout> layout;
        LayoutOptions options;
        QList<ReportRow> rows;
    };
    // Everything up to the rows: the ranking list (`medal` false) or the medal list.
    static std::optional<Prepared> prepare(const ranking::RankingList &list, const ReportOptions &options,
                                           const std::function<void(int, int)> &progress, bool medal);

    // "&Drucken": the ranking list.
    static std::optional<ReportDocument> rankingList(const ranking::RankingList &list, const ReportOptions &options,
                                                     const std::function<void(int, int)> &progress = {});
    // "Druckvorlage erstellen": the medal list.
    static std::optional<ReportDocument> medalList(const ranking::RankingList &list, const ReportOptions &options,
                                                   const std::function<void(int, int)> &progress = {});

    // The 20 titles of the automatic title query's first row (empty without rows).
    static QStringList automaticTitles(const ranking::RankingList &list);

    // The medal list's PDF file: `pdfPath` + "Kat" + KAT_NR + "-" + KLASSE_NR +
    // ".pdf"; a directory named without its closing "/" gets one.
    static QString templateFile(const QString &pdfPath, const ranking::ListKey &key);
};

}  // namespace rq::reports
