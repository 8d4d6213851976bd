#pragma once

#include "reports/Report.h"
#include "reports/ReportRow.h"

#include <QList>
#include <QStringList>

#include <memory>

namespace rq::reports {

// What a layout needs besides its rows: the options of the editor and, for the
// individual lists, the resolved detail columns.
struct LayoutOptions
{
    bool rankLines = true;  // "Rangtrennlinien"
    int detailColumns = 1;  // DetailColumnCount (individual lists)
    QStringList titles;  // the 20 detail column titles (individual lists)
    double introMm = 0;  // free space above the titles on page 1 (medal lists)
};

// A report layout: its row query and the pages it lays its rows out into. A
// layout reads rows and options only.
class ReportLayout
{
public:
    virtual ~ReportLayout();

    // The row query; parameters KAT_NR and KLASSE_NR in this order.
    virtual QString rowQuery() const = 0;
    // Whether the layout prints detail columns whose count is resolved first.
    virtual bool hasDetailColumns() const { return false; }
    // The frame and one band per row of the row query (at least one), before
    // they are laid out into pages: what the printed list and the results site share.
    virtual ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const = 0;
    // The document for the rows of the row query: their bands laid out into pages.
    ReportDocument build(const QList<ReportRow> &rows, const LayoutOptions &options) const;

    // The ranking list of a LAYOUT ("EINZEL" and "PAAR", "TEAM", "GRUPPE",
    // "SPIEL", compared exactly); nothing for any other value.
    static std::unique_ptr<ReportLayout> rankingList(const QString &layout);
    // The medal list of a LAYOUT; "EINZEL" and "PAAR" print on one line each
    // with `singleLine` ("Alle Details auf Hauptzeile").
    static std::unique_ptr<ReportLayout> medalList(const QString &layout, bool singleLine);
};

}  // namespace rq::reports
