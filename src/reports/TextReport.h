#pragma once

#include "reports/Report.h"

#include <QStringList>

namespace rq::reports {

// Plain text lines as a report: one line under the other in `font` at
// `pointSize`, as many per page as fit, nothing cut at the right edge. The SQL
// window prints its statement and result this way.
ReportDocument textDocument(const QString &title, const QStringList &lines, const QString &font, double pointSize);

}  // namespace rq::reports
